// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether a control draws its caption whole: the pixels the caption inks inside the control,
// against the same caption drawn where nothing limits it. Used on windows drawn at a device scale.

#include "app/Form1Design.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QPainter>
#include <QPixmap>
#include <QTest>

namespace CaptionInk {

// The smallest rectangle holding every pixel where the two images differ.
inline QRect differingPixels(const QImage &first, const QImage &second)
{
    QRect box;
    for (int y = 0; y < first.height(); ++y) {
        const auto *firstLine = reinterpret_cast<const QRgb *>(first.constScanLine(y));
        const auto *secondLine = reinterpret_cast<const QRgb *>(second.constScanLine(y));
        for (int x = 0; x < first.width(); ++x) {
            if (firstLine[x] != secondLine[x])
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

inline QImage asPixels(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

inline QString captionOf(const QWidget &control)
{
    if (const auto *frame = qobject_cast<const QGroupBox *>(&control))
        return frame->title();
    if (const auto *button = qobject_cast<const QAbstractButton *>(&control))
        return button->text();
    return {};
}

// Where a control draws its caption, in device pixels of the area: the pixels that change when
// only the caption's colour does.
inline QRect inkedArea(QWidget &control, const QRect &area)
{
    const QPalette original = control.palette();
    const auto grabWithCaptionIn = [&](Qt::GlobalColor color) {
        QPalette colours = original;
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
            colours.setColor(role, color);
        // A frame draws its title in the text colour; the boxes it holds are all unticked.
        if (qobject_cast<QGroupBox *>(&control))
            colours.setColor(QPalette::Text, color);
        control.setPalette(colours);
        return asPixels(control.grab(area));
    };
    const QImage dark = grabWithCaptionIn(Qt::black);
    const QImage light = grabWithCaptionIn(Qt::white);
    control.setPalette(original);
    return differingPixels(dark, light);
}

// The size of the caption's ink when nothing limits it, drawn at the same scale and font.
inline QSize freeInkSize(const QFont &font, const QString &caption, qreal scale)
{
    const QSizeF room(QFontMetricsF(font).horizontalAdvance(caption) + 40.0,
                      QFontMetricsF(font).height() + 40.0);
    const auto draw = [&](Qt::GlobalColor color) {
        QImage image((room * scale).toSize(), QImage::Format_ARGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::gray);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRectF(QPointF(0, 0), room), Qt::AlignCenter, caption);
        return image;
    };
    return differingPixels(draw(Qt::black), draw(Qt::white)).size();
}

// Fails the running test when the control's caption is cut, at its edge or inside it.
inline void verifyDrawnWhole(QWidget &control, qreal scale)
{
    const QString caption = captionOf(control);
    QVERIFY(!caption.trimmed().isEmpty());

    // A frame's title runs along its top edge, above the controls it holds.
    QRect area = control.rect();
    if (qobject_cast<QGroupBox *>(&control)) {
        int firstChildTop = area.height();
        for (const QWidget *child : control.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            firstChildTop = qMin(firstChildTop, child->y());
        area.setHeight(firstChildTop);
    }
    const QSize areaPixels = area.size() * scale;
    const QRect ink = inkedArea(control, area);
    const QSize whole = freeInkSize(control.font(), caption, scale);
    const QString seen = QStringLiteral("\"%1\": ink %2x%3 at (%4, %5) in %6x%7, whole %8x%9")
                             .arg(caption)
                             .arg(ink.width())
                             .arg(ink.height())
                             .arg(ink.x())
                             .arg(ink.y())
                             .arg(areaPixels.width())
                             .arg(areaPixels.height())
                             .arg(whole.width())
                             .arg(whole.height());

    QVERIFY2(!ink.isEmpty(), qPrintable(seen));
    // Text cut at the control's edge would reach it.
    QVERIFY2(ink.left() > 0 && ink.top() > 0 && ink.right() < areaPixels.width() - 1
                 && ink.bottom() < areaPixels.height() - 1,
             qPrintable(seen));
    // Text cut by the style inside the control would be smaller than the caption drawn freely;
    // a pixel either way comes from where the glyphs fall on the pixel grid.
    QVERIFY2(qAbs(ink.width() - whole.width()) <= 2, qPrintable(seen));
    QVERIFY2(qAbs(ink.height() - whole.height()) <= 2, qPrintable(seen));
}

// One test row per control of the window's design that shows a caption, named after it.
inline void addCaptionedControlRows()
{
    QTest::addColumn<QString>("name");
    for (const ControlSpec &design : Form1Design::Controls) {
        if (*design.caption)
            QTest::newRow(design.name) << QString::fromLatin1(design.name);
    }
}

// Fails the running test when the caption of the row's control of the window is cut.
inline void verifyRowDrawnWhole(const QWidget &window, qreal scale)
{
    QFETCH(QString, name);
    auto *control = window.findChild<QWidget *>(name);
    QVERIFY(control);
    verifyDrawnWhole(*control, scale);
}

} // namespace CaptionInk
