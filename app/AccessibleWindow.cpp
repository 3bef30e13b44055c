// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AccessibleWindow.h"

#include <QAccessibleWidget>
#include <QString>
#include <QWidget>

namespace AccessibleWindow {

namespace {

constexpr char ExposedAsWindow[] = "notatkiExposedAsWindow";

QAccessibleInterface *windowInterface(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || !widget->isWindow() || !widget->property(ExposedAsWindow).toBool())
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

void expose(QWidget &window, const QString &name, const QString &description)
{
    static const bool installed = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    Q_UNUSED(installed);
    window.setProperty(ExposedAsWindow, true);
    window.setAccessibleName(name);
    window.setAccessibleDescription(description);
}

} // namespace AccessibleWindow
