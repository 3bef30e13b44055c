// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

// Without a GUI application (a command-line tool) there is no cursor to change.
BusyCursor::BusyCursor()
    : m_shown(qGuiApp != nullptr)
{
    if (m_shown)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    if (m_shown)
        QGuiApplication::restoreOverrideCursor();
}
