#include "app/Form1.h"
#include "platform/CommandButton.h"
#include "platform/RuntimeFailure.h"
#include "textarea/TextBox.h"
#include "tests/support/CapturingReporter.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <memory>

// "Zaznacz wszystko", "Kopiuj" and "Wklej" clicked in the real window.
class Form1ClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buttonsSelectCopyAndPaste_data();
    void buttonsSelectCopyAndPaste();
    void selectAllOnADisabledAreaFailsAtTheFocus_data();
    void selectAllOnADisabledAreaFailsAtTheFocus();

private:
    std::unique_ptr<Form1> m_form;
    QList<RuntimeFailure> m_failures;
};

void Form1ClipboardTest::init()
{
    QApplication::clipboard()->clear();
    m_failures.clear();
    m_form = std::make_unique<Form1>();
    m_form->setFailureReporter(std::make_unique<CapturingReporter>(m_failures));
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void Form1ClipboardTest::cleanup()
{
    m_form.reset();
}

void Form1ClipboardTest::buttonsSelectCopyAndPaste_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("copied");

    QTest::newRow("initial text") << QString() << u"Text1"_qs;
    QTest::newRow("Polish lines") << u"Zażółć gęślą jaźń\r\nŹdźbło\r\n"_qs
                                  << u"Zażółć gęślą jaźń\nŹdźbło\n"_qs;
}

void Form1ClipboardTest::buttonsSelectCopyAndPaste()
{
    QFETCH(QString, text);
    QFETCH(QString, copied);
    if (!text.isNull())
        m_form->Text1->SetText(text);
    const QString whole = m_form->Text1->Text();

    QTest::mouseClick(m_form->Command4, Qt::LeftButton);
    QCOMPARE(m_form->Text1->SelText(), whole);
    QVERIFY(m_form->Text1->hasFocus());

    QTest::mouseClick(m_form->Command5, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), copied);

    m_form->Text1->SetSelStart(int(whole.size()));
    QTest::mouseClick(m_form->Command6, Qt::LeftButton);
    QCOMPARE(m_form->Text1->Text(), whole + whole);
    QVERIFY(m_failures.isEmpty());
}

void Form1ClipboardTest::selectAllOnADisabledAreaFailsAtTheFocus_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("copied");

    QTest::newRow("empty area") << u""_qs << u""_qs;
    QTest::newRow("Polish lines") << u"Łąka\r\nźródło"_qs << u"Łąka\nźródło"_qs;
}

void Form1ClipboardTest::selectAllOnADisabledAreaFailsAtTheFocus()
{
    QFETCH(QString, text);
    QFETCH(QString, copied);
    m_form->Text1->SetText(text);
    m_form->Text1->SetEnabled(false);
    QApplication::clipboard()->setText(u"stary tekst"_qs);

    QTest::mouseClick(m_form->Command4, Qt::LeftButton);
    QCOMPARE(m_failures.size(), 1);
    QCOMPARE(m_failures.first().number(), int(RuntimeFailure::InvalidProcedureCall));
    QVERIFY(!m_failures.first().description().isEmpty());
    try {
        m_form->Text1->SetFocus();
        QFAIL("focusing a disabled area succeeded");
    } catch (const RuntimeFailure &focusFailure) {
        QCOMPARE(m_failures.first().description(), focusFailure.description());
    }
    QVERIFY(!m_form->Text1->hasFocus());
    QCOMPARE(m_form->Text1->SelText(), text);

    // The selection made before the failure is what "Kopiuj" copies.
    QTest::mouseClick(m_form->Command5, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), copied);

    // Pasting still writes while the area is out of the user's reach.
    QApplication::clipboard()->setText(u"wklejone\nniżej"_qs);
    QTest::mouseClick(m_form->Command6, Qt::LeftButton);
    QCOMPARE(m_form->Text1->Text(), u"wklejone\r\nniżej"_qs);
    QCOMPARE(m_failures.size(), 1);
}

QTEST_MAIN(Form1ClipboardTest)
#include "tst_form1clipboard.moc"
