// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/X11Selection.h"

#include "tests/support/ClipboardOwner.h"

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;

// The clipboard read from other programs on a real X server: what each kind of owner gives, and
// that the wait for one that never answers ends after one silence, however many formats remain.
class X11SelectionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsWhatTheOwnerGives_data();
    void readsWhatTheOwnerGives();
    void ownerThatNeverAnswersEndsAfterOneSilence();
};

namespace {

constexpr X11Selection::Patience TestPatience = {1000ms, 20000ms};

using Outcome = X11Selection::Outcome;

QByteArray largeText(qsizetype size)
{
    const QByteArray line = QStringLiteral("Zażółć gęślą jaźń, wiersz numer ").toUtf8();
    QByteArray text;
    for (int number = 0; text.size() < size; ++number)
        text += line + QByteArray::number(number) + '\n';
    return text;
}

} // namespace

void X11SelectionTest::initTestCase()
{
    if (!X11Selection::connect(qgetenv("DISPLAY")))
        QSKIP("No X display to test on: run this suite through tests/e2e/run_on_display.sh");
}

void X11SelectionTest::readsWhatTheOwnerGives_data()
{
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<QString>("target");
    QTest::addColumn<qsizetype>("characterLimit");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("text");

    const QByteArray polish = QStringLiteral("Zażółć\ngęślą\r\njaźń").toUtf8();
    // Larger than one X request, so that xclip hands it over in INCR pieces.
    const QByteArray large = largeText(20 << 20);

    QTest::newRow("nobody holds the clipboard")
        << QByteArray() << QString() << qsizetype(100) << int(Outcome::NoOwner) << QString();
    QTest::newRow("Unicode text") << polish << u"UTF8_STRING"_qs << qsizetype(100)
                                  << int(Outcome::Text) << QString::fromUtf8(polish);
    QTest::newRow("Latin-1 text only")
        << QByteArray("caf\xe9 na rogu") << u"STRING"_qs << qsizetype(100) << int(Outcome::Text)
        << QStringLiteral("café na rogu");
    QTest::newRow("a picture only") << QByteArray("\x89PNG\r\n") << u"image/png"_qs
                                    << qsizetype(100) << int(Outcome::NoText) << QString();
    QTest::newRow("empty text") << QByteArray() << u"UTF8_STRING"_qs << qsizetype(100)
                                << int(Outcome::Text) << QString();
    QTest::newRow("text exactly at the limit")
        << polish << u"UTF8_STRING"_qs << qsizetype(QString::fromUtf8(polish).size())
        << int(Outcome::Text) << QString::fromUtf8(polish);
    QTest::newRow("text one character over the limit")
        << polish << u"UTF8_STRING"_qs << qsizetype(QString::fromUtf8(polish).size() - 1)
        << int(Outcome::TooLarge) << QString();
    QTest::newRow("20 MB in pieces") << large << u"UTF8_STRING"_qs << qsizetype(64 << 20)
                                     << int(Outcome::Text) << QString::fromUtf8(large);
    QTest::newRow("20 MB in pieces, over a limit of 1 Mi")
        << large << u"UTF8_STRING"_qs << qsizetype(1 << 20) << int(Outcome::TooLarge) << QString();
}

void X11SelectionTest::readsWhatTheOwnerGives()
{
    QFETCH(QByteArray, offered);
    QFETCH(QString, target);
    QFETCH(qsizetype, characterLimit);
    QFETCH(int, outcome);
    QFETCH(QString, text);
    std::optional<ClipboardOwner> owner;
    if (!target.isNull()) {
        owner.emplace(offered, target);
        QVERIFY2(owner->holdsTheClipboard(), "xclip did not take the clipboard");
    }

    const auto selection = X11Selection::connect(qgetenv("DISPLAY"));
    QVERIFY(selection);
    const X11Selection::Result result
        = selection->readClipboardText(characterLimit, TestPatience, [] {});

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.text, text);
    if (result.outcome == Outcome::TooLarge) {
        // It stopped soon after the limit, not at the end of the text.
        QVERIFY2(result.charactersRead > characterLimit,
                 qPrintable(QString::number(result.charactersRead)));
        QVERIFY2(result.charactersRead < characterLimit + (8 << 20),
                 qPrintable(QString::number(result.charactersRead)));
    }
}

void X11SelectionTest::ownerThatNeverAnswersEndsAfterOneSilence()
{
    ClipboardOwner owner("zatrzymany");
    QVERIFY2(owner.holdsTheClipboard(), "xclip did not take the clipboard");
    owner.stopAnswering();

    const auto selection = X11Selection::connect(qgetenv("DISPLAY"));
    QVERIFY(selection);
    int waits = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    const X11Selection::Result result
        = selection->readClipboardText(100, TestPatience, [&waits] { ++waits; });

    QCOMPARE(int(result.outcome), int(Outcome::NoAnswer));
    QVERIFY(result.text.isEmpty());
    // One silence for both formats, not one each.
    QVERIFY2(elapsed.elapsed() >= 1000 && elapsed.elapsed() < 1900,
             qPrintable(QString::number(elapsed.elapsed())));
    // The caller's work ran throughout the wait.
    QVERIFY2(waits >= 10, qPrintable(QString::number(waits)));
}

QTEST_GUILESS_MAIN(X11SelectionTest)
#include "tst_x11selection.moc"
