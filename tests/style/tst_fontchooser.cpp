// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedFontPicker.h"

#include "app/Form1.h"
#include "controls/CheckBox.h"
#include "controls/CommandButton.h"
#include "style/CommonDialog.h"
#include "style/FontChooser.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/PlainTextArea.h"
#include "textarea/TextBox.h"

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

// "Wybierz czcionkę": what a choice in the dialog does to the text area, and what a cancel or a
// failure leaves.
class FontChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void failureKeepsWhatWasAlreadyApplied_data();
    void failureKeepsWhatWasAlreadyApplied();

    void confirmTurnsEffectsOffButLeavesTheBoxes();
    void cancelChangesNothingInTheWindow();
    void reopeningIgnoresStyleBoxChanges();
    void styleBoxStillWorksAfterABoldChoice();
    void choiceRestylesDisabledArea();
    void missingFaceIsSubstitutedWithoutFailure();

private:
    // Clicks "Wybierz czcionkę" and answers the dialog.
    void chooseFont(Answer answer, const FontChoice &confirmed = serifBoldItalic14);

    std::unique_ptr<Form1> m_form;
    ScriptedFontPicker::Script m_script;
    QList<RuntimeFailure> m_reported;
};

void FontChooserTest::init()
{
    m_script = {};
    m_reported.clear();
    m_form = std::make_unique<Form1>();
    m_form->CommonDialog1.setFontPicker(std::make_unique<ScriptedFontPicker>(m_script));
    m_form->setFailureReporter(std::make_unique<CapturingReporter>(m_reported));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void FontChooserTest::cleanup()
{
    m_form.reset();
}

void FontChooserTest::chooseFont(Answer answer, const FontChoice &confirmed)
{
    m_script.answer = answer;
    m_script.confirmed = confirmed;
    QTest::mouseClick(m_form->Command1, Qt::LeftButton);
}

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

void FontChooserTest::confirmTurnsEffectsOffButLeavesTheBoxes()
{
    Form1 &form = *m_form;
    QTest::mouseClick(form.Check4, Qt::LeftButton);
    QTest::mouseClick(form.Check5, Qt::LeftButton);
    form.Text1->SetForeColor(0xff0000);
    QVERIFY(form.Text1->font().underline() && form.Text1->font().strikeOut());
    QCOMPARE(textColour(*form.Text1), QColor(Qt::blue));

    chooseFont(Answer::Confirm);

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
    QVERIFY(m_reported.isEmpty());
}

void FontChooserTest::cancelChangesNothingInTheWindow()
{
    Form1 &form = *m_form;
    QTest::mouseClick(form.Check2, Qt::LeftButton);
    QTest::mouseClick(form.Check4, Qt::LeftButton);
    form.Text1->SetForeColor(0x0000ff);
    const QFont before = form.Text1->font();
    const QColor colourBefore = textColour(*form.Text1);

    chooseFont(Answer::Cancel);

    QCOMPARE(m_script.starts.size(), 1);
    QCOMPARE(form.Text1->font(), before);
    QCOMPARE(textColour(*form.Text1), colourBefore);
    QCOMPARE(form.Text1->Text(), QStringLiteral("Text1"));
    QVERIFY(form.Check1->isChecked() && form.Check2->isChecked() && form.Check4->isChecked());
    QVERIFY(!form.Check3->isChecked() && !form.Check5->isChecked());
    QVERIFY(m_reported.isEmpty());
}

void FontChooserTest::reopeningIgnoresStyleBoxChanges()
{
    Form1 &form = *m_form;
    chooseFont(Answer::Confirm);
    // Italic off and bold toggled through the boxes: the text changes, the dialog does not.
    QTest::mouseClick(form.Check3, Qt::LeftButton);
    QTest::mouseClick(form.Check3, Qt::LeftButton);
    QVERIFY(!form.Text1->font().italic());

    chooseFont(Answer::Cancel);

    QCOMPARE(m_script.starts.size(), 2);
    QCOMPARE(m_script.starts.last(), serifBoldItalic14);
    QVERIFY(!form.Text1->font().italic());
}

void FontChooserTest::styleBoxStillWorksAfterABoldChoice()
{
    Form1 &form = *m_form;
    chooseFont(Answer::Confirm, FontChoice{QStringLiteral("DejaVu Sans"), 10, true, false});
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
    Form1 &form = *m_form;
    QTest::mouseClick(form.Check1, Qt::LeftButton);
    QVERIFY(!form.Text1->isEnabled());

    chooseFont(Answer::Confirm);

    QCOMPARE(m_script.starts.size(), 1);
    QCOMPARE(form.Text1->font().family(), serifBoldItalic14.name);
    QCOMPARE(form.Text1->font().pointSizeF(), 14.0);
    QVERIFY(!form.Text1->isEnabled());
    QVERIFY(m_reported.isEmpty());
}

void FontChooserTest::missingFaceIsSubstitutedWithoutFailure()
{
    Form1 &form = *m_form;
    const QString missing = QStringLiteral("Czcionka, której nie ma");
    QVERIFY(!QFontDatabase::hasFamily(missing));

    chooseFont(Answer::Confirm, FontChoice{missing, 12, false, true});

    QVERIFY(m_reported.isEmpty());
    QVERIFY(form.Text1->font().italic());
    QCOMPARE(form.Text1->font().pointSizeF(), 12.0);
    const QString shown = QFontInfo(form.Text1->font()).family();
    QVERIFY2(QFontDatabase::hasFamily(shown), qPrintable(shown));
}

QTEST_MAIN(FontChooserTest)
#include "tst_fontchooser.moc"
