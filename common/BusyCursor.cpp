// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace {

// On Wayland, Qt 6.4 animates a themed cursor with a frame callback that is freed while it
// still runs. While a paste waits on another program the event loop runs those callbacks, and
// the program was seen to crash in one; a still hourglass of the program's own is a picture,
// which nothing animates.
QCursor stillHourglass()
{
    QPixmap picture(16, 24);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygonF({{2, 1},
                                   {14, 1},
                                   {14, 3},
                                   {9, 12},
                                   {14, 21},
                                   {14, 23},
                                   {2, 23},
                                   {2, 21},
                                   {7, 12},
                                   {2, 3}}));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF({{4.5, 21.5}, {11.5, 21.5}, {8, 16}}));
    painter.end();
    return QCursor(picture, 8, 12);
}

QCursor busyCursor()
{
    return QGuiApplication::platformName() == u"wayland" ? stillHourglass()
                                                         : QCursor(Qt::WaitCursor);
}

} // namespace

// Without a GUI application (a command-line tool) there is no cursor to change.
BusyCursor::BusyCursor()
    : m_shown(qGuiApp != nullptr)
{
    if (m_shown)
        QGuiApplication::setOverrideCursor(busyCursor());
}

BusyCursor::~BusyCursor()
{
    if (m_shown)
        QGuiApplication::restoreOverrideCursor();
}
