#include "app/FormBuilder.h"

#include "platform/AccessibleWindow.h"
#include "platform/CheckBox.h"
#include "platform/CommandButton.h"
#include "platform/ScreenFit.h"
#include "platform/TextBox.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <vector>

FormBuilder::Controls FormBuilder::build(QWidget &form, const WindowSpec &window,
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

    Controls built;
    for (const ControlSpec &design : controls) {
        const QString containerName = QString::fromUtf8(design.container);
        QWidget *container
            = containerName == form.objectName() ? &form : built.value(containerName);
        Q_ASSERT_X(container, "FormBuilder", "a container must come before its controls");
        QWidget *control = createControl(design, container);
        control->setGeometry(pixels(design.left), pixels(design.top), pixels(design.width),
                             pixels(design.height));
        built.insert(control->objectName(), control);
    }
    setTabOrder(built, controls);
    if (fit < 1.0)
        ScreenFit::shrinkFont(form, fit);
    return built;
}

QWidget *FormBuilder::createControl(const ControlSpec &design, QWidget *container)
{
    const QString caption = QString::fromUtf8(design.caption);
    QWidget *control = nullptr;
    switch (design.kind) {
    case ControlKind::TextBox: {
        auto *textBox = new TextBox(container);
        textBox->setInitialText(QString::fromUtf8(design.text));
        control = textBox;
        break;
    }
    case ControlKind::CheckBox: {
        auto *checkBox = new CheckBox(caption, container);
        checkBox->setInitialValue(design.value);
        control = checkBox;
        break;
    }
    case ControlKind::CommandButton:
        control = new CommandButton(caption, container);
        break;
    case ControlKind::Frame:
        control = new QGroupBox(caption, container);
        break;
    case ControlKind::OptionButton:
        control = new QRadioButton(caption, container);
        break;
    }
    control->setObjectName(QString::fromUtf8(design.name));
    if (design.accessibleName)
        control->setAccessibleName(QString::fromUtf8(design.accessibleName));
    else if (!caption.isEmpty())
        control->setAccessibleName(caption.trimmed());
    if (design.accessibleDescription)
        control->setAccessibleDescription(QString::fromUtf8(design.accessibleDescription));
    return control;
}

void FormBuilder::setTabOrder(const Controls &built, std::span<const ControlSpec> controls)
{
    std::vector<const ControlSpec *> byTabIndex;
    for (const ControlSpec &design : controls)
        byTabIndex.push_back(&design);
    std::ranges::stable_sort(byTabIndex, {}, &ControlSpec::tabIndex);

    QWidget *previous = nullptr;
    for (const ControlSpec *design : byTabIndex) {
        QWidget *control = built.value(QString::fromUtf8(design->name));
        if (!(control->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}
