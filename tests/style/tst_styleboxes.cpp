// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"
#include "controls/CheckBox.h"
#include "textarea/TextBox.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

using Attribute = bool (QFont::*)() const;

struct StyleBox
{
    CheckBox *Form1::*box;
    Attribute attribute;
    void (Form1::*operation)();
};

// Check2 to Check5 with the attribute of the whole text each one drives.
const StyleBox styleBoxes[] = {
    {&Form1::Check2, &QFont::bold, &Form1::SyncBold},
    {&Form1::Check3, &QFont::italic, &Form1::SyncItalic},
    {&Form1::Check4, &QFont::underline, &Form1::SyncUnderline},
    {&Form1::Check5, &QFont::strikeOut, &Form1::SyncStrikethrough},
};

const char *const styleNames[] = {"bold", "italic", "underline", "strikethrough"};

bool hasAttribute(const QFont &font, int style)
{
    return (font.*styleBoxes[style].attribute)();
}

// The font the text is laid out with at a position: the area draws all of it in its one font.
QFont fontAt(const TextBox &area, int position)
{
    Q_UNUSED(position);
    return area.font();
}

void click(CheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton);
}

} // namespace

class StyleBoxesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tickingSetsOnlyItsAttribute_data();
    void tickingSetsOnlyItsAttribute();
    void clearingRemovesOnlyItsAttribute_data();
    void clearingRemovesOnlyItsAttribute();
    void appliesToTextTypedLater_data();
    void appliesToTextTypedLater();
    void restylesDisabledArea_data();
    void restylesDisabledArea();
    void anyStateButUncheckedIsOn_data();
    void anyStateButUncheckedIsOn();

    void editableBoxTakesTheAreaAwayAndGivesItBack();

private:
    void addStyleRows();
    const StyleBox &styleBox() const;
    CheckBox *box() const { return m_form.get()->*styleBox().box; }
    bool attribute() const { return (m_form->Text1->font().*styleBox().attribute)(); }
    QList<bool> otherAttributes() const;

    std::unique_ptr<Form1> m_form;
};

void StyleBoxesTest::init()
{
    m_form = std::make_unique<Form1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void StyleBoxesTest::cleanup()
{
    m_form.reset();
}

void StyleBoxesTest::addStyleRows()
{
    QTest::addColumn<int>("style");
    for (int style = 0; style < 4; ++style)
        QTest::newRow(styleNames[style]) << style;
}

const StyleBox &StyleBoxesTest::styleBox() const
{
    QFETCH(int, style);
    return styleBoxes[style];
}

QList<bool> StyleBoxesTest::otherAttributes() const
{
    QList<bool> others;
    for (const StyleBox &other : styleBoxes) {
        if (other.attribute != styleBox().attribute)
            others << (m_form->Text1->font().*other.attribute)();
    }
    return others;
}

void StyleBoxesTest::tickingSetsOnlyItsAttribute_data()
{
    addStyleRows();
}

void StyleBoxesTest::tickingSetsOnlyItsAttribute()
{
    const QString family = m_form->Text1->font().family();
    const qreal size = m_form->Text1->font().pointSizeF();

    click(box());

    QVERIFY(box()->isChecked());
    QVERIFY(attribute());
    QCOMPARE(otherAttributes(), QList<bool>(3, false));
    QCOMPARE(m_form->Text1->font().family(), family);
    QCOMPARE(m_form->Text1->font().pointSizeF(), size);
    QCOMPARE(m_form->Text1->Text(), QStringLiteral("Text1"));
}

void StyleBoxesTest::clearingRemovesOnlyItsAttribute_data()
{
    addStyleRows();
}

void StyleBoxesTest::clearingRemovesOnlyItsAttribute()
{
    for (const StyleBox &any : styleBoxes)
        click(m_form.get()->*any.box);
    QVERIFY(attribute());

    click(box());

    QVERIFY(!box()->isChecked());
    QVERIFY(!attribute());
    QCOMPARE(otherAttributes(), QList<bool>(3, true));
}

void StyleBoxesTest::appliesToTextTypedLater_data()
{
    addStyleRows();
}

void StyleBoxesTest::appliesToTextTypedLater()
{
    QFETCH(int, style);
    TextBox &area = *m_form->Text1;
    click(box());

    area.setFocus();
    area.SetSelStart(int(area.Text().size()));
    QTest::keyClicks(&area, QStringLiteral("abc"));
    QCOMPARE(area.Text(), QStringLiteral("Text1abc"));
    QVERIFY(hasAttribute(fontAt(area, area.Text().size()), style));

    area.SetText(QStringLiteral("nowy\r\ntekst"));
    QVERIFY(hasAttribute(fontAt(area, 1), style));
    QVERIFY(hasAttribute(fontAt(area, int(area.Text().size())), style));

    click(box());
    QVERIFY(!hasAttribute(fontAt(area, 1), style));
}

void StyleBoxesTest::restylesDisabledArea_data()
{
    addStyleRows();
}

void StyleBoxesTest::restylesDisabledArea()
{
    click(m_form->Check1);
    QVERIFY(!m_form->Text1->isEnabled());

    click(box());
    QVERIFY(attribute());
    click(box());
    QVERIFY(!attribute());
    QVERIFY(!m_form->Text1->isEnabled());
}

void StyleBoxesTest::anyStateButUncheckedIsOn_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<CheckState>("state");
    QTest::addColumn<bool>("on");
    for (int style = 0; style < 4; ++style) {
        const QByteArray name(styleNames[style]);
        QTest::newRow(name + " unchecked") << style << CheckState::Unchecked << false;
        QTest::newRow(name + " checked") << style << CheckState::Checked << true;
        QTest::newRow(name + " grayed") << style << CheckState::Grayed << true;
    }
}

void StyleBoxesTest::anyStateButUncheckedIsOn()
{
    QFETCH(CheckState, state);
    QFETCH(bool, on);
    // Start from the opposite, so that a write that did nothing shows.
    box()->setInitialValue(on ? CheckState::Unchecked : CheckState::Checked);
    (m_form.get()->*styleBox().operation)();
    QCOMPARE(attribute(), !on);

    box()->setInitialValue(state);
    (m_form.get()->*styleBox().operation)();
    QCOMPARE(attribute(), on);
}

void StyleBoxesTest::editableBoxTakesTheAreaAwayAndGivesItBack()
{
    TextBox &area = *m_form->Text1;
    QVERIFY(area.isEnabled());

    click(m_form->Check1);
    QVERIFY(!area.isEnabled());
    QTest::keyClicks(&area, QStringLiteral("xyz"));
    QCOMPARE(area.Text(), QStringLiteral("Text1"));
    // The program's own writes still reach a disabled area.
    area.SetText(QStringLiteral("z programu"));
    QCOMPARE(area.Text(), QStringLiteral("z programu"));

    click(m_form->Check1);
    QVERIFY(area.isEnabled());
    QCOMPARE(area.Text(), QStringLiteral("z programu"));
    area.SetFocus();
    area.SetSelStart(int(area.Text().size()));
    QTest::keyClicks(&area, QStringLiteral("!"));
    QCOMPARE(area.Text(), QStringLiteral("z programu!"));

    const QList<bool> none(4, false);
    QList<bool> styles;
    for (const StyleBox &any : styleBoxes)
        styles << (area.font().*any.attribute)();
    QCOMPARE(styles, none);
}

QTEST_MAIN(StyleBoxesTest)
#include "tst_styleboxes.moc"
