// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a widget's window holds on the screen, against what painting all of it at once draws:
// a repaint of part of a widget changes only that part of the window, so the two differ where a
// partial repaint left something out.

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QScreen>
#include <QTimer>
#include <QWidget>

// Lets the event loop run until the widget has been painted once more, or the time is up.
inline bool waitForPaint(QWidget *widget, int milliseconds)
{
    class PaintWatch : public QObject
    {
    public:
        explicit PaintWatch(QEventLoop &loop)
            : m_loop(loop)
        {}

    protected:
        bool eventFilter(QObject *, QEvent *event) override
        {
            // Quit once the paint is over, not before it starts.
            if (event->type() == QEvent::Paint)
                QMetaObject::invokeMethod(
                    &m_loop, [this] { m_loop.exit(0); }, Qt::QueuedConnection);
            return false;
        }

    private:
        QEventLoop &m_loop;
    };
    QEventLoop loop;
    PaintWatch watch(loop);
    widget->installEventFilter(&watch);
    QTimer::singleShot(milliseconds, &loop, [&loop] { loop.exit(1); });
    const bool painted = loop.exec() == 0;
    widget->removeEventFilter(&watch);
    return painted;
}

// The widget's pixels as its window holds them.
inline QImage heldPixels(const QWidget *widget)
{
    const QPoint corner = widget->mapTo(widget->window(), QPoint(0, 0));
    return widget->screen()
        ->grabWindow(widget->window()->winId(), corner.x(), corner.y(), widget->width(),
                     widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The widget painted whole, afresh.
inline QImage freshPixels(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
