#include "ScriptedFontPicker.h"

#include "app/Form1.h"
#include "platform/CheckBox.h"
#include "platform/CommandButton.h"
#include "platform/CommonDialog.h"
#include "platform/TextBox.h"
#include "tests/support/CapturingReporter.h"
#include "text/FontChooser.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

namespace {

using Answer = ScriptedFontPicker::Answer;

// A text area that writes down every change made to it, in order, and can fail at one of them.
class RecordingTextArea
    : public TextArea
    , public FontObject
{
public:
    QStringList writes;
    // Which write fails (0 is the first); -1 lets all of them through.
    int failingWrite = -1;

    QString Text() const override { return {}; }
    void SetText(const QString &text) override { record(QStringLiteral("Text=") + text); }
    void SetSelStart(int start) override { record(QStringLiteral("SelStart=%1").arg(start)); }
    void SetSelLength(int length) override { record(QStringLiteral("SelLength=%1").arg(length)); }
    QString SelText() const override { return {}; }
    void SetSelText(const QString &text) override { record(QStringLiteral("SelText=") + text); }
    void SetEnabled(bool on) override { record(QStringLiteral("Enabled=%1").arg(on)); }
    FontObject &Font() override { return *this; }
    void SetFontStrikethru(bool on) override
    {
        record(QStringLiteral("FontStrikethru=%1").arg(on));
    }
    void SetForeColor(OleColor color) override
    {
        record(QStringLiteral("ForeColor=%1").arg(color));
    }
    void SetFocus() override { record(QStringLiteral("SetFocus")); }

    QString Name() const override { return {}; }
    float Size() const override { return 0; }
    bool Bold() const override { return false; }
    bool Italic() const override { return false; }
    bool Underline() const override { return false; }
    bool Strikethrough() const override { return false; }
    void SetName(const QString &name) override { record(QStringLiteral("Name=") + name); }
    void SetSize(float points) override { record(QStringLiteral("Size=%1").arg(points)); }
    void SetBold(bool on) override { record(QStringLiteral("Bold=%1").arg(on)); }
    void SetItalic(bool on) override { record(QStringLiteral("Italic=%1").arg(on)); }
    void SetUnderline(bool on) override { record(QStringLiteral("Underline=%1").arg(on)); }
    void SetStrikethrough(bool on) override { record(QStringLiteral("Strikethrough=%1").arg(on)); }

private:
    void record(const QString &write)
    {
        if (writes.size() == failingWrite)
            throw RuntimeFailure(RuntimeFailure::InvalidProcedureCall, write);
        writes << write;
    }
};

const FontChoice serifBoldItalic14{QStringLiteral("DejaVu Serif"), 14, true, true};

// Every write of a confirmed choice, in the order the text area receives them.
const QStringList allWrites{
    QStringLiteral("Name=DejaVu Serif"), QStringLiteral("Bold=1"),
    QStringLiteral("Size=14"),           QStringLiteral("Italic=1"),
    QStringLiteral("Underline=0"),       QStringLiteral("FontStrikethru=0"),
    QStringLiteral("ForeColor=0"),
};

QColor textColour(const TextBox &area)
{
    return area.palette().color(QPalette::Active, QPalette::Text);
}

} // namespace

class FontChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void writesTheChoiceInOrderOrStopsQuietly_data();
    void writesTheChoiceInOrderOrStopsQuietly();

    void dialogOpensOnItsLastConfirmedValues_data();
    void dialogOpensOnItsLastConfirmedValues();
    void cancelIsReportedOnlyWhenAskedFor_data();
    void cancelIsReportedOnlyWhenAskedFor();
    void flagsWithoutFontsFailToShow_data();
    void flagsWithoutFontsFailToShow();

    void confirmTurnsEffectsOffButLeavesTheBoxes();
    void cancelChangesNothingInTheWindow();
    void reopeningIgnoresStyleBoxChanges();
    void styleBoxStillWorksAfterABoldChoice();
    void choiceRestylesDisabledArea();
    void missingFaceIsSubstitutedWithoutFailure();

private:
    struct Window
    {
        Form1 form;
        ScriptedFontPicker::Script script;
        QList<RuntimeFailure> reported;
    };
    std::unique_ptr<Window> openWindow();
};

void FontChooserTest::writesTheChoiceInOrderOrStopsQuietly_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("failingWrite");
    QTest::addColumn<QStringList>("expectedWrites");

    QTest::newRow("confirmed") << Answer::Confirm << -1 << allWrites;
    QTest::newRow("cancelled") << Answer::Cancel << -1 << QStringList();
    QTest::newRow("dialog fails to show") << Answer::Fail << -1 << QStringList();
    const char *const steps[]
        = {"name fails",      "bold fails",          "size fails",  "italic fails",
           "underline fails", "strikethrough fails", "colour fails"};
    for (int step = 0; step < int(allWrites.size()); ++step)
        QTest::newRow(steps[step]) << Answer::Confirm << step << allWrites.first(step);
}

void FontChooserTest::writesTheChoiceInOrderOrStopsQuietly()
{
    QFETCH(Answer, answer);
    QFETCH(int, failingWrite);
    QFETCH(QStringList, expectedWrites);

    CommonDialog dialog;
    ScriptedFontPicker::Script script{answer, serifBoldItalic14, {}};
    dialog.setFontPicker(std::make_unique<ScriptedFontPicker>(script));
    RecordingTextArea area;
    area.failingWrite = failingWrite;

    FontChooser::ChooseFont(dialog, area);

    QCOMPARE(area.writes, expectedWrites);
    QCOMPARE(script.starts.size(), 1);
}

void FontChooserTest::dialogOpensOnItsLastConfirmedValues_data()
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

void FontChooserTest::dialogOpensOnItsLastConfirmedValues()
{
    QFETCH(QList<Answer>, answers);
    QFETCH(FontChoice, lastStart);

    CommonDialog dialog;
    ScriptedFontPicker::Script script{Answer::Cancel, serifBoldItalic14, {}};
    dialog.setFontPicker(std::make_unique<ScriptedFontPicker>(script));
    RecordingTextArea area;
    for (const Answer answer : answers) {
        script.answer = answer;
        FontChooser::ChooseFont(dialog, area);
        // Whatever the dialog confirmed, it never hands back an effect or a colour.
        QVERIFY(!dialog.FontUnderline());
        QVERIFY(!dialog.FontStrikethru());
        QCOMPARE(dialog.Color(), OleColor(0));
    }
    script.answer = Answer::Cancel;
    FontChooser::ChooseFont(dialog, area);

    QCOMPARE(script.starts.last(), lastStart);
    QCOMPARE(dialog.FontName(), lastStart.name);
    QCOMPARE(dialog.FontSize(), lastStart.size);
}

void FontChooserTest::cancelIsReportedOnlyWhenAskedFor_data()
{
    QTest::addColumn<bool>("cancelError");
    QTest::newRow("cancel error on") << true;
    QTest::newRow("cancel error off") << false;
}

void FontChooserTest::cancelIsReportedOnlyWhenAskedFor()
{
    QFETCH(bool, cancelError);
    CommonDialog dialog;
    ScriptedFontPicker::Script script{Answer::Confirm, serifBoldItalic14, {}};
    dialog.setFontPicker(std::make_unique<ScriptedFontPicker>(script));
    dialog.SetFlags(CommonDialog::ScreenAndPrinterFonts);
    dialog.ShowFont();

    script.answer = Answer::Cancel;
    dialog.SetCancelError(cancelError);
    int number = 0;
    try {
        dialog.ShowFont();
    } catch (const RuntimeFailure &failure) {
        number = failure.number();
        QVERIFY(!failure.description().isEmpty());
    }
    QCOMPARE(number, cancelError ? int(RuntimeFailure::CancelSelected) : 0);
    QCOMPARE(dialog.FontName(), serifBoldItalic14.name);
    QCOMPARE(dialog.FontBold(), true);
}

void FontChooserTest::flagsWithoutFontsFailToShow_data()
{
    QTest::addColumn<qint32>("flags");
    QTest::addColumn<bool>("shown");
    QTest::newRow("no flags") << qint32(0) << false;
    QTest::newRow("effects only") << qint32(0x100) << false;
    QTest::newRow("screen fonts") << qint32(1) << true;
    QTest::newRow("printer fonts") << qint32(2) << true;
    QTest::newRow("both with effects") << qint32(0x103) << true;
}

void FontChooserTest::flagsWithoutFontsFailToShow()
{
    QFETCH(qint32, flags);
    QFETCH(bool, shown);
    CommonDialog dialog;
    ScriptedFontPicker::Script script{Answer::Confirm, serifBoldItalic14, {}};
    dialog.setFontPicker(std::make_unique<ScriptedFontPicker>(script));
    dialog.SetFlags(flags);
    if (shown) {
        dialog.ShowFont();
        QCOMPARE(dialog.FontName(), serifBoldItalic14.name);
    } else {
        QVERIFY_THROWS_EXCEPTION(RuntimeFailure, dialog.ShowFont());
        QVERIFY(dialog.FontName().isEmpty());
    }
    QCOMPARE(script.starts.size(), shown ? 1 : 0);
}

std::unique_ptr<FontChooserTest::Window> FontChooserTest::openWindow()
{
    auto window = std::make_unique<Window>();
    window->form.CommonDialog1.setFontPicker(std::make_unique<ScriptedFontPicker>(window->script));
    window->form.setFailureReporter(std::make_unique<CapturingReporter>(window->reported));
    window->form.show();
    if (!QTest::qWaitForWindowExposed(&window->form))
        return nullptr;
    return window;
}

void FontChooserTest::confirmTurnsEffectsOffButLeavesTheBoxes()
{
    const auto window = openWindow();
    QVERIFY(window);
    Form1 &form = window->form;
    QTest::mouseClick(form.Check4, Qt::LeftButton);
    QTest::mouseClick(form.Check5, Qt::LeftButton);
    form.Text1->SetForeColor(0xff0000);
    QVERIFY(form.Text1->Font().Underline() && form.Text1->Font().Strikethrough());
    QCOMPARE(textColour(*form.Text1), QColor(Qt::blue));

    window->script.answer = Answer::Confirm;
    window->script.confirmed = serifBoldItalic14;
    QTest::mouseClick(form.Command1, Qt::LeftButton);

    FontObject &font = form.Text1->Font();
    QCOMPARE(font.Name(), serifBoldItalic14.name);
    QCOMPARE(font.Size(), 14.0f);
    QVERIFY(font.Bold());
    QVERIFY(font.Italic());
    QVERIFY(!font.Underline());
    QVERIFY(!font.Strikethrough());
    QCOMPARE(textColour(*form.Text1), QColor(Qt::black));
    QVERIFY(form.Check4->isChecked());
    QVERIFY(form.Check5->isChecked());
    QVERIFY(!form.Check2->isChecked());
    QVERIFY(!form.Check3->isChecked());
    QCOMPARE(form.Text1->Text(), QStringLiteral("Text1"));
    QVERIFY(window->reported.isEmpty());
}

void FontChooserTest::cancelChangesNothingInTheWindow()
{
    const auto window = openWindow();
    QVERIFY(window);
    Form1 &form = window->form;
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QTest::mouseClick(form.Check4, Qt::LeftButton);
    form.Text1->SetForeColor(0x0000ff);
    const QFont before = form.Text1->font();
    const QColor colourBefore = textColour(*form.Text1);

    window->script.answer = Answer::Cancel;
    QTest::mouseClick(form.Command1, Qt::LeftButton);

    QCOMPARE(window->script.starts.size(), 1);
    QCOMPARE(form.Text1->font(), before);
    QCOMPARE(textColour(*form.Text1), colourBefore);
    QCOMPARE(form.Text1->Text(), QStringLiteral("Text1"));
    QVERIFY(form.Check1->isChecked() && form.Check2->isChecked() && form.Check4->isChecked());
    QVERIFY(!form.Check3->isChecked() && !form.Check5->isChecked());
    QVERIFY(window->reported.isEmpty());
}

void FontChooserTest::reopeningIgnoresStyleBoxChanges()
{
    const auto window = openWindow();
    QVERIFY(window);
    Form1 &form = window->form;
    window->script.answer = Answer::Confirm;
    window->script.confirmed = serifBoldItalic14;
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    // Italic off and bold toggled through the boxes: the text changes, the dialog does not.
    QTest::mouseClick(form.Check3, Qt::LeftButton);
    QTest::mouseClick(form.Check3, Qt::LeftButton);
    QVERIFY(!form.Text1->Font().Italic());

    window->script.answer = Answer::Cancel;
    QTest::mouseClick(form.Command1, Qt::LeftButton);

    QCOMPARE(window->script.starts.size(), 2);
    QCOMPARE(window->script.starts.last(), serifBoldItalic14);
    QVERIFY(!form.Text1->Font().Italic());
}

void FontChooserTest::styleBoxStillWorksAfterABoldChoice()
{
    const auto window = openWindow();
    QVERIFY(window);
    Form1 &form = window->form;
    window->script.answer = Answer::Confirm;
    window->script.confirmed = FontChoice{QStringLiteral("DejaVu Sans"), 10, true, false};
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QVERIFY(form.Text1->Font().Bold());
    QVERIFY(!form.Check2->isChecked());

    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QVERIFY(form.Text1->Font().Bold());
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QVERIFY(!form.Text1->Font().Bold());
    QCOMPARE(form.Text1->Font().Name(), QStringLiteral("DejaVu Sans"));
}

void FontChooserTest::choiceRestylesDisabledArea()
{
    const auto window = openWindow();
    QVERIFY(window);
    Form1 &form = window->form;
    QTest::mouseClick(form.Check1, Qt::LeftButton);
    QVERIFY(!form.Text1->isEnabled());
    window->script.answer = Answer::Confirm;
    window->script.confirmed = serifBoldItalic14;

    QTest::mouseClick(form.Command1, Qt::LeftButton);

    QCOMPARE(window->script.starts.size(), 1);
    QCOMPARE(form.Text1->Font().Name(), serifBoldItalic14.name);
    QCOMPARE(form.Text1->Font().Size(), 14.0f);
    QVERIFY(!form.Text1->isEnabled());
    QVERIFY(window->reported.isEmpty());
}

void FontChooserTest::missingFaceIsSubstitutedWithoutFailure()
{
    const auto window = openWindow();
    QVERIFY(window);
    Form1 &form = window->form;
    const QString missing = QStringLiteral("Czcionka, której nie ma");
    QVERIFY(!QFontDatabase::hasFamily(missing));
    window->script.answer = Answer::Confirm;
    window->script.confirmed = FontChoice{missing, 12, false, true};

    QTest::mouseClick(form.Command1, Qt::LeftButton);

    QVERIFY(window->reported.isEmpty());
    QVERIFY(form.Text1->Font().Italic());
    QCOMPARE(form.Text1->Font().Size(), 12.0f);
    const QString shown = QFontInfo(form.Text1->font()).family();
    QVERIFY2(QFontDatabase::hasFamily(shown), qPrintable(shown));
}

QTEST_MAIN(FontChooserTest)
#include "tst_fontchooser.moc"
