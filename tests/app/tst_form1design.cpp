// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"
#include "app/Form1Design.h"
#include "controls/CheckBox.h"
#include "controls/CommandButton.h"
#include "tests/support/AccessibleParts.h"
#include "tests/support/CaptionInk.h"
#include "textarea/TextBox.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

// The window as it shows: every control where the design puts it, with its caption, state and
// place in the tab order.
class Form1DesignTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowHasDesignedCaptionAndSize();
    void controlsFollowDesign_data();
    void controlsFollowDesign();
    void captionsFitTheirControls_data();
    void captionsFitTheirControls();
    void startsInDesignedState();
    void tabVisitsControlsInTabIndexOrder();
    void spaceAndEnterClick_data();
    void spaceAndEnterClick();
    void optionButtonsSelectOneAndChangeNothingElse();
    void windowDoesNotResize();
    void assistiveTechnologyHearsEveryControl_data();
    void assistiveTechnologyHearsEveryControl();
    void noPartIsLeftUnnamed();

private:
    std::unique_ptr<Form1> m_form;
};

namespace {

// The pixel sizes of the design at 12 twips per pixel on a 96-DPI logical screen.
QRect designedRectangle(const char *name)
{
    for (const ControlSpec &design : Form1Design::Controls) {
        if (qstrcmp(design.name, name) == 0)
            return QRect(design.left / 12, design.top / 12, design.width / 12, design.height / 12);
    }
    return {};
}

} // namespace

void Form1DesignTest::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInch(), 96.0);
    m_form = std::make_unique<Form1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void Form1DesignTest::windowHasDesignedCaptionAndSize()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(m_form->size(), QSize(501, 528));
}

void Form1DesignTest::controlsFollowDesign_data()
{
    QTest::addColumn<QWidget *>("control");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("rectangle");

    Form1 &form = *m_form;
    const auto row
        = [](QWidget *control, const char *kind, const char *container, const QString &caption) {
              QTest::newRow(qPrintable(control->objectName()))
                  << control << QString::fromLatin1(kind) << QString::fromLatin1(container)
                  << caption << designedRectangle(control->objectName().toLatin1().constData());
          };
    row(form.Text1, "TextBox", "Form1", QString());
    row(form.Check1, "CheckBox", "Form1", QStringLiteral("Możliwa edycja"));
    row(form.Check2, "CheckBox", "Frame1", QStringLiteral("Wytłuszczenie"));
    row(form.Check3, "CheckBox", "Frame1", QStringLiteral("Kursywa"));
    row(form.Check4, "CheckBox", "Frame1", QStringLiteral("Podkreślenie"));
    row(form.Check5, "CheckBox", "Frame1", QStringLiteral("Przekreślenie"));
    row(form.Command1, "CommandButton", "Form1", QStringLiteral("Wybierz czcionkę"));
    row(form.Command2, "CommandButton", "Form1", QStringLiteral("Czytaj"));
    row(form.Command3, "CommandButton", "Form1", QStringLiteral("Zapisz"));
    row(form.Command4, "CommandButton", "Form1", QStringLiteral("Zaznacz wszystko"));
    row(form.Command5, "CommandButton", "Form1", QStringLiteral("Kopiuj"));
    row(form.Command6, "CommandButton", "Form1", QStringLiteral("Wklej"));
    row(form.Frame1, "QGroupBox", "Form1", QStringLiteral(" Styl czcionki "));
    row(form.Frame2, "QGroupBox", "Form1", QStringLiteral(" Kolor tekstu "));
    row(form.Option1, "QRadioButton", "Frame2", QStringLiteral("Domyślny"));
    row(form.Option2, "QRadioButton", "Frame2", QStringLiteral("Czarny"));
    row(form.Option3, "QRadioButton", "Frame2", QStringLiteral("Niebieski"));
    row(form.Option4, "QRadioButton", "Frame2", QStringLiteral("Zielony"));
    row(form.Option5, "QRadioButton", "Frame2", QStringLiteral("Czerwony"));
}

void Form1DesignTest::controlsFollowDesign()
{
    QFETCH(QWidget *, control);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, rectangle);

    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(CaptionInk::captionOf(*control), caption);
    QCOMPARE(control->geometry(), rectangle);
    QVERIFY(control->isVisible());
    QVERIFY(control->isEnabled());
}

void Form1DesignTest::captionsFitTheirControls_data()
{
    CaptionInk::addCaptionedControlRows();
}

void Form1DesignTest::captionsFitTheirControls()
{
    CaptionInk::verifyRowDrawnWhole(*m_form, 1.0);
}

void Form1DesignTest::startsInDesignedState()
{
    const Form1 form;
    QCOMPARE(form.Text1->Text(), QStringLiteral("Text1"));
    QVERIFY(form.Text1->isEnabled());
    QCOMPARE(form.Check1->Value(), CheckState::Checked);
    for (const CheckBox *box : {form.Check2, form.Check3, form.Check4, form.Check5})
        QCOMPARE(box->Value(), CheckState::Unchecked);
    for (const QRadioButton *option :
         {form.Option1, form.Option2, form.Option3, form.Option4, form.Option5})
        QVERIFY(!option->isChecked());
    const QFont font = form.Text1->font();
    QVERIFY(!font.bold() && !font.italic() && !font.underline() && !font.strikeOut());
    for (const CommandButton *button : form.findChildren<CommandButton *>())
        QVERIFY(!button->isDefault() && !button->autoDefault());
    QVERIFY(!form.Text1->canUndo());
}

void Form1DesignTest::tabVisitsControlsInTabIndexOrder()
{
    Form1 form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.Check1);

    // Frames take no focus, and the option buttons are one stop, as the toolkit groups them;
    // the arrow keys move among them.
    const QStringList expected = {
        "Command1", "Check2",   "Check3",   "Check4",   "Check5",   "Text1",  "Option1",
        "Command2", "Command3", "Command4", "Command5", "Command6", "Check1",
    };
    QStringList visited;
    for (qsizetype step = 0; step < expected.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
    // Tab in the text area moved the focus on instead of typing a tab.
    QCOMPARE(form.Text1->Text(), QStringLiteral("Text1"));
}

void Form1DesignTest::spaceAndEnterClick_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("clicks");

    QTest::newRow("Space on a check box") << "Check3" << int(Qt::Key_Space) << 1;
    QTest::newRow("Space on a button") << "Command4" << int(Qt::Key_Space) << 1;
    QTest::newRow("Enter on a button") << "Command5" << int(Qt::Key_Return) << 1;
    QTest::newRow("keypad Enter on a button") << "Command6" << int(Qt::Key_Enter) << 1;
    QTest::newRow("Enter on a check box does nothing") << "Check2" << int(Qt::Key_Return) << 0;
}

void Form1DesignTest::spaceAndEnterClick()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(int, clicks);

    Form1 form;
    auto *button = form.findChild<QAbstractButton *>(control);
    int clicked = 0;
    connect(button, &QAbstractButton::clicked, this, [&clicked] { ++clicked; });
    QTest::keyClick(button, Qt::Key(key));
    QCOMPARE(clicked, clicks);
}

void Form1DesignTest::optionButtonsSelectOneAndChangeNothingElse()
{
    Form1 form;
    const QPalette palette = form.Text1->palette();
    QTest::mouseClick(form.Option3, Qt::LeftButton);
    QVERIFY(form.Option3->isChecked());
    QTest::mouseClick(form.Option5, Qt::LeftButton);
    QVERIFY(form.Option5->isChecked());
    QVERIFY(!form.Option3->isChecked());
    QCOMPARE(form.Text1->palette(), palette);
    QCOMPARE(form.Text1->Text(), QStringLiteral("Text1"));
}

void Form1DesignTest::windowDoesNotResize()
{
    Form1 form;
    form.resize(800, 900);
    QCOMPARE(form.size(), QSize(501, 528));
    QCOMPARE(form.Text1->geometry(), designedRectangle("Text1"));
}

void Form1DesignTest::assistiveTechnologyHearsEveryControl_data()
{
    QTest::addColumn<QObject *>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    Form1 &form = *m_form;
    const auto row = [](QObject *control, QAccessible::Role role, const QString &name,
                        const QString &description = QString()) {
        QTest::newRow(qPrintable(control->objectName()))
            << control << int(role) << name << description;
    };
    // A window, not a filler, so that a screen reader announces it; its caption stays "Form1".
    row(&form, QAccessible::Window, QStringLiteral("Notatki, edytor notatek"),
        QStringLiteral("Edytor notatek: wczytuje plik notes.txt i zapisuje plik notes3.txt w "
                       "bieżącym folderze, zmienia styl i czcionkę tekstu, kopiuje i wkleja przez "
                       "schowek."));
    row(form.Text1, QAccessible::EditableText, QStringLiteral("Notatki"),
        QStringLiteral("Tekst notatek. Przycisk „Czytaj” wczytuje go z pliku notes.txt, przycisk "
                       "„Zapisz” zapisuje go do pliku notes3.txt."));
    row(form.Check1, QAccessible::CheckBox, QStringLiteral("Możliwa edycja"));
    row(form.Check2, QAccessible::CheckBox, QStringLiteral("Wytłuszczenie"));
    row(form.Check5, QAccessible::CheckBox, QStringLiteral("Przekreślenie"));
    row(form.Command1, QAccessible::Button, QStringLiteral("Wybierz czcionkę"));
    row(form.Command6, QAccessible::Button, QStringLiteral("Wklej"));
    // The frames' captions keep their spaces on screen; a braille display would show them.
    row(form.Frame1, QAccessible::Grouping, QStringLiteral("Styl czcionki"));
    row(form.Frame2, QAccessible::Grouping, QStringLiteral("Kolor tekstu"));
    row(form.Option1, QAccessible::RadioButton, QStringLiteral("Domyślny"));
    row(form.Option5, QAccessible::RadioButton, QStringLiteral("Czerwony"));
}

void Form1DesignTest::assistiveTechnologyHearsEveryControl()
{
    QFETCH(QObject *, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);

    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(control);
    QVERIFY(heard);
    QCOMPARE(int(heard->role()), role);
    QCOMPARE(heard->text(QAccessible::Name), name);
    QCOMPARE(heard->text(QAccessible::Description), description);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Form1"));
}

void Form1DesignTest::noPartIsLeftUnnamed()
{
    const QList<QAccessibleInterface *> parts = accessibleParts(m_form.get());
    for (QAccessibleInterface *part : parts) {
        const QString name = part->text(QAccessible::Name);
        const QString which = QStringLiteral("%1 \"%2\"").arg(part->object()->objectName(), name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(which));
        QVERIFY2(name == name.trimmed(), qPrintable(which));
    }
    // The window, 19 controls, and the text area's page and two scroll bars in their containers.
    QCOMPARE(parts.size(), 25);
}

QTEST_MAIN(Form1DesignTest)
#include "tst_form1design.moc"
