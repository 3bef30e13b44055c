// SPDX-License-Identifier: GPL-3.0-or-later
#include "textarea/ReadableColor.h"

#include <QtMath>

namespace ReadableColor {

namespace {

qreal linear(qreal channel)
{
    return channel <= 0.04045 ? channel / 12.92 : qPow((channel + 0.055) / 1.055, 2.4);
}

qreal luminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF())
           + 0.0722 * linear(rgb.blueF());
}

QColor mixed(const QColor &from, const QColor &to, int step, int steps)
{
    const auto channel = [step, steps](int a, int b) {
        return a + qRound(qreal(b - a) * step / steps);
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

} // namespace

qreal contrast(const QColor &first, const QColor &second)
{
    const qreal a = luminance(first);
    const qreal b = luminance(second);
    return (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05);
}

QColor on(const QColor &background, const QColor &preferred, qreal wanted)
{
    const QColor start = preferred.toRgb();
    if (contrast(start, background) >= wanted)
        return start;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor extreme
        = contrast(black, background) >= contrast(white, background) ? black : white;
    // One step per level of an 8-bit channel: the first colour on the way that reads is the one
    // that keeps most of the preferred colour.
    constexpr int Steps = 255;
    for (int step = 1; step < Steps; ++step) {
        const QColor candidate = mixed(start, extreme, step, Steps);
        if (contrast(candidate, background) >= wanted)
            return candidate;
    }
    return extreme;
}

} // namespace ReadableColor
