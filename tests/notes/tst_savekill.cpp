// A save killed with SIGKILL at moments spread over its whole length: every time, notes3.txt must
// hold either the whole earlier text or the whole new one.

#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <thread>

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
    QByteArray m_earlierBytes;
    QByteArray m_newBytes;
    qint64 m_saveMicroseconds = 0;
    int m_kills = 0;
    int m_earlierKept = 0;
    int m_newKept = 0;
    int m_leftovers = 0;
};

namespace {

// Kills spread from the start of the save to nine tenths of its measured length, so that even a
// save a little faster than measured is still killed part-way at least 20 times.
constexpr int KillCount = 30;

// Lines that tell where in the file they stand, so that a torn file cannot pass for a whole one.
QByteArray numberedLines(const QByteArray &word, qsizetype size)
{
    QByteArray bytes;
    bytes.reserve(size + 100);
    for (int line = 0; bytes.size() < size; ++line)
        bytes
            += word + ' ' + QByteArray::number(line) + " \xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf\r\n";
    return bytes;
}

// Starts the saver and waits until it says the save begins.
bool startSaving(QProcess &saver, const QString &textFile)
{
    saver.start(QStringLiteral(NOTES3_SAVER), {textFile});
    while (!saver.canReadLine()) {
        if (!saver.waitForReadyRead(10000))
            return false;
    }
    return saver.readLine() == "saving\n";
}

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

    // How long a whole save takes here (the fastest of three), so that the kills can be spread
    // over it.
    QList<qint64> durations;
    for (int run = 0; run < 3; ++run) {
        init();
        writeFile(QStringLiteral("notes3.txt"), m_earlierBytes);
        QProcess saver;
        QVERIFY(startSaving(saver, m_texts.filePath(QStringLiteral("new.txt"))));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(saver.waitForFinished(60000));
        durations.append(timer.nsecsElapsed() / 1000);
        QCOMPARE(saver.exitStatus(), QProcess::NormalExit);
        QCOMPARE(saver.exitCode(), 0);
        QVERIFY(contentsOf(QStringLiteral("notes3.txt")) == m_newBytes);
    }
    m_saveMicroseconds = *std::min_element(durations.begin(), durations.end());
    qInfo("A whole save of %lld bytes takes %lld ms", qint64(m_newBytes.size()),
          m_saveMicroseconds / 1000);
}

void SaveKillTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void SaveKillTest::killedSaveLeavesAWholeFile_data()
{
    QTest::addColumn<int>("percent");
    for (int kill = 0; kill < KillCount; ++kill) {
        const int percent = kill * 90 / (KillCount - 1);
        QTest::addRow("killed %d%% into the save", percent) << percent;
    }
}

void SaveKillTest::killedSaveLeavesAWholeFile()
{
    QFETCH(int, percent);
    writeFile(QStringLiteral("notes3.txt"), m_earlierBytes);
    QProcess saver;
    QVERIFY(startSaving(saver, m_texts.filePath(QStringLiteral("new.txt"))));
    std::this_thread::sleep_for(std::chrono::microseconds(m_saveMicroseconds * percent / 100));
    saver.kill();
    QVERIFY(saver.waitForFinished(10000));
    const bool killed = saver.exitStatus() == QProcess::CrashExit;
    if (killed)
        ++m_kills;
    else
        QCOMPARE(saver.exitCode(), 0);

    const QByteArray saved = contentsOf(QStringLiteral("notes3.txt"));
    const bool earlier = saved == m_earlierBytes;
    const bool whole = earlier || saved == m_newBytes;
    QVERIFY2(whole, qPrintable(QStringLiteral("notes3.txt is torn: ") + describe(saved)));
    ++(earlier ? m_earlierKept : m_newKept);

    QStringList left = entriesOf(m_folder->path());
    left.removeOne(QStringLiteral("notes3.txt"));
    m_leftovers += left.size();
    qInfo("%s; notes3.txt holds the %s text; left behind: %s",
          killed ? "killed" : "the save had ended", earlier ? "earlier" : "new",
          left.isEmpty() ? "nothing" : qPrintable(left.join(QStringLiteral(", "))));
}

void SaveKillTest::cleanupTestCase()
{
    qInfo("%d saves killed; notes3.txt whole every time: %d times the earlier text, %d times "
          "the new one; %d temporary files left behind",
          m_kills, m_earlierKept, m_newKept, m_leftovers);
    QVERIFY2(m_kills >= 20, "too few saves were killed before they ended");
}

QTEST_GUILESS_MAIN(SaveKillTest)
#include "tst_savekill.moc"
