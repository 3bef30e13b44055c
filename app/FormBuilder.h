#pragma once

#include "app/ControlSpec.h"

#include <QHash>
#include <QString>

#include <span>

class QWidget;

// Builds a window and its controls from a design: caption, fixed client size, every control in
// its container with its caption, rectangle and initial settings, and the tab order. A design
// that would not fit the screen is shrunk in proportion, font included, until it does.
class FormBuilder
{
public:
    using Controls = QHash<QString, QWidget *>;

    static Controls build(QWidget &form, const WindowSpec &window,
                          std::span<const ControlSpec> controls);

private:
    static QWidget *createControl(const ControlSpec &design, QWidget *container);
    static void setTabOrder(const Controls &built, std::span<const ControlSpec> controls);
};
