// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormBuilder.h"

#include "app/AccessibleWindow.h"
#include "app/Form1.h"
#include "app/ScreenFit.h"
#include "clipboard/AreaClipboard.h"
#include "controls/CheckBox.h"
#include "controls/CommandButton.h"
#include "textarea/TextBox.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

template<typename Control>
Control *create(const ControlSpec &design, QWidget *container)
{
    if constexpr (std::is_same_v<Control, TextBox>) {
        auto *textBox = new TextBox(container);
        textBox->setClipboard(std::make_unique<AreaClipboard>());
        textBox->setInitialText(QString::fromUtf8(design.text));
        return textBox;
    } else {
        auto *control = new Control(QString::fromUtf8(design.caption), container);
        if constexpr (std::is_same_v<Control, CheckBox>)
            control->setInitialValue(design.value);
        return control;
    }
}

} // namespace

void FormBuilder::build(Form1 &form, const WindowSpec &window,
                        std::span<const ControlSpec> controls)
{
    AccessibleWindow::expose(form, QString::fromUtf8(window.accessibleName),
                             QString::fromUtf8(window.accessibleDescription));

    const qreal logicalDpi = form.screen()->logicalDotsPerInch();
    const QSize designed(twipsToPixels(window.clientWidth, logicalDpi),
                         twipsToPixels(window.clientHeight, logicalDpi));
    const qreal fit = ScreenFit::scale(form, designed);
    const auto pixels = [dotsPerInch = logicalDpi * fit](Twips twips) {
        return twipsToPixels(twips, dotsPerInch);
    };
    form.setWindowTitle(QString::fromUtf8(window.caption));
    form.setFixedSize(pixels(window.clientWidth), pixels(window.clientHeight));

    std::vector<QWidget *> built;
    for (const ControlSpec &design : controls) {
        QWidget *control = createControl(form, design);
        control->setGeometry(pixels(design.left), pixels(design.top), pixels(design.width),
                             pixels(design.height));
        built.push_back(control);
    }
    setTabOrder(built, controls);
    if (fit < 1.0)
        ScreenFit::shrinkFont(form, fit);
}

QWidget *FormBuilder::createControl(Form1 &form, const ControlSpec &design)
{
    QWidget *container = &form;
    if (design.container)
        container = form.*design.container;
    QWidget *control = std::visit(
        [&]<typename Control>(Control *Form1::*member) -> QWidget * {
            return form.*member = create<Control>(design, container);
        },
        design.member);
    control->setObjectName(QString::fromUtf8(design.name));
    const QString caption = QString::fromUtf8(design.caption);
    if (design.accessibleName)
        control->setAccessibleName(QString::fromUtf8(design.accessibleName));
    else if (!caption.isEmpty())
        control->setAccessibleName(caption.trimmed());
    if (design.accessibleDescription)
        control->setAccessibleDescription(QString::fromUtf8(design.accessibleDescription));
    return control;
}

// The controls in the order of their tab index; those that take no focus are passed over.
void FormBuilder::setTabOrder(std::span<QWidget *const> built,
                              std::span<const ControlSpec> controls)
{
    std::vector<size_t> byTabIndex(controls.size());
    std::iota(byTabIndex.begin(), byTabIndex.end(), 0);
    std::ranges::stable_sort(byTabIndex, {},
                             [controls](size_t index) { return controls[index].tabIndex; });

    QWidget *previous = nullptr;
    for (const size_t index : byTabIndex) {
        QWidget *control = built[index];
        if (!(control->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}
