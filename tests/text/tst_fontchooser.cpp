#include "ScriptedFontPicker.h"

#include "app/Form1.h"
#include "platform/CheckBox.h"
#include "platform/CommandButton.h"
#include "platform/CommonDialog.h"
#include "platform/TextBox.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/PlainTextArea.h"
#include "text/FontChooser.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

namespace {

using Answer = ScriptedFontPicker::Answer;

// What a text area shows: its font and the colour of its text.
struct Look
{
    QString name;
    float size;
    bool bold;
    bool italic;
    bool underline;
    bool strikethrough;
    OleColor color;

    QString toString() const
    {
        return QStringLiteral("%1 %2pt bold=%3 italic=%4 underline=%5 strikethrough=%6 color=%7")
            .arg(name)
            .arg(size)
            .arg(bold)
            .arg(italic)
            .arg(underline)
            .arg(strikethrough)
            .arg(color, 6, 16, QLatin1Char('0'));
    }
};

// A text area that keeps only its look, and fails when one part of the look is changed.
class LookOnlyTextArea
    : public PlainTextArea
    , public FontObject
{
public:
    enum Part { None, Name, Bold, Size, Italic, Underline, Strikethrough, Color };

    LookOnlyTextArea(const Look &start, Part failing)
        : look(start)
        , m_failing(failing)
    {}

    Look look;

    FontObject &Font() override { return *this; }
    void SetName(const QString &name) override { change(Name, look.name, name); }
    void SetSize(float points) override { change(Size, look.size, points); }
    void SetBold(bool on) override { change(Bold, look.bold, on); }
    void SetItalic(bool on) override { change(Italic, look.italic, on); }
    void SetUnderline(bool on) override { change(Underline, look.underline, on); }
    void SetStrikethrough(bool on) override { change(Strikethrough, look.strikethrough, on); }
    void SetFontStrikethru(bool on) override { SetStrikethrough(on); }
    void SetForeColor(OleColor color) override { change(Color, look.color, color); }

private:
    template<typename Value>
    void change(Part part, Value &value, const Value &changed)
    {
        if (part == m_failing)
            throw RuntimeFailure(RuntimeFailure::InvalidProcedureCall, QStringLiteral("odmowa"));
        value = changed;
    }

    Part m_failing;
};

const FontChoice serifBoldItalic14{QStringLiteral("DejaVu Serif"), 14, true, true};
// Underlined, struck out and red, so that a choice that turns them off shows.
const Look startingLook{QStringLiteral("DejaVu Sans"), 10, false, false, true, true, 0x0000ff};

QColor textColour(const TextBox &area)
{
    return area.palette().color(QPalette::Active, QPalette::Text);
}

} // namespace

class FontChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void failureKeepsWhatWasAlreadyApplied_data();
    void failureKeepsWhatWasAlreadyApplied();

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

void FontChooserTest::failureKeepsWhatWasAlreadyApplied_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<LookOnlyTextArea::Part>("failing");
    QTest::addColumn<QString>("expected");

    const auto looking = [](const QString &name, float size, bool bold, bool italic, bool underline,
                            bool strikethrough, OleColor color) {
        return Look{name, size, bold, italic, underline, strikethrough, color}.toString();
    };
    const QString serif = serifBoldItalic14.name;
    QTest::newRow("dialog fails to show")
        << Answer::Fail << LookOnlyTextArea::None << startingLook.toString();
    QTest::newRow("face fails") << Answer::Confirm << LookOnlyTextArea::Name
                                << startingLook.toString();
    QTest::newRow("size fails after face and bold")
        << Answer::Confirm << LookOnlyTextArea::Size
        << looking(serif, 10, true, false, true, true, 0x0000ff);
    QTest::newRow("colour fails last") << Answer::Confirm << LookOnlyTextArea::Color
                                       << looking(serif, 14, true, true, false, false, 0x0000ff);
}

void FontChooserTest::failureKeepsWhatWasAlreadyApplied()
{
    QFETCH(Answer, answer);
    QFETCH(LookOnlyTextArea::Part, failing);
    QFETCH(QString, expected);

    CommonDialog dialog;
    ScriptedFontPicker::Script script{answer, serifBoldItalic14, {}};
    dialog.setFontPicker(std::make_unique<ScriptedFontPicker>(script));
    LookOnlyTextArea area(startingLook, failing);

    FontChooser::ChooseFont(dialog, area);

    QCOMPARE(area.look.toString(), expected);
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
    LookOnlyTextArea area(startingLook, LookOnlyTextArea::None);
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
    QVERIFY(form.Text1->font().underline() && form.Text1->font().strikeOut());
    QCOMPARE(textColour(*form.Text1), QColor(Qt::blue));

    window->script.answer = Answer::Confirm;
    window->script.confirmed = serifBoldItalic14;
    QTest::mouseClick(form.Command1, Qt::LeftButton);

    const QFont font = form.Text1->font();
    QCOMPARE(font.family(), serifBoldItalic14.name);
    QCOMPARE(font.pointSizeF(), 14.0);
    QVERIFY(font.bold());
    QVERIFY(font.italic());
    QVERIFY(!font.underline());
    QVERIFY(!font.strikeOut());
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
    QVERIFY(!form.Text1->font().italic());

    window->script.answer = Answer::Cancel;
    QTest::mouseClick(form.Command1, Qt::LeftButton);

    QCOMPARE(window->script.starts.size(), 2);
    QCOMPARE(window->script.starts.last(), serifBoldItalic14);
    QVERIFY(!form.Text1->font().italic());
}

void FontChooserTest::styleBoxStillWorksAfterABoldChoice()
{
    const auto window = openWindow();
    QVERIFY(window);
    Form1 &form = window->form;
    window->script.answer = Answer::Confirm;
    window->script.confirmed = FontChoice{QStringLiteral("DejaVu Sans"), 10, true, false};
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QVERIFY(form.Text1->font().bold());
    QVERIFY(!form.Check2->isChecked());

    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QVERIFY(form.Text1->font().bold());
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QVERIFY(!form.Text1->font().bold());
    QCOMPARE(form.Text1->font().family(), QStringLiteral("DejaVu Sans"));
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
    QCOMPARE(form.Text1->font().family(), serifBoldItalic14.name);
    QCOMPARE(form.Text1->font().pointSizeF(), 14.0);
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
    QVERIFY(form.Text1->font().italic());
    QCOMPARE(form.Text1->font().pointSizeF(), 12.0);
    const QString shown = QFontInfo(form.Text1->font()).family();
    QVERIFY2(QFontDatabase::hasFamily(shown), qPrintable(shown));
}

QTEST_MAIN(FontChooserTest)
#include "tst_fontchooser.moc"
