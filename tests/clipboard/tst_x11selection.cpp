// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/X11Selection.h"

#include "tests/support/ClipboardOwner.h"

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;

// The clipboard and the primary selection read from other programs on a real X server: what each
// kind of owner gives, that a refused text still leaves its owner well, and that the wait for one
// that never answers ends after one silence, however many formats remain.
class X11SelectionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsWhatTheOwnerGives_data();
    void readsWhatTheOwnerGives();
    void refusedTextLeavesItsOwnerWell_data();
    void refusedTextLeavesItsOwnerWell();
    void ownerThatNeverAnswersEndsAfterOneSilence();
};

namespace {

constexpr X11Selection::Patience TestPatience = {1000ms, 20000ms};

using Outcome = X11Selection::Outcome;
using SelectionName = X11Selection::SelectionName;

QString xclipName(SelectionName selection)
{
    return selection == SelectionName::Primary ? u"primary"_qs : u"clipboard"_qs;
}

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
    QTest::addColumn<SelectionName>("selection");
    QTest::addColumn<QByteArray>("offered");
    QTest::addColumn<QString>("target");
    QTest::addColumn<qsizetype>("characterLimit");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("text");

    const QByteArray polish = QStringLiteral("Zażółć\ngęślą\r\njaźń").toUtf8();
    // Larger than one X request, so that xclip hands it over in INCR pieces.
    const QByteArray large = largeText(20 << 20);

    QTest::newRow("nobody holds the clipboard")
        << SelectionName::Clipboard << QByteArray() << QString() << qsizetype(100)
        << int(Outcome::NoOwner) << QString();
    QTest::newRow("Unicode text") << SelectionName::Clipboard << polish << u"UTF8_STRING"_qs
                                  << qsizetype(100) << int(Outcome::Text)
                                  << QString::fromUtf8(polish);
    QTest::newRow("Latin-1 text only")
        << SelectionName::Clipboard << QByteArray("caf\xe9 na rogu") << u"STRING"_qs
        << qsizetype(100) << int(Outcome::Text) << QStringLiteral("café na rogu");
    QTest::newRow("a picture only")
        << SelectionName::Clipboard << QByteArray("\x89PNG\r\n") << u"image/png"_qs
        << qsizetype(100) << int(Outcome::NoText) << QString();
    QTest::newRow("empty text") << SelectionName::Clipboard << QByteArray() << u"UTF8_STRING"_qs
                                << qsizetype(100) << int(Outcome::Text) << QString();
    QTest::newRow("text exactly at the limit")
        << SelectionName::Clipboard << polish << u"UTF8_STRING"_qs
        << qsizetype(QString::fromUtf8(polish).size()) << int(Outcome::Text)
        << QString::fromUtf8(polish);
    QTest::newRow("text one character over the limit")
        << SelectionName::Clipboard << polish << u"UTF8_STRING"_qs
        << qsizetype(QString::fromUtf8(polish).size() - 1) << int(Outcome::TooLarge) << QString();
    QTest::newRow("20 MB in pieces")
        << SelectionName::Clipboard << large << u"UTF8_STRING"_qs << qsizetype(64 << 20)
        << int(Outcome::Text) << QString::fromUtf8(large);
    QTest::newRow("20 MB in pieces, over a limit of 1 Mi")
        << SelectionName::Clipboard << large << u"UTF8_STRING"_qs << qsizetype(1 << 20)
        << int(Outcome::TooLarge) << QString();
    // The primary selection, what a middle click pastes, is read the same way.
    QTest::newRow("primary: nobody holds it")
        << SelectionName::Primary << QByteArray() << QString() << qsizetype(100)
        << int(Outcome::NoOwner) << QString();
    QTest::newRow("primary: Unicode text")
        << SelectionName::Primary << polish << u"UTF8_STRING"_qs << qsizetype(100)
        << int(Outcome::Text) << QString::fromUtf8(polish);
    QTest::newRow("primary: 20 MB in pieces")
        << SelectionName::Primary << large << u"UTF8_STRING"_qs << qsizetype(64 << 20)
        << int(Outcome::Text) << QString::fromUtf8(large);
    QTest::newRow("primary: 20 MB in pieces, over a limit of 1 Mi")
        << SelectionName::Primary << large << u"UTF8_STRING"_qs << qsizetype(1 << 20)
        << int(Outcome::TooLarge) << QString();
}

void X11SelectionTest::readsWhatTheOwnerGives()
{
    QFETCH(SelectionName, selection);
    QFETCH(QByteArray, offered);
    QFETCH(QString, target);
    QFETCH(qsizetype, characterLimit);
    QFETCH(int, outcome);
    QFETCH(QString, text);
    std::optional<ClipboardOwner> owner;
    if (!target.isNull()) {
        owner.emplace(offered, target, xclipName(selection));
        QVERIFY2(owner->holdsTheClipboard(), "xclip did not take the selection");
    }

    const auto display = X11Selection::connect(qgetenv("DISPLAY"));
    QVERIFY(display);
    const X11Selection::Result result
        = display->readText(selection, characterLimit, TestPatience, [] {});

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.text, text);
    if (result.outcome == Outcome::TooLarge) {
        // The rest was taken and counted, not kept.
        QCOMPARE(result.charactersRead, QString::fromUtf8(offered).size());
        QVERIFY(result.wholeTextRead);
    }
}

void X11SelectionTest::refusedTextLeavesItsOwnerWell_data()
{
    QTest::addColumn<SelectionName>("selection");
    QTest::addColumn<QByteArray>("offered");

    // In pieces: an owner left in the middle of a transfer would wait for the rest forever.
    const QByteArray large = largeText(20 << 20);
    const QByteArray largePolish = QStringLiteral("źdźbło ").toUtf8().repeated(3 << 20);
    QTest::newRow("clipboard, 20 MB") << SelectionName::Clipboard << large;
    QTest::newRow("primary, 20 MB") << SelectionName::Primary << large;
    QTest::newRow("clipboard, 30 MB of Polish letters") << SelectionName::Clipboard << largePolish;
    QTest::newRow("small, in one piece") << SelectionName::Clipboard << QByteArray("za dużo");
}

void X11SelectionTest::refusedTextLeavesItsOwnerWell()
{
    QFETCH(SelectionName, selection);
    QFETCH(QByteArray, offered);
    const qsizetype size = QString::fromUtf8(offered).size();
    // Refused half way, with many pieces still to come.
    const qsizetype limit = size / 2;
    const auto display = X11Selection::connect(qgetenv("DISPLAY"));
    QVERIFY(display);

    // An owner that serves without end answers the next reading with the whole text.
    {
        ClipboardOwner owner(offered, u"UTF8_STRING"_qs, xclipName(selection));
        QVERIFY2(owner.holdsTheClipboard(), "xclip did not take the selection");
        const X11Selection::Result refused
            = display->readText(selection, limit, TestPatience, [] {});
        QCOMPARE(int(refused.outcome), int(Outcome::TooLarge));
        QCOMPARE(refused.charactersRead, size);
        const X11Selection::Result taken = display->readText(selection, size, TestPatience, [] {});
        QCOMPARE(int(taken.outcome), int(Outcome::Text));
        QCOMPARE(taken.text, QString::fromUtf8(offered));
    }

    // An owner that serves one transfer has finished it, and ends by itself.
    ClipboardOwner once(offered, u"UTF8_STRING"_qs, xclipName(selection), 1);
    QVERIFY2(once.holdsTheClipboard(), "xclip did not take the selection");
    const X11Selection::Result refused = display->readText(selection, limit, TestPatience, [] {});
    QCOMPARE(int(refused.outcome), int(Outcome::TooLarge));
    QVERIFY2(once.endsWithin(10000), "xclip still waits for the rest of the transfer");
}

void X11SelectionTest::ownerThatNeverAnswersEndsAfterOneSilence()
{
    ClipboardOwner owner("zatrzymany");
    QVERIFY2(owner.holdsTheClipboard(), "xclip did not take the clipboard");
    owner.stopAnswering();

    const auto display = X11Selection::connect(qgetenv("DISPLAY"));
    QVERIFY(display);
    int waits = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    const X11Selection::Result result
        = display->readText(SelectionName::Clipboard, 100, TestPatience, [&waits] { ++waits; });

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
