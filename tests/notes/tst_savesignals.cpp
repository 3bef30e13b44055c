// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM, SIGINT and SIGHUP sent to a program that is saving notes3.txt, at moments spread over
// the save, on both of its ways (a new file renamed over notes3.txt; writing in place into a
// notes3.txt with a second name) and on a FUSE file system: the save finishes or rolls back, no
// temporary file or copy is left behind, and the program then ends by that signal. Between saves
// the signal ends the program at once.

#include "tests/support/FileFaults.h"
#include "tests/support/FileIdentity.h"
#include "tests/support/Files.h"
#include "tests/support/Notes3Saver.h"

#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <limits>
#include <thread>
#include <unistd.h>

class SaveSignalsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signalDuringASaveWaitsForIt_data();
    void signalDuringASaveWaitsForIt();
    void signalBetweenSavesEndsAtOnce_data();
    void signalBetweenSavesEndsAtOnce();
    void cleanupTestCase();

private:
    QString prepareFolder(bool onFuse, bool hardLinked);
    qint64 saveMicroseconds(bool onFuse, bool hardLinked);

    QTemporaryDir m_scratch;
    QByteArray m_earlierBytes;
    QByteArray m_newBytes;
    std::unique_ptr<QProcess> m_fuse;
    QString m_fuseSkipReason;
    QMap<int, qint64> m_saveMicroseconds;
    int m_folders = 0;
    int m_finishedThenEnded = 0;
};

namespace {

const char *signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    default:
        return "SIGHUP";
    }
}

} // namespace

void SaveSignalsTest::initTestCase()
{
    QVERIFY(m_scratch.isValid());
    m_earlierBytes = numberedLines("stary", 6 << 20);
    m_newBytes = numberedLines("nowy", 24 << 20);
    writeFile(m_scratch.filePath(QStringLiteral("new.txt")), m_newBytes);

    // A FUSE file system over a folder of the scratch one, where the save's files go through a
    // program in user space as on an exFAT stick.
    const QString backing = m_scratch.filePath(QStringLiteral("backing"));
    const QString mounted = m_scratch.filePath(QStringLiteral("fuse"));
    QVERIFY(QDir().mkpath(backing) && QDir().mkpath(mounted));
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        m_fuseSkipReason = QStringLiteral("no usable /dev/fuse on this machine");
        return;
    }
    m_fuse = std::make_unique<QProcess>();
    m_fuse->start(QStringLiteral("bindfs"), {QStringLiteral("-f"), backing, mounted});
    if (!m_fuse->waitForStarted(5000)) {
        m_fuseSkipReason = QStringLiteral("bindfs (Debian package bindfs) cannot be started");
        m_fuse.reset();
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(mounted).isDir()
           && !runTool(QStringLiteral("mountpoint"), {QStringLiteral("-q"), mounted})) {
        if (m_fuse->state() != QProcess::Running || waited.elapsed() > 10000) {
            m_fuseSkipReason = QStringLiteral("bindfs could not mount a FUSE file system: ")
                               + QString::fromLocal8Bit(m_fuse->readAllStandardError());
            m_fuse.reset();
            return;
        }
        QTest::qWait(50);
    }
}

void SaveSignalsTest::cleanupTestCase()
{
    if (m_fuse) {
        runTool(QStringLiteral("fusermount"),
                {QStringLiteral("-u"), m_scratch.filePath(QStringLiteral("fuse"))});
        m_fuse->waitForFinished(5000);
    }
    qInfo("%d signals came while a save was writing: each time the save finished first",
          m_finishedThenEnded);
    QVERIFY2(m_finishedThenEnded >= 10, "too few signals came while a save was writing");
}

// A fresh folder holding the earlier notes3.txt, with a second name when asked.
QString SaveSignalsTest::prepareFolder(bool onFuse, bool hardLinked)
{
    const QString folder = m_scratch.filePath((onFuse ? QStringLiteral("fuse/") : QString())
                                              + QStringLiteral("folder-%1").arg(++m_folders));
    if (!QDir().mkpath(folder))
        return {};
    writeFile(folder + QStringLiteral("/notes3.txt"), m_earlierBytes);
    const QByteArray notes3 = QFile::encodeName(folder + QStringLiteral("/notes3.txt"));
    const QByteArray second = QFile::encodeName(folder + QStringLiteral("/second.txt"));
    if (hardLinked && ::link(notes3.constData(), second.constData()) != 0)
        return {};
    return folder;
}

// How long a whole save takes in such a folder here, the fastest of three.
qint64 SaveSignalsTest::saveMicroseconds(bool onFuse, bool hardLinked)
{
    const int key = int(onFuse) * 2 + int(hardLinked);
    if (m_saveMicroseconds.contains(key))
        return m_saveMicroseconds.value(key);
    qint64 fastest = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 3; ++run) {
        QProcess saver;
        if (!startSaving(saver, prepareFolder(onFuse, hardLinked),
                         m_scratch.filePath(QStringLiteral("new.txt"))))
            return -1;
        QElapsedTimer timer;
        timer.start();
        saver.waitForFinished(60000);
        fastest = std::min(fastest, timer.nsecsElapsed() / 1000);
    }
    qInfo("A whole save%s%s takes %lld ms", onFuse ? " on FUSE" : "", hardLinked ? " in place" : "",
          fastest / 1000);
    m_saveMicroseconds.insert(key, fastest);
    return fastest;
}

void SaveSignalsTest::signalDuringASaveWaitsForIt_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<bool>("onFuse");
    QTest::addColumn<int>("percent");
    for (const bool onFuse : {false, true}) {
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            if (onFuse && signalNumber != SIGTERM)
                continue;
            for (const bool hardLinked : {false, true}) {
                for (const int percent : {10, 30, 50, 70, 90}) {
                    QTest::addRow("%s %s%s, %d%% into the save", signalName(signalNumber),
                                  hardLinked ? "in place" : "replaced", onFuse ? " on FUSE" : "",
                                  percent)
                        << signalNumber << hardLinked << onFuse << percent;
                }
            }
        }
    }
}

void SaveSignalsTest::signalDuringASaveWaitsForIt()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, hardLinked);
    QFETCH(bool, onFuse);
    QFETCH(int, percent);
    if (onFuse && !m_fuse)
        QSKIP(qPrintable(m_fuseSkipReason));
    const qint64 duration = saveMicroseconds(onFuse, hardLinked);
    QVERIFY(duration > 0);
    const QString folder = prepareFolder(onFuse, hardLinked);
    QVERIFY(!folder.isEmpty());

    QProcess saver;
    QVERIFY(startSaving(saver, folder, m_scratch.filePath(QStringLiteral("new.txt"))));
    std::this_thread::sleep_for(std::chrono::microseconds(duration * percent / 100));
    QCOMPARE(::kill(pid_t(saver.processId()), signalNumber), 0);
    QVERIFY(saver.waitForFinished(30000));
    const bool endedBySignal = saver.exitStatus() == QProcess::CrashExit;
    if (endedBySignal)
        QCOMPARE(saver.exitCode(), signalNumber);
    else
        QCOMPARE(saver.exitCode(), 0);
    const bool saveHadEnded = saver.readAll().contains("saved");

    // What is on the disk under FUSE: through the mount, the kernel may still hold the size it
    // cached for the second name.
    const QString onDisk
        = onFuse ? QString(folder).replace(QStringLiteral("/fuse/"), QStringLiteral("/backing/"))
                 : folder;
    const QByteArray saved = contentsOf(onDisk + QStringLiteral("/notes3.txt"));
    const bool earlier = saved == m_earlierBytes;
    QVERIFY2(earlier || saved == m_newBytes, "notes3.txt is torn");
    QStringList expected{"notes3.txt"};
    if (hardLinked) {
        expected.append(QStringLiteral("second.txt"));
        QCOMPARE(contentsOf(onDisk + QStringLiteral("/second.txt")), saved);
    }
    QCOMPARE(entriesOf(onDisk), expected);
    if (endedBySignal && !earlier && !saveHadEnded)
        ++m_finishedThenEnded;
    qInfo("%s; notes3.txt holds the %s text",
          endedBySignal ? (saveHadEnded ? "ended by the signal after the save"
                                        : "ended by the signal once the save was done")
                        : "the program had ended",
          earlier ? "earlier" : "new");
}

void SaveSignalsTest::signalBetweenSavesEndsAtOnce_data()
{
    QTest::addColumn<int>("signalNumber");
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        QTest::addRow("%s", signalName(signalNumber)) << signalNumber;
}

void SaveSignalsTest::signalBetweenSavesEndsAtOnce()
{
    QFETCH(int, signalNumber);
    const QString folder = prepareFolder(false, false);
    QProcess saver;
    QVERIFY(startSaving(saver, folder, m_scratch.filePath(QStringLiteral("new.txt")),
                        {QStringLiteral("--wait-after")}));
    while (!saver.canReadLine())
        QVERIFY(saver.waitForReadyRead(30000));
    QCOMPARE(saver.readLine(), QByteArray("saved\n"));

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(::kill(pid_t(saver.processId()), signalNumber), 0);
    QVERIFY(saver.waitForFinished(10000));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("took %1 ms").arg(timer.elapsed())));
    QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
    QCOMPARE(saver.exitCode(), signalNumber);
    QCOMPARE(contentsOf(folder + QStringLiteral("/notes3.txt")), m_newBytes);
    QCOMPARE(entriesOf(folder), QStringList{"notes3.txt"});
}

QTEST_GUILESS_MAIN(SaveSignalsTest)
#include "tst_savesignals.moc"
