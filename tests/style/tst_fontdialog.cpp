// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RuntimeFailure.h"
#include "startup/Startup.h"
#include "style/CommonDialog.h"
#include "style/FontDialog.h"
#include "tests/support/AccessibleParts.h"
#include "tests/support/ModalDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

QPushButton *button(QDialog &dialog, QDialogButtonBox::StandardButton which)
{
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    return buttons ? buttons->button(which) : nullptr;
}

// Every text the visible dialog shows on its controls and labels.
QStringList visibleTexts(QDialog &dialog)
{
    QStringList texts{dialog.windowTitle()};
    for (QWidget *widget : dialog.findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(&dialog))
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        else if (auto *pressable = qobject_cast<QAbstractButton *>(widget))
            texts << pressable->text();
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            texts << group->title();
    }
    return texts;
}

// A family that is not the application's default, so that choosing it is a real change.
QString someOtherFamily()
{
    const QString usual = QFontInfo(QApplication::font()).family();
    for (const QString &family : QFontDatabase::families()) {
        if (family != usual && !QFontDatabase::isPrivateFamily(family))
            return family;
    }
    return {};
}

} // namespace

class FontDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void choosesThenReopensOnTheChoiceWithoutEffects();
    void opensOnEveryStyleItWasGiven_data();
    void opensOnEveryStyleItWasGiven();
    void okNeedsASizeInRange_data();
    void okNeedsASizeInRange();
    void everyFocusablePartIsNamed_data();
    void everyFocusablePartIsNamed();
};

void FontDialogTest::initTestCase()
{
    Startup::speakPolish(*qApp);
}

void FontDialogTest::choosesThenReopensOnTheChoiceWithoutEffects()
{
    const QString family = someOtherFamily();
    QVERIFY2(!family.isEmpty(), "the test needs at least two font families");
    CommonDialog commonDialog;
    commonDialog.SetCancelError(true);
    commonDialog.SetFlags(CommonDialog::ScreenAndPrinterFonts);

    // First use: nothing preselected, so OK waits for a face; then a face, bold and 14 points.
    bool ran = false;
    int firstIndex = 0;
    QString firstSize;
    bool okWithoutFace = true;
    int listed = 0;
    bool modal = false;
    whenDialogOpens(
        [&](QDialog &dialog) {
            modal = dialog.isModal();
            auto *families = dialog.findChild<QFontComboBox *>();
            auto *size = dialog.findChild<QComboBox *>(QStringLiteral("size"));
            auto *style = dialog.findChild<QComboBox *>(QStringLiteral("style"));
            QPushButton *ok = button(dialog, QDialogButtonBox::Ok);
            if (!families || !size || !style || !ok)
                return;
            firstIndex = families->currentIndex();
            firstSize = size->currentText();
            okWithoutFace = ok->isEnabled();
            listed = families->count();

            families->setCurrentIndex(families->findText(family));
            style->setCurrentIndex(style->findText(QStringLiteral("Pogrubiony")));
            size->lineEdit()->selectAll();
            QTest::keyClicks(size->lineEdit(), QStringLiteral("14"));
            QTest::mouseClick(ok, Qt::LeftButton);
        },
        ran);
    commonDialog.ShowFont();
    QVERIFY(ran);
    QVERIFY(modal);
    QCOMPARE(firstIndex, -1);
    QCOMPARE(firstSize, QStringLiteral("8"));
    QVERIFY(!okWithoutFace);
    QStringList everyFamily = QFontDatabase::families();
    everyFamily.removeIf([](const QString &name) { return QFontDatabase::isPrivateFamily(name); });
    QCOMPARE(listed, everyFamily.size());
    QCOMPARE(commonDialog.FontName(), family);
    QCOMPARE(commonDialog.FontSize(), 14.0f);
    QVERIFY(commonDialog.FontBold());
    QVERIFY(!commonDialog.FontItalic());

    // Second use: it opens on that choice, shows no effect or colour, and is cancelled.
    QString reopenedFamily;
    QString reopenedStyle;
    QString reopenedSize;
    QStringList texts;
    int visibleCheckBoxes = -1;
    QString cancelText;
    whenDialogOpens(
        [&](QDialog &dialog) {
            auto *families = dialog.findChild<QFontComboBox *>();
            auto *size = dialog.findChild<QComboBox *>(QStringLiteral("size"));
            auto *style = dialog.findChild<QComboBox *>(QStringLiteral("style"));
            QPushButton *cancel = button(dialog, QDialogButtonBox::Cancel);
            if (!families || !size || !style || !cancel)
                return;
            reopenedFamily = families->currentText();
            reopenedStyle = style->currentText();
            reopenedSize = size->currentText();
            texts = visibleTexts(dialog);
            visibleCheckBoxes = 0;
            for (QCheckBox *box : dialog.findChildren<QCheckBox *>())
                visibleCheckBoxes += box->isVisibleTo(&dialog) ? 1 : 0;
            cancelText = cancel->text();
            // A different face, then cancel: the choice must not stick.
            families->setCurrentIndex(0);
            QTest::mouseClick(cancel, Qt::LeftButton);
        },
        ran);
    int failure = 0;
    try {
        commonDialog.ShowFont();
    } catch (const RuntimeFailure &cancelled) {
        failure = cancelled.number();
    }
    QVERIFY(ran);
    QCOMPARE(failure, int(RuntimeFailure::CancelSelected));
    QCOMPARE(reopenedFamily, family);
    QCOMPARE(reopenedStyle, QStringLiteral("Pogrubiony"));
    QCOMPARE(reopenedSize, QStringLiteral("14"));
    QCOMPARE(visibleCheckBoxes, 0);
    const QRegularExpression effects(
        QStringLiteral("podkre|przekre|kolor|efekt|underline|strike|colou?r|effect"),
        QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(texts.filter(effects).isEmpty(), qPrintable(texts.join(QLatin1String(" | "))));
    QVERIFY2(cancelText.contains(QStringLiteral("Anuluj")), qPrintable(cancelText));
    QCOMPARE(commonDialog.FontName(), family);
    QCOMPARE(commonDialog.FontSize(), 14.0f);
}

void FontDialogTest::opensOnEveryStyleItWasGiven_data()
{
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<float>("size");
    QTest::newRow("regular 8") << false << false << 8.0f;
    QTest::newRow("italic 11") << false << true << 11.0f;
    QTest::newRow("bold 36") << true << false << 36.0f;
    QTest::newRow("bold italic 10.5") << true << true << 10.5f;
}

void FontDialogTest::opensOnEveryStyleItWasGiven()
{
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(float, size);
    const FontChoice start{someOtherFamily(), size, bold, italic};
    const FontDialog dialog(start);
    QCOMPARE(dialog.choice(), start);
}

void FontDialogTest::okNeedsASizeInRange_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<float>("size");
    QTest::newRow("whole points") << QStringLiteral("14") << true << 14.0f;
    QTest::newRow("half a point, Polish comma") << QStringLiteral("10,5") << true << 10.5f;
    QTest::newRow("smallest") << QStringLiteral("1") << true << 1.0f;
    QTest::newRow("largest") << QStringLiteral("1638") << true << 1638.0f;
    QTest::newRow("empty") << QString() << false << 0.0f;
    QTest::newRow("zero") << QStringLiteral("0") << false << 0.0f;
    QTest::newRow("too large") << QStringLiteral("1639") << false << 0.0f;
    QTest::newRow("not a number") << QStringLiteral("abc") << false << 0.0f;
}

void FontDialogTest::okNeedsASizeInRange()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(float, size);
    FontDialog dialog(FontChoice{someOtherFamily(), 8, false, false});
    auto *sizeBox = dialog.findChild<QComboBox *>(QStringLiteral("size"));
    QVERIFY(sizeBox);
    QPushButton *ok = button(dialog, QDialogButtonBox::Ok);
    QVERIFY(ok && ok->isEnabled());

    sizeBox->lineEdit()->selectAll();
    QTest::keyClick(sizeBox->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(sizeBox->lineEdit(), typed);

    QCOMPARE(ok->isEnabled(), accepted);
    if (accepted)
        QCOMPARE(dialog.choice().size, size);
}

void FontDialogTest::everyFocusablePartIsNamed_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<float>("size");
    QTest::newRow("first use, no face yet") << QString() << 8.0f;
    QTest::newRow("a face and a size chosen") << someOtherFamily() << 14.0f;
}

void FontDialogTest::everyFocusablePartIsNamed()
{
    QFETCH(QString, family);
    QFETCH(float, size);

    FontDialog dialog(FontChoice{family, size, false, false});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    int focusable = 0;
    int lists = 0;
    for (QAccessibleInterface *part : accessibleParts(&dialog)) {
        if (!part->state().focusable)
            continue;
        ++focusable;
        const QString name = part->text(QAccessible::Name);
        const QString which
            = QStringLiteral("%1 (role %2) \"%3\"")
                  .arg(part->object()
                           ? QString::fromLatin1(part->object()->metaObject()->className())
                           : QStringLiteral("item"))
                  .arg(part->role())
                  .arg(name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(which));
        QVERIFY2(name == name.trimmed(), qPrintable(which));
        // A list is named by the value it shows; its label comes with it as a relation.
        if (part->role() == QAccessible::ComboBox) {
            ++lists;
            const auto labels = part->relations(QAccessible::Label);
            QVERIFY2(!labels.isEmpty(), qPrintable(which));
            QVERIFY2(labels.first().first->text(QAccessible::Name).endsWith(u':'),
                     qPrintable(which));
        }
    }
    QCOMPARE(lists, 3);
    // The three lists, the items and the edit field they hold, and the two buttons at least.
    QVERIFY(focusable > 3 + 2);
}

QTEST_MAIN(FontDialogTest)
#include "tst_fontdialog.moc"
