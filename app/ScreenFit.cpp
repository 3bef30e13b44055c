// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenFit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace ScreenFit {

qreal scale(const QSize &designedClient, const QMargins &frame, const QSize &available)
{
    // Nothing to go by: a screen that reports no area, or a design with none.
    if (available.isEmpty() || designedClient.isEmpty())
        return 1.0;
    const qreal across
        = qreal(available.width() - frame.left() - frame.right()) / designedClient.width();
    const qreal down
        = qreal(available.height() - frame.top() - frame.bottom()) / designedClient.height();
    // A screen smaller than the frame alone leaves no room for any design.
    if (across <= 0 || down <= 0)
        return 1.0;
    return qMin(1.0, qMin(across, down));
}

qreal scale(const QWidget &window, const QSize &designedClient)
{
    const QStyle *style = window.style();
    const int border = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &window);
    const int titleBar = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QMargins frame(border, titleBar + border, border, border);
    return scale(designedClient, frame, window.screen()->availableGeometry().size());
}

namespace {

void scaleFont(QWidget &window, qreal factor)
{
    QFont font = window.font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    window.setFont(font);
}

// The width a control takes besides its caption's text.
int chromeWidth(const QWidget &control)
{
    const QStyle *style = control.style();
    if (qobject_cast<const QCheckBox *>(&control)) {
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &control)
               + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &control);
    }
    if (qobject_cast<const QRadioButton *>(&control)) {
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, &control)
               + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, &control);
    }
    if (qobject_cast<const QPushButton *>(&control)) {
        return 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &control)
               + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &control);
    }
    // A frame's caption sits between its two side lines.
    return 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &control);
}

QString captionOf(const QWidget &control)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(&control))
        return button->text();
    if (const auto *frame = qobject_cast<const QGroupBox *>(&control))
        return frame->title();
    return {};
}

} // namespace

bool captionFits(const QWidget &control)
{
    const QString caption = captionOf(control);
    if (caption.isEmpty())
        return true;
    const QFontMetricsF metrics(control.font());
    return metrics.horizontalAdvance(caption) + chromeWidth(control) <= control.width()
           && metrics.height() <= control.height();
}

void shrinkFont(QWidget &window, qreal factor)
{
    scaleFont(window, factor);
    const QList<QWidget *> controls = window.findChildren<QWidget *>();
    const auto allFit = [&controls] {
        return std::ranges::all_of(controls,
                                   [](const QWidget *control) { return captionFits(*control); });
    };
    // Glyphs do not shrink smoothly with the font, so the font goes down in small steps; a
    // bound keeps a screen too small for any caption from shrinking the text to nothing.
    constexpr qreal Step = 0.97;
    constexpr int MostSteps = 20;
    for (int step = 0; step < MostSteps && !allFit(); ++step)
        scaleFont(window, Step);
}

} // namespace ScreenFit
