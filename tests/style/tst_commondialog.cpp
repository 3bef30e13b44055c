// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedFontPicker.h"

#include "common/RuntimeFailure.h"
#include "style/CommonDialog.h"

#include <QTest>

namespace {

using Answer = ScriptedFontPicker::Answer;

const FontChoice serifBoldItalic14{QStringLiteral("DejaVu Serif"), 14, true, true};

} // namespace

// The font dialog component the window keeps for its whole life: what it shows the dialog with,
// what it keeps of the user's answer, and when it reports a failure.
class CommonDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void opensOnItsLastConfirmedValues_data();
    void opensOnItsLastConfirmedValues();
    void cancelIsReportedOnlyWhenAskedFor_data();
    void cancelIsReportedOnlyWhenAskedFor();
    void flagsWithoutFontsFailToShow_data();
    void flagsWithoutFontsFailToShow();

private:
    std::unique_ptr<CommonDialog> m_dialog;
    ScriptedFontPicker::Script m_script;
};

void CommonDialogTest::init()
{
    m_script = {Answer::Confirm, serifBoldItalic14, {}};
    m_dialog = std::make_unique<CommonDialog>();
    m_dialog->setFontPicker(std::make_unique<ScriptedFontPicker>(m_script));
}

void CommonDialogTest::opensOnItsLastConfirmedValues_data()
{
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<FontChoice>("lastStart");

    const FontChoice firstUse{QString(), 8, false, false};
    QTest::newRow("first use") << QList<Answer>{} << firstUse;
    QTest::newRow("after a confirm") << QList<Answer>{Answer::Confirm} << serifBoldItalic14;
    QTest::newRow("confirm then cancel")
        << QList<Answer>{Answer::Confirm, Answer::Cancel} << serifBoldItalic14;
    QTest::newRow("confirm then failure")
        << QList<Answer>{Answer::Confirm, Answer::Fail} << serifBoldItalic14;
    QTest::newRow("only cancels") << QList<Answer>{Answer::Cancel, Answer::Cancel} << firstUse;
}

void CommonDialogTest::opensOnItsLastConfirmedValues()
{
    QFETCH(QList<Answer>, answers);
    QFETCH(FontChoice, lastStart);

    m_dialog->SetCancelError(true);
    m_dialog->SetFlags(CommonDialog::ScreenAndPrinterFonts);
    answers << Answer::Cancel;
    for (const Answer answer : std::as_const(answers)) {
        m_script.answer = answer;
        try {
            m_dialog->ShowFont();
        } catch (const RuntimeFailure &) {
        }
        // Whatever the dialog confirmed, it never hands back an effect or a colour.
        QVERIFY(!m_dialog->FontUnderline());
        QVERIFY(!m_dialog->FontStrikethru());
        QCOMPARE(m_dialog->Color(), OleColor(0));
    }

    QCOMPARE(m_script.starts.last(), lastStart);
    QCOMPARE(m_dialog->FontName(), lastStart.name);
    QCOMPARE(m_dialog->FontSize(), lastStart.size);
}

void CommonDialogTest::cancelIsReportedOnlyWhenAskedFor_data()
{
    QTest::addColumn<bool>("cancelError");
    QTest::newRow("cancel error on") << true;
    QTest::newRow("cancel error off") << false;
}

void CommonDialogTest::cancelIsReportedOnlyWhenAskedFor()
{
    QFETCH(bool, cancelError);
    m_dialog->SetFlags(CommonDialog::ScreenAndPrinterFonts);
    m_dialog->ShowFont();

    m_script.answer = Answer::Cancel;
    m_dialog->SetCancelError(cancelError);
    int number = 0;
    try {
        m_dialog->ShowFont();
    } catch (const RuntimeFailure &failure) {
        number = failure.number();
        QVERIFY(!failure.description().isEmpty());
    }
    QCOMPARE(number, cancelError ? int(RuntimeFailure::CancelSelected) : 0);
    QCOMPARE(m_dialog->FontName(), serifBoldItalic14.name);
    QCOMPARE(m_dialog->FontBold(), true);
}

void CommonDialogTest::flagsWithoutFontsFailToShow_data()
{
    QTest::addColumn<qint32>("flags");
    QTest::addColumn<bool>("shown");
    QTest::newRow("no flags") << qint32(0) << false;
    QTest::newRow("effects only") << qint32(0x100) << false;
    QTest::newRow("screen fonts") << qint32(1) << true;
    QTest::newRow("printer fonts") << qint32(2) << true;
    QTest::newRow("both with effects") << qint32(0x103) << true;
}

void CommonDialogTest::flagsWithoutFontsFailToShow()
{
    QFETCH(qint32, flags);
    QFETCH(bool, shown);
    m_dialog->SetFlags(flags);
    if (shown) {
        m_dialog->ShowFont();
        QCOMPARE(m_dialog->FontName(), serifBoldItalic14.name);
    } else {
        QVERIFY_THROWS_EXCEPTION(RuntimeFailure, m_dialog->ShowFont());
        QVERIFY(m_dialog->FontName().isEmpty());
    }
    QCOMPARE(m_script.starts.size(), shown ? 1 : 0);
}

QTEST_MAIN(CommonDialogTest)
#include "tst_commondialog.moc"
