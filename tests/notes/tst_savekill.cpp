// SPDX-License-Identifier: GPL-3.0-or-later
// A save killed with SIGKILL at moments spread over its whole length, on both of its ways: a new
// file renamed over notes3.txt, and, for a notes3.txt with a second name, writing in place after
// a copy of the old text. Every time, notes3.txt must hold either the whole earlier text or the
// whole new one, or else the copy kept beside it must hold the whole earlier text.

#include "tests/support/FileFaults.h"
#include "tests/support/FileIdentity.h"
#include "tests/support/Files.h"
#include "tests/support/Notes3Saver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <thread>
#include <unistd.h>

class SaveKillTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void killedSaveLeavesAWholeFile_data();
    void killedSaveLeavesAWholeFile();
    void cleanupTestCase();

private:
    QTemporaryDir m_texts;
    std::unique_ptr<QTemporaryDir> m_folder;
    void writeEarlierFile(bool hardLinked);

    QByteArray m_earlierBytes;
    QByteArray m_newBytes;
    // How long a whole save takes on each way: replaced, in place.
    qint64 m_saveMicroseconds[2] = {};
    int m_kills[2] = {};
    int m_earlierKept = 0;
    int m_newKept = 0;
    int m_copiesNeeded = 0;
    int m_leftovers = 0;
};

namespace {

// Kills spread from the start of the save to nine tenths of its measured length, so that even a
// save a little faster than measured is still killed part-way at least 20 times.
constexpr int KillCount = 30;

const char *const WayNames[] = {"replaced", "in place"};

QString describe(const QByteArray &bytes)
{
    return QStringLiteral("%1 bytes starting with \"%2\"")
        .arg(bytes.size())
        .arg(QString::fromLatin1(bytes.left(20)));
}

} // namespace

void SaveKillTest::initTestCase()
{
    QVERIFY(m_texts.isValid());
    m_earlierBytes = numberedLines("stary", 6 << 20);
    m_newBytes = numberedLines("nowy", 24 << 20);
    writeFile(m_texts.filePath(QStringLiteral("new.txt")), m_newBytes);

    // How long a whole save takes here on each way (the fastest of three), so that the kills can
    // be spread over it.
    for (const bool hardLinked : {false, true}) {
        QList<qint64> durations;
        for (int run = 0; run < 3; ++run) {
            init();
            writeEarlierFile(hardLinked);
            QProcess saver;
            QVERIFY(
                startSaving(saver, m_folder->path(), m_texts.filePath(QStringLiteral("new.txt"))));
            QElapsedTimer timer;
            timer.start();
            QVERIFY(saver.waitForFinished(60000));
            durations.append(timer.nsecsElapsed() / 1000);
            QCOMPARE(saver.exitStatus(), QProcess::NormalExit);
            QCOMPARE(saver.exitCode(), 0);
            QVERIFY(contentsOf(QStringLiteral("notes3.txt")) == m_newBytes);
        }
        m_saveMicroseconds[hardLinked] = *std::min_element(durations.begin(), durations.end());
        qInfo("A whole save of %lld bytes, %s, takes %lld ms", qint64(m_newBytes.size()),
              WayNames[hardLinked], m_saveMicroseconds[hardLinked] / 1000);
    }
}

void SaveKillTest::writeEarlierFile(bool hardLinked)
{
    writeFile(QStringLiteral("notes3.txt"), m_earlierBytes);
    if (hardLinked)
        QCOMPARE(::link("notes3.txt", "second.txt"), 0);
}

void SaveKillTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void SaveKillTest::killedSaveLeavesAWholeFile_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<int>("percent");
    for (const bool hardLinked : {false, true}) {
        for (int kill = 0; kill < KillCount; ++kill) {
            const int percent = kill * 90 / (KillCount - 1);
            QTest::addRow("%s, killed %d%% into the save", WayNames[hardLinked], percent)
                << hardLinked << percent;
        }
    }
}

void SaveKillTest::killedSaveLeavesAWholeFile()
{
    QFETCH(bool, hardLinked);
    QFETCH(int, percent);
    writeEarlierFile(hardLinked);
    QProcess saver;
    QVERIFY(startSaving(saver, m_folder->path(), m_texts.filePath(QStringLiteral("new.txt"))));
    std::this_thread::sleep_for(
        std::chrono::microseconds(m_saveMicroseconds[hardLinked] * percent / 100));
    saver.kill();
    QVERIFY(saver.waitForFinished(10000));
    const bool killed = saver.exitStatus() == QProcess::CrashExit;
    if (killed)
        ++m_kills[hardLinked];
    else
        QCOMPARE(saver.exitCode(), 0);

    QStringList left = entriesOf(m_folder->path());
    left.removeOne(QStringLiteral("notes3.txt"));
    if (hardLinked) {
        QVERIFY(left.removeOne(QStringLiteral("second.txt")));
        QCOMPARE(identityOf(QStringLiteral("second.txt")).inode,
                 identityOf(QStringLiteral("notes3.txt")).inode);
    }
    const QStringList copies
        = left.filter(QRegularExpression(QStringLiteral("^notes3\\.txt\\.kopia-")));

    const QByteArray saved = contentsOf(QStringLiteral("notes3.txt"));
    const bool earlier = saved == m_earlierBytes;
    const bool whole = earlier || saved == m_newBytes;
    if (!whole) {
        QVERIFY2(copies.size() == 1,
                 qPrintable(QStringLiteral("notes3.txt is torn, and no single copy of the earlier "
                                           "text is beside it: ")
                            + describe(saved) + QStringLiteral("; beside it: ")
                            + left.join(QStringLiteral(", "))));
        const QByteArray copy = contentsOf(copies.first());
        QVERIFY2(copy == m_earlierBytes,
                 qPrintable(QStringLiteral("notes3.txt is torn, and the copy beside it is not the "
                                           "earlier text: ")
                            + describe(copy)));
        ++m_copiesNeeded;
    } else {
        ++(earlier ? m_earlierKept : m_newKept);
    }
    m_leftovers += left.size();
    qInfo("%s; notes3.txt holds %s; left behind: %s", killed ? "killed" : "the save had ended",
          whole ? (earlier ? "the earlier text" : "the new text")
                : "a torn text, the copy the earlier one",
          left.isEmpty() ? "nothing" : qPrintable(left.join(QStringLiteral(", "))));
}

void SaveKillTest::cleanupTestCase()
{
    qInfo("%d saves killed on the way replaced, %d in place; notes3.txt whole %d times with the "
          "earlier text, %d times with the new one; %d times torn with the earlier text whole in "
          "the copy beside it; %d temporary files or copies left behind",
          m_kills[0], m_kills[1], m_earlierKept, m_newKept, m_copiesNeeded, m_leftovers);
    QVERIFY2(m_kills[0] >= 20, "too few saves were killed before they ended on the way replaced");
    QVERIFY2(m_kills[1] >= 20, "too few saves were killed before they ended in place");
}

QTEST_GUILESS_MAIN(SaveKillTest)
#include "tst_savekill.moc"
