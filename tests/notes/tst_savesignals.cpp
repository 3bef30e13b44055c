// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM, SIGINT and SIGHUP sent to a program that is writing notes3.txt, at points spread over
// the writing, on both of the save's ways (a new file renamed over notes3.txt; writing in place
// into a notes3.txt with a second name) and on a FUSE file system: the save finishes, no
// temporary file or copy is left behind, and the program then ends by that signal. The writing
// is held at its point until the signal has been handled, so that each case is the same on every
// run. Between saves the signal ends the program at once.

#include "tests/support/FileFaults.h"
#include "tests/support/FileIdentity.h"
#include "tests/support/Files.h"
#include "tests/support/Notes3Saver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
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

    QTemporaryDir m_scratch;
    QByteArray m_earlierBytes;
    QByteArray m_newBytes;
    std::unique_ptr<QProcess> m_fuse;
    QString m_fuseSkipReason;
    int m_folders = 0;
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
    // A few of the writer's 1 MiB pieces each: the signal needs no long save to land in, as the
    // writing waits for it.
    m_earlierBytes = numberedLines("stary", 2 << 20);
    m_newBytes = numberedLines("nowy", 4 << 20);
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
                    QTest::addRow("%s %s%s, %d%% written", signalName(signalNumber),
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
    const QString folder = prepareFolder(onFuse, hardLinked);
    QVERIFY(!folder.isEmpty());

    QProcess saver;
    const qint64 holdOffset = m_newBytes.size() * percent / 100;
    QVERIFY(startSaving(saver, folder, m_scratch.filePath(QStringLiteral("new.txt")),
                        {QStringLiteral("--hold-at"), QString::number(holdOffset)}));
    while (!saver.canReadLine())
        QVERIFY(saver.waitForReadyRead(30000));
    QCOMPARE(saver.readLine(), QByteArray("holding\n"));
    QCOMPARE(::kill(pid_t(saver.processId()), signalNumber), 0);
    QVERIFY(saver.waitForFinished(60000));
    QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
    QCOMPARE(saver.exitCode(), signalNumber);
    // Ended by the signal as soon as the save was done, before it could say so.
    QCOMPARE(saver.readAll(), QByteArray());

    // What is on the disk under FUSE: through the mount, the kernel may still hold the size it
    // cached for the second name.
    const QString onDisk
        = onFuse ? QString(folder).replace(QStringLiteral("/fuse/"), QStringLiteral("/backing/"))
                 : folder;
    const QByteArray saved = contentsOf(onDisk + QStringLiteral("/notes3.txt"));
    QVERIFY2(saved == m_newBytes,
             saved == m_earlierBytes ? "notes3.txt holds the earlier text" : "notes3.txt is torn");
    QStringList expected{"notes3.txt"};
    if (hardLinked) {
        expected.append(QStringLiteral("second.txt"));
        QCOMPARE(contentsOf(onDisk + QStringLiteral("/second.txt")), saved);
    }
    QCOMPARE(entriesOf(onDisk), expected);
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
