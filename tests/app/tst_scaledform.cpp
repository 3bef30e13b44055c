// The main window at a device scale of 2, as on a high-density screen: twice its designed size
// in device pixels, and every caption drawn whole inside its control at the scaled font.

#include "app/Form1.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QPainter>
#include <QTest>

namespace {

constexpr qreal Scale = 2.0;

// The smallest rectangle holding every pixel where the two images differ.
QRect differingPixels(const QImage &first, const QImage &second)
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

QImage asPixels(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QString captionOf(const QWidget &control)
{
    if (const auto *frame = qobject_cast<const QGroupBox *>(&control))
        return frame->title();
    return qobject_cast<const QAbstractButton *>(&control)->text();
}

// Where a control draws its caption, in device pixels of the area: the pixels that change when
// only the caption's colour does.
QRect captionInk(QWidget &control, const QRect &area)
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
QSize freeInkSize(const QFont &font, const QString &caption)
{
    const QSizeF room(QFontMetricsF(font).horizontalAdvance(caption) + 40.0,
                      QFontMetricsF(font).height() + 40.0);
    const auto draw = [&](Qt::GlobalColor color) {
        QImage image((room * Scale).toSize(), QImage::Format_ARGB32);
        image.setDevicePixelRatio(Scale);
        image.fill(Qt::gray);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRectF(QPointF(0, 0), room), Qt::AlignCenter, caption);
        return image;
    };
    return differingPixels(draw(Qt::black), draw(Qt::white)).size();
}

} // namespace

class ScaledFormTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowIsTwiceItsDesignInDevicePixels();
    void captionIsDrawnWhole_data();
    void captionIsDrawnWhole();

private:
    Form1 m_form;
};

void ScaledFormTest::initTestCase()
{
    QCOMPARE(qApp->devicePixelRatio(), Scale);
    m_form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_form));
}

void ScaledFormTest::windowIsTwiceItsDesignInDevicePixels()
{
    const QPixmap shot = m_form.grab();
    QCOMPARE(shot.devicePixelRatio(), Scale);
    QCOMPARE(shot.size(), QSize(1002, 1056));
}

void ScaledFormTest::captionIsDrawnWhole_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"Check1", "Command1", "Frame1", "Check2", "Check3", "Check4", "Check5",
                             "Frame2", "Option1", "Option2", "Option3", "Option4", "Option5",
                             "Command2", "Command3", "Command4", "Command5", "Command6"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void ScaledFormTest::captionIsDrawnWhole()
{
    QFETCH(QString, name);
    auto *control = m_form.findChild<QWidget *>(name);
    QVERIFY(control);
    const QString caption = captionOf(*control);
    QVERIFY(!caption.trimmed().isEmpty());

    // A frame's title runs along its top edge, above the controls it holds.
    QRect area = control->rect();
    if (qobject_cast<QGroupBox *>(control)) {
        int firstChildTop = area.height();
        for (const QWidget *child : control->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            firstChildTop = qMin(firstChildTop, child->y());
        area.setHeight(firstChildTop);
    }
    const QSize areaPixels = area.size() * Scale;
    const QRect ink = captionInk(*control, area);
    const QSize whole = freeInkSize(control->font(), caption);
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

QTEST_MAIN(ScaledFormTest)
#include "tst_scaledform.moc"
