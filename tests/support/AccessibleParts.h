// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What assistive technology finds of a window or a control.

#include <QAccessible>
#include <QList>

// Every part of the object's accessibility tree, the object itself first, as a screen reader
// walks it.
inline QList<QAccessibleInterface *> accessibleParts(QObject *root)
{
    QList<QAccessibleInterface *> parts{QAccessible::queryAccessibleInterface(root)};
    for (qsizetype index = 0; index < parts.size(); ++index) {
        for (int child = 0; child < parts[index]->childCount(); ++child) {
            if (QAccessibleInterface *inner = parts[index]->child(child))
                parts << inner;
        }
    }
    return parts;
}
