// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/SelectionPipe.h"

#include <QElapsedTimer>
#include <QTest>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using SelectionText::Outcome;

// What another program hands over through a pipe, as a Wayland selection's owner does: a text
// that fits comes whole, one too large is refused without waiting for the rest of it, and an
// owner that falls silent, or takes too long, is given up on in the set time.
class SelectionPipeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsWhatTheOwnerWrites_data();
    void readsWhatTheOwnerWrites();
};

namespace {

// One step of the owner: bytes written after a pause.
struct Step
{
    QByteArray bytes;
    std::chrono::milliseconds pauseBefore = 0ms;
};
using Steps = QList<Step>;

constexpr qsizetype Unlimited = std::numeric_limits<qsizetype>::max();

// The owner's side: writes its steps on a thread of its own, then closes its end, or holds it
// open until the reader has gone when it never finishes.
class Owner
{
public:
    Owner(Steps steps, bool finishes)
    {
        std::array<int, 2> ends{};
        QVERIFY(pipe2(ends.data(), O_CLOEXEC) == 0);
        m_readEnd = ends[0];
        m_writer = std::thread([steps = std::move(steps), finishes, writeEnd = ends[1]] {
            bool open = true;
            for (const Step &step : steps) {
                std::this_thread::sleep_for(step.pauseBefore);
                if (write(writeEnd, step.bytes.constData(), size_t(step.bytes.size()))
                    != step.bytes.size()) {
                    open = false;
                    break;
                }
            }
            // An owner that never finishes is left only by the reader closing its end.
            while (open && !finishes) {
                pollfd gone{writeEnd, POLLERR, 0};
                open = poll(&gone, 1, -1) == 0 || !(gone.revents & POLLERR);
            }
            close(writeEnd);
        });
    }
    ~Owner()
    {
        close(m_readEnd);
        m_writer.join();
    }
    int readEnd() const { return m_readEnd; }

private:
    int m_readEnd = -1;
    std::thread m_writer;
};

Steps oneStep(const QByteArray &bytes)
{
    return {{bytes}};
}

} // namespace

void SelectionPipeTest::initTestCase()
{
    // A writer whose reader has gone gets EPIPE rather than the signal that would end the test.
    std::signal(SIGPIPE, SIG_IGN);
}

void SelectionPipeTest::readsWhatTheOwnerWrites_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<bool>("finishes");
    QTest::addColumn<qsizetype>("characterLimit");
    QTest::addColumn<qsizetype>("keptBytes");
    // Whether the text, counted and not kept, must be asked for again; else the outcome.
    QTest::addColumn<bool>("askAgain");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("atLeastCharacters");
    // How long the reading may take at most, and at least. A text over the limit is refused
    // before the owner's silence could end the reading; a silent owner is waited for as long as
    // the patience allows.
    QTest::addColumn<int>("longestMilliseconds");
    QTest::addColumn<int>("shortestMilliseconds");

    const QByteArray polish = QStringLiteral("Zażółć\ngęślą\njaźń").toUtf8();
    QTest::newRow("a text in one piece")
        << oneStep(polish) << true << qsizetype(100) << Unlimited << false << Outcome::Text
        << QString::fromUtf8(polish) << qsizetype(0) << 2000 << 0;
    QTest::newRow("a letter cut between two pieces")
        << Steps{{polish.left(3)}, {polish.mid(3), 20ms}} << true << qsizetype(100) << Unlimited
        << false << Outcome::Text << QString::fromUtf8(polish) << qsizetype(0) << 2000 << 0;
    QTest::newRow("an empty text") << Steps{} << true << qsizetype(100) << Unlimited << false
                                   << Outcome::Text << QString() << qsizetype(0) << 2000 << 0;
    QTest::newRow("exactly at the limit")
        << oneStep(QByteArray(64, 'a')) << true << qsizetype(64) << Unlimited << false
        << Outcome::Text << QString(64, u'a') << qsizetype(0) << 2000 << 0;
    QTest::newRow("over the limit, the owner going on for ever")
        << Steps{{QByteArray(1000, 'a')}, {QByteArray(1000, 'b'), 10ms}} << false << qsizetype(1500)
        << Unlimited << false << Outcome::TooLarge << QString() << qsizetype(1501) << 250 << 0;
    QTest::newRow("over the limit by one two-unit character")
        << oneStep(QByteArray(63, 'a') + QStringLiteral("\U0001F600").toUtf8()) << true
        << qsizetype(64) << Unlimited << false << Outcome::TooLarge << QString() << qsizetype(65)
        << 2000 << 0;
    QTest::newRow("a text that fits, longer than what is kept")
        << oneStep(polish) << true << qsizetype(100) << qsizetype(10) << true << Outcome::Text
        << QString() << qsizetype(0) << 2000 << 0;
    QTest::newRow("a text as long as what is kept")
        << oneStep(polish) << true << qsizetype(100) << qsizetype(polish.size()) << false
        << Outcome::Text << QString::fromUtf8(polish) << qsizetype(0) << 2000 << 0;
    QTest::newRow("over the limit while only counting, the owner going on for ever")
        << Steps{{QByteArray(1000, 'a')}, {QByteArray(1000, 'b'), 10ms}} << false << qsizetype(1500)
        << qsizetype(100) << false << Outcome::TooLarge << QString() << qsizetype(1501) << 250 << 0;
    QTest::newRow("an owner that never writes")
        << Steps{} << false << qsizetype(100) << Unlimited << false << Outcome::NoAnswer
        << QString() << qsizetype(0) << 2000 << 300;
    QTest::newRow("an owner that falls silent after a piece")
        << oneStep(polish.left(5)) << false << qsizetype(100) << Unlimited << false
        << Outcome::NoAnswer << QString() << qsizetype(0) << 2000 << 300;
    QTest::newRow("an owner writing more slowly than the whole transfer may take")
        << Steps(40, Step{QByteArray("a"), 100ms}) << false << qsizetype(100) << Unlimited << false
        << Outcome::NoAnswer << QString() << qsizetype(0) << 2500 << 1000;
}

void SelectionPipeTest::readsWhatTheOwnerWrites()
{
    QFETCH(Steps, steps);
    QFETCH(bool, finishes);
    QFETCH(qsizetype, characterLimit);
    QFETCH(qsizetype, keptBytes);
    QFETCH(bool, askAgain);
    QFETCH(Outcome, outcome);
    QFETCH(QString, text);
    QFETCH(qsizetype, atLeastCharacters);
    QFETCH(int, longestMilliseconds);
    QFETCH(int, shortestMilliseconds);

    Owner owner(steps, finishes);
    int waits = 0;
    QElapsedTimer clock;
    clock.start();
    const std::optional<SelectionText::Result> reading = readSelectionPipe(
        owner.readEnd(), characterLimit, {300ms, 1000ms}, [&waits] { ++waits; }, keptBytes);
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(!reading, askAgain);
    const SelectionText::Result read = reading.value_or(SelectionText::Result{outcome, {}});
    QCOMPARE(read.outcome, outcome);
    QCOMPARE(read.text, text);
    QVERIFY2(read.charactersRead >= atLeastCharacters,
             qPrintable(QString::number(read.charactersRead)));
    QVERIFY2(elapsed <= longestMilliseconds, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed >= shortestMilliseconds, qPrintable(QString::number(elapsed)));
    // The window repaints while a silent owner is waited for.
    if (shortestMilliseconds > 0)
        QVERIFY(waits > 0);
}

QTEST_GUILESS_MAIN(SelectionPipeTest)
#include "tst_selectionpipe.moc"
