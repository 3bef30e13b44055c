#pragma once

class QApplication;

namespace Startup {

// Polish throughout: Qt's own buttons and dialogs read "Anuluj" and so on, and numbers are
// written the Polish way, whatever the system's locale.
void speakPolish(QApplication &application);

} // namespace Startup
