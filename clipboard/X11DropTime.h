// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QtGlobal>

// The time of the last drop another X11 program made on one of the program's windows, taken
// from its XdndDrop message before the toolkit handles it. A drop's source serves the dropped
// text for the drag of that time: a reading at any other time may get another drag's text, or
// none. The toolkit keeps the time to itself.
class X11DropTime : public QAbstractNativeEventFilter
{
public:
    // Starts watching the toolkit's X11 connection, once; elsewhere does nothing.
    static void watch();
    // The last drop's time, or 0 (the current time) before any.
    static quint32 lastDrop();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    explicit X11DropTime(quint32 dropAtom);

    const quint32 m_dropAtom;
    quint32 m_lastDrop = 0;
};
