#include "app/Form1.h"
#include "platform/CommandButton.h"
#include "platform/RuntimeFailure.h"
#include "platform/SystemClipboard.h"
#include "textarea/TextBox.h"
#include "tests/support/CapturingReporter.h"
#include "tests/support/ClipboardOwner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

// "Zaznacz wszystko" then "Wklej" in the real window on X11, with the clipboard held by another
// program that answers, has no text, holds too much, or never answers.
class ClipboardWaitTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pasteOverTheWholeText_data();
    void pasteOverTheWholeText();

private:
    std::unique_ptr<Form1> m_form;
    QList<RuntimeFailure> m_failures;
};

namespace {

const QString UserText = u"tekst użytkownika\r\ndruga linia\r\n"_qs;

enum class Owner { Nobody, Answering, Stopped };

} // namespace

void ClipboardWaitTest::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("Needs an X display: run this suite through tests/e2e/run_on_display.sh");
}

void ClipboardWaitTest::init()
{
    m_failures.clear();
    m_form = std::make_unique<Form1>();
    m_form->setFailureReporter(std::make_unique<CapturingReporter>(m_failures));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->Text1->SetText(UserText);
}

void ClipboardWaitTest::cleanup()
{
    m_form.reset();
}

void ClipboardWaitTest::pasteOverTheWholeText_data()
{
    QTest::addColumn<int>("owner");
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("text from another program")
        << int(Owner::Answering) << u"wklejony\nz innego programu"_qs.toUtf8() << u"UTF8_STRING"_qs
        << u"wklejony\r\nz innego programu"_qs << QString();
    QTest::newRow("nobody holds the clipboard: the selection goes")
        << int(Owner::Nobody) << QByteArray() << QString() << QString() << QString();
    QTest::newRow("a picture only: the selection goes")
        << int(Owner::Answering) << QByteArray("\x89PNG\r\n") << u"image/png"_qs << QString()
        << QString();
    QTest::newRow("an owner that never answers: nothing changes")
        << int(Owner::Stopped) << u"nigdy nie dotrze"_qs.toUtf8() << u"UTF8_STRING"_qs << UserText
        << u"Schowek nie odpowiada"_qs;
    QTest::newRow("more than the area takes: nothing changes")
        << int(Owner::Answering) << QByteArray(TextArea::LargestText + 1, 'x') << u"UTF8_STRING"_qs
        << UserText << u"Tekst w schowku jest za duży"_qs;
}

void ClipboardWaitTest::pasteOverTheWholeText()
{
    QFETCH(int, owner);
    QFETCH(QByteArray, offered);
    QFETCH(QString, target);
    QFETCH(QString, text);
    QFETCH(QString, message);
    std::optional<ClipboardOwner> program;
    if (Owner(owner) != Owner::Nobody) {
        program.emplace(offered, target);
        QVERIFY2(program->holdsTheClipboard(), "xclip did not take the clipboard");
        if (Owner(owner) == Owner::Stopped)
            program->stopAnswering();
    }
    QTest::mouseClick(m_form->Command4, Qt::LeftButton);

    // The window goes on handling its timers while it waits, with the busy cursor shown.
    std::optional<Qt::CursorShape> cursorWhileWaiting;
    QTimer::singleShot(500, m_form.get(), [&cursorWhileWaiting] {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        cursorWhileWaiting = cursor ? cursor->shape() : Qt::ArrowCursor;
    });
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::mouseClick(m_form->Command6, Qt::LeftButton);
    const qint64 milliseconds = elapsed.elapsed();

    QCOMPARE(m_form->Text1->Text(), text);
    if (message.isNull()) {
        QVERIFY(m_failures.isEmpty());
    } else {
        QCOMPARE(m_failures.size(), 1);
        QVERIFY2(m_failures.first().description().contains(message),
                 qPrintable(m_failures.first().description()));
    }
    if (Owner(owner) == Owner::Stopped) {
        QCOMPARE(cursorWhileWaiting, std::optional(Qt::WaitCursor));
        // One silence, not one for each format tried.
        const auto silence = std::chrono::milliseconds(SystemClipboard::Silence).count();
        QVERIFY2(milliseconds >= silence && milliseconds < silence + 2000,
                 qPrintable(QString::number(milliseconds)));
    }
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(ClipboardWaitTest)
#include "tst_clipboardwait.moc"
