#include "platform/ReadableColor.h"
#include "textarea/TextBox.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

// The text area for those who cannot see it well or at all: readable while disabled, told to
// assistive technology as read-only then, and no part of it without a name.
class TextBoxAccessTest : public QObject
{
    Q_OBJECT

private slots:
    void disabledTextIsReadable_data();
    void disabledTextIsReadable();
    void disabledAreaIsReadOnly_data();
    void disabledAreaIsReadOnly();
    void everyPartIsNamed();
};

namespace {

// Light: the style's own colours. Dark: a theme whose greyed text is as faint as the style's.
// The page's background is light in one and dark in the other, so the text must move either way.
QPalette themePalette(const QString &theme)
{
    QPalette palette = QApplication::palette();
    if (theme == "dark") {
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Window, QColor(0x30, 0x30, 0x30));
            palette.setColor(group, QPalette::Base, QColor(0x20, 0x20, 0x20));
            palette.setColor(group, QPalette::Text, QColor(0xee, 0xee, 0xee));
        }
        palette.setColor(QPalette::Disabled, QPalette::Base, QColor(0x30, 0x30, 0x30));
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x50, 0x50, 0x50));
    }
    return palette;
}

// The colour most pixels of the region have.
QColor background(const QImage &image, const QRect &region)
{
    QHash<QRgb, int> counts;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x)
            ++counts[image.pixel(x, y)];
    }
    const auto most = std::max_element(counts.cbegin(), counts.cend());
    return QColor::fromRgb(most.key());
}

// The contrast of the inked pixel that stands out most from the region's background.
qreal strongestInkContrast(const QImage &image, const QRect &region)
{
    const QColor background = ::background(image, region);
    qreal strongest = 1;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x)
            strongest
                = qMax(strongest, ReadableColor::contrast(image.pixelColor(x, y), background));
    }
    return strongest;
}

} // namespace

void TextBoxAccessTest::disabledTextIsReadable_data()
{
    QTest::addColumn<QString>("theme");
    QTest::addColumn<int>("points");

    QTest::newRow("light theme") << "light" << 14;
    QTest::newRow("light theme, small text") << "light" << 9;
    QTest::newRow("dark theme") << "dark" << 14;
    QTest::newRow("dark theme, small text") << "dark" << 9;
}

void TextBoxAccessTest::disabledTextIsReadable()
{
    QFETCH(QString, theme);
    QFETCH(int, points);

    QWidget window;
    window.setPalette(themePalette(theme));
    auto *box = new TextBox(&window);
    box->setGeometry(0, 0, 300, 120);
    QFont font = box->font();
    font.setPointSize(points);
    box->setFont(font);
    box->SetText(QStringLiteral("Możliwa edycja"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage enabled = box->viewport()->grab().toImage();
    box->SetEnabled(false);
    const QImage disabled = box->viewport()->grab().toImage();

    // The text's line, from its first to its last character.
    const QRect first = box->characterRect(0).toRect();
    const QRect last = box->characterRect(box->buffer().lineEnd(0)).toRect();
    const QRect line = QRect(first.topLeft(), last.bottomLeft()).adjusted(1, 0, 0, 0);
    const QColor backgroundEnabled = background(enabled, line);
    const QColor backgroundDisabled = background(disabled, line);
    const qreal contrast = strongestInkContrast(disabled, line);
    const QString seen = QStringLiteral("strongest ink at %1:1 on %2 in %3,%4 %5x%6")
                             .arg(contrast, 0, 'f', 2)
                             .arg(backgroundDisabled.name())
                             .arg(line.x())
                             .arg(line.y())
                             .arg(line.width())
                             .arg(line.height());
    QVERIFY2(contrast >= ReadableColor::MinimumContrast, qPrintable(seen));
    // It still looks out of reach: a muted background, and text fainter than when enabled.
    QVERIFY2(backgroundDisabled != backgroundEnabled, qPrintable(seen));
    QVERIFY2(contrast < strongestInkContrast(enabled, line), qPrintable(seen));
}

void TextBoxAccessTest::disabledAreaIsReadOnly_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("through the contract") << "SetEnabled";
    QTest::newRow("through Qt") << "setEnabled";
    QTest::newRow("its window disabled") << "window";
}

void TextBoxAccessTest::disabledAreaIsReadOnly()
{
    QFETCH(QString, how);

    QWidget window;
    auto *box = new TextBox(&window);
    box->resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto enable = [&](bool on) {
        if (how == "SetEnabled")
            box->SetEnabled(on);
        else if (how == "setEnabled")
            box->setEnabled(on);
        else
            window.setEnabled(on);
    };
    QAccessibleInterface *area = QAccessible::queryAccessibleInterface(box);
    QVERIFY(area);
    QVERIFY(area->state().editable);
    QVERIFY(!area->state().readOnly);

    enable(false);
    QVERIFY(area->state().disabled);
    QVERIFY(!area->state().editable);
    QVERIFY(area->state().readOnly);
    // The program's writes still go through.
    box->SetText(QStringLiteral("program"));
    box->SetSelStart(0);
    box->SetSelLength(4);
    box->SetSelText(QStringLiteral("Pro"));
    QCOMPARE(box->Text(), QStringLiteral("Proram"));

    enable(true);
    QVERIFY(!area->state().disabled);
    QVERIFY(area->state().editable);
    QVERIFY(!area->state().readOnly);
    // And the user can type again.
    box->setFocus();
    box->SetSelStart(3);
    QTest::keyClicks(box, QStringLiteral("g"));
    QCOMPARE(box->Text(), QStringLiteral("Program"));
}

void TextBoxAccessTest::everyPartIsNamed()
{
    TextBox box;
    box.setAccessibleName(QStringLiteral("Notatki"));
    QList<QAccessibleInterface *> parts{QAccessible::queryAccessibleInterface(&box)};
    int seen = 0;
    while (!parts.isEmpty()) {
        QAccessibleInterface *part = parts.takeFirst();
        const QString name = part->text(QAccessible::Name);
        QVERIFY2(!name.trimmed().isEmpty(),
                 qPrintable(QStringLiteral("unnamed %1 (role %2)")
                                .arg(QString::fromLatin1(part->object()->metaObject()->className()))
                                .arg(part->role())));
        QCOMPARE(name, name.trimmed());
        for (int child = 0; child < part->childCount(); ++child)
            parts << part->child(child);
        ++seen;
    }
    // The area, its page, and each scroll bar in its container.
    QCOMPARE(seen, 6);
}

QTEST_MAIN(TextBoxAccessTest)
#include "tst_textboxaccess.moc"
