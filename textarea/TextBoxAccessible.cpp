// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/TextBoxAccessible.h"

#include "textarea/TextBox.h"

namespace {

QAccessibleInterface *describe(const QString &className, QObject *object)
{
    if (className == QLatin1String(TextBox::staticMetaObject.className()) && object->isWidgetType())
        return new TextBoxAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

TextBoxAccessible::TextBoxAccessible(QWidget *area)
    : QAccessibleWidget(area, QAccessible::EditableText)
{}

QAccessible::State TextBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const bool editable = widget()->isEnabled();
    state.editable = editable;
    state.readOnly = !editable;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void TextBoxAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    Q_UNUSED(installed);
}
