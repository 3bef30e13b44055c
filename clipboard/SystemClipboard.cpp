// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/SystemClipboard.h"

#include "clipboard/ClipboardLog.h"
#include "clipboard/WaylandSelection.h"
#include "clipboard/X11DropTime.h"
#include "clipboard/X11Selection.h"
#include "common/RuntimeFailure.h"
#include "textarea/LineEnds.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>

// Last: Xlib's macros (None, Bool, Status, ...) would clash with Qt's names.
#include <X11/Xlib.h>

Q_LOGGING_CATEGORY(clipboardLog, "notatki.clipboard", QtWarningMsg)

namespace {

// The display the toolkit opened, named by -display or by DISPLAY, or "" when the toolkit holds
// no Xlib display. Asked of the toolkit rather than read from DISPLAY, which -display overrides.
QByteArray openedDisplayName()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display *const display = x11 ? x11->display() : nullptr;
    return display ? QByteArray(XDisplayString(display)) : QByteArray();
}

} // namespace

namespace {

void logReading(QClipboard::Mode mode, const std::optional<SelectionText::Result> &read)
{
    static constexpr const char *outcomes[]
        = {"text", "no owner", "no text", "no answer", "too large"};
    const char *const name = mode == QClipboard::Selection ? "selection" : "clipboard";
    if (!read) {
        qCDebug(clipboardLog, "%s read by the toolkit, whole", name);
        return;
    }
    qCDebug(clipboardLog, "%s read by the program, in bounded pieces: %s, %lld characters", name,
            outcomes[int(read->outcome)], qlonglong(qMax(read->text.size(), read->charactersRead)));
}

} // namespace

SystemClipboard::SystemClipboard(QClipboard &clipboard)
    : m_clipboard(clipboard)
{}

void SystemClipboard::Clear()
{
    m_clipboard.clear(QClipboard::Clipboard);
}

void SystemClipboard::SetText(const QString &text)
{
    m_clipboard.setText(LineEnds::toPlatform(text), QClipboard::Clipboard);
}

QString SystemClipboard::GetText(qsizetype characterLimit, QClipboard::Mode mode) const
{
    // What this program put there is at hand without asking anybody.
    const bool ours
        = mode == QClipboard::Selection ? m_clipboard.ownsSelection() : m_clipboard.ownsClipboard();
    const std::optional<SelectionText::Result> read
        = ours ? std::nullopt : readFromOwner(characterLimit, mode);
    if (clipboardLog().isDebugEnabled())
        logReading(mode, read);
    return LineEnds::toCrLf(read ? textOf(*read, characterLimit)
                                 : textAtHand(characterLimit, mode));
}

QString SystemClipboard::textAtHand(qsizetype characterLimit, QClipboard::Mode mode) const
{
    const QString text = m_clipboard.text(mode);
    if (text.size() > characterLimit)
        refuseAsTooLarge(text.size(), true, characterLimit);
    return text;
}

// The window keeps repainting while the other program takes its time, but takes no clicks or
// keys: the paste is still one operation that ends before the next begins. Gives nothing where
// only the toolkit's own clipboard can read the text.
std::optional<SelectionText::Result> SystemClipboard::readFromOwner(qsizetype characterLimit,
                                                                    QClipboard::Mode mode)
{
    const Patience patience{Silence, LongestTransfer};
    const bool primary = mode == QClipboard::Selection;
    if (QGuiApplication::platformName() == u"xcb") {
        // Without the display's name, the toolkit's own clipboard still reads the right display.
        const QByteArray displayName = openedDisplayName();
        const auto selection = displayName.isEmpty() ? nullptr : X11Selection::connect(displayName);
        if (!selection)
            return std::nullopt;
        return selection->readText(primary ? X11Selection::SelectionName::Primary
                                           : X11Selection::SelectionName::Clipboard,
                                   characterLimit, patience, keepRepainting);
    }
    if (WaylandSelection *const selection = WaylandSelection::watching()) {
        return selection->readText(primary ? WaylandSelection::SelectionName::Primary
                                           : WaylandSelection::SelectionName::Clipboard,
                                   characterLimit, patience, keepRepainting);
    }
    return std::nullopt;
}

QString SystemClipboard::textOf(const SelectionText::Result &read, qsizetype characterLimit)
{
    switch (read.outcome) {
    case SelectionText::Outcome::Text:
        return read.text;
    case SelectionText::Outcome::NoOwner:
    case SelectionText::Outcome::NoText:
        return {};
    case SelectionText::Outcome::NoAnswer:
        refuseAsSilent();
    case SelectionText::Outcome::TooLarge:
        refuseAsTooLarge(read.charactersRead, read.wholeTextRead, characterLimit);
    }
    return {};
}

ClipboardText::DroppedText SystemClipboard::GetDroppedText(const QMimeData &offered,
                                                           qsizetype characterLimit) const
{
    if (const std::optional<SelectionText::Result> read = readDropped(characterLimit)) {
        switch (read->outcome) {
        case SelectionText::Outcome::Text:
            return ClipboardText::DroppedText::of(read->text, characterLimit);
        case SelectionText::Outcome::TooLarge:
            return {{}, read->charactersRead};
        case SelectionText::Outcome::NoAnswer:
            refuseAsSilent();
        case SelectionText::Outcome::NoOwner:
        case SelectionText::Outcome::NoText:
            // A source that does not own XdndSelection (the Motif protocol's) or offers no text
            // format by it: only the toolkit can read what it offers.
            break;
        }
    }
    // Unbounded: the toolkit reads the whole text before its length is known.
    return ClipboardText::DroppedText::of(offered.text(), characterLimit);
}

// The drop is read from its source where the program sees the drag itself: on X11 from
// XdndSelection at the drop's time, on Wayland through the program's own data device.
std::optional<SelectionText::Result> SystemClipboard::readDropped(qsizetype characterLimit)
{
    const Patience patience{Silence, LongestTransfer};
    if (QGuiApplication::platformName() == u"xcb") {
        const QByteArray displayName = openedDisplayName();
        const auto selection = displayName.isEmpty() ? nullptr : X11Selection::connect(displayName);
        if (!selection)
            return std::nullopt;
        return selection->readText(X11Selection::SelectionName::DragAndDrop, characterLimit,
                                   patience, keepRepainting, X11DropTime::lastDrop());
    }
    if (WaylandSelection *const selection = WaylandSelection::watching())
        return selection->readDropped(characterLimit, patience, keepRepainting);
    return std::nullopt;
}

void SystemClipboard::keepRepainting()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SystemClipboard::refuseAsTooLarge(qsizetype characterCount, bool wholeTextRead,
                                       qsizetype characterLimit)
{
    const QString count = QLocale().toString(characterCount);
    const QString howLarge
        = wholeTextRead ? tr("ma %1 znaków").arg(count) : tr("ma ponad %1 znaków").arg(count);
    throw RuntimeFailure(RuntimeFailure::OutOfMemory,
                         tr("Tekst w schowku jest za duży: %1, a pole tekstowe przyjmuje teksty do "
                            "%2 znaków. Nic nie wklejono.")
                             .arg(howLarge, QLocale().toString(characterLimit)));
}

void SystemClipboard::refuseAsSilent()
{
    throw RuntimeFailure(
        RuntimeFailure::DeviceIOError,
        tr("Schowek nie odpowiada: program, który go trzyma, nie oddał tekstu w ciągu %1 s. Nic "
           "nie wklejono; można spróbować jeszcze raz albo skopiować tekst od nowa.")
            .arg(std::chrono::duration_cast<std::chrono::seconds>(Silence).count()));
}

SystemClipboard Clipboard()
{
    return SystemClipboard(*QGuiApplication::clipboard());
}
