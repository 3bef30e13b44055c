// SPDX-License-Identifier: GPL-3.0-or-later
// Saves run as an ordinary user (nobody), since root may write anywhere: notes3.txt in a folder
// the user may not add files to, a file of another user, a link planted in a shared folder. The
// program's own save runs in a saver program started with setpriv; the test, as root, prepares
// the files and checks what the save left.

#include "tests/support/FileFaults.h"
#include "tests/support/FileFlags.h"
#include "tests/support/FileIdentity.h"
#include "tests/support/Files.h"
#include "tests/support/ProtectedSymlinks.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

class SaveAsUserTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void savesAsAnOrdinaryUser_data();
    void savesAsAnOrdinaryUser();
    void appendOnlyFolderThatCannotBeListed();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }
    // Runs the saver as nobody in the folder; its message when the save failed.
    bool saveAsNobody(const QString &folder, QString &message);

    QTemporaryDir m_programs;
    QString m_saver;
    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;
constexpr uid_t Daemon = 1;

const QByteArray EarlierBytes = "earlier notes\r\n";
const QByteArray NewBytes = "nowy tekst, dłuższy od wcześniejszego\r\nw dwóch wierszach";

void give(const QString &path, uid_t owner, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    QCOMPARE(::lchown(name.constData(), owner, owner == 0 ? 0 : NoGroup), 0);
    struct stat status = {};
    QCOMPARE(::lstat(name.constData(), &status), 0);
    if (!S_ISLNK(status.st_mode))
        QCOMPARE(::chmod(name.constData(), mode), 0);
}

} // namespace

void SaveAsUserTest::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("acting as another user needs root");
    // The saver is copied where nobody may run it: the build folder may be out of its reach.
    QVERIFY(m_programs.isValid());
    give(m_programs.path(), 0, 0755);
    m_saver = m_programs.filePath(QStringLiteral("notes3_saver"));
    QVERIFY(QFile::copy(QStringLiteral(NOTES3_SAVER), m_saver));
    give(m_saver, 0, 0755);
    writeFile(m_programs.filePath(QStringLiteral("new.txt")), NewBytes);
    give(m_programs.filePath(QStringLiteral("new.txt")), 0, 0644);
}

void SaveAsUserTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    give(m_folder->path(), 0, 0755);
}

bool SaveAsUserTest::saveAsNobody(const QString &folder, QString &message)
{
    QProcess saver;
    saver.setWorkingDirectory(folder);
    saver.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                 QStringLiteral("--clear-groups"), QStringLiteral("--"), QStringLiteral("env"),
                 QStringLiteral("XDG_STATE_HOME=") + path(QStringLiteral("state")),
                 QStringLiteral("HOME=") + path(QStringLiteral("home")), m_saver,
                 m_programs.filePath(QStringLiteral("new.txt"))});
    if (!saver.waitForFinished(30000))
        return false;
    message = QString::fromUtf8(saver.readAllStandardError()).trimmed();
    return saver.exitStatus() == QProcess::NormalExit && saver.exitCode() == 0;
}

void SaveAsUserTest::savesAsAnOrdinaryUser_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a read-only folder with a writable notes3.txt: the copy in the state folder")
        << "read-only folder" << true << true << QString();
    QTest::newRow("a read-only folder and no state folder to be had")
        << "read-only folder, no state folder" << false << true
        << QStringLiteral(
               "nie udało się jej zrobić ani obok niego, ani w folderze „STATE/notatki”");
    QTest::newRow("root's file that everybody may write, in the user's folder")
        << "root's writable file" << true << true << QString();
    QTest::newRow("root's file that the user may only read, in the user's folder")
        << "root's read-only file" << false << true << QStringLiteral("brak uprawnień");
    QTest::newRow("the user's own file in the user's folder")
        << "own file" << true << false << QString();
    QTest::newRow("a link planted by another user in a shared sticky folder")
        << "planted link" << false << true << QStringLiteral("innego użytkownika, daemon (UID 1)");
    QTest::newRow("the user's own link to a link planted in a shared sticky folder")
        << "planted second link" << false << true
        << QStringLiteral("dowiązanie „SHARED/notes” należy do innego użytkownika, daemon (UID 1)");
}

void SaveAsUserTest::savesAsAnOrdinaryUser()
{
    QFETCH(QString, setup);
    // The kernel's own rule would refuse the link before the save's check is reached.
    std::optional<ProtectedSymlinksOff> kernelRuleOff;
    if (setup.startsWith(QStringLiteral("planted"))) {
        kernelRuleOff.emplace();
        if (!kernelRuleOff->isOff())
            QSKIP(qPrintable(kernelRuleOff->failure()));
    }
    QFETCH(bool, saved);
    QFETCH(bool, inPlace);
    QFETCH(QString, reason);
    reason.replace(QStringLiteral("STATE"), path(QStringLiteral("state")))
        .replace(QStringLiteral("SHARED"), path(QStringLiteral("shared")));
    const QString work = path(QStringLiteral("work"));
    QVERIFY(QDir().mkdir(work));
    QVERIFY(QDir().mkdir(path(QStringLiteral("state"))));
    QVERIFY(QDir().mkdir(path(QStringLiteral("home"))));
    const bool stateFolderUsable = setup != QStringLiteral("read-only folder, no state folder");
    give(path(QStringLiteral("state")), stateFolderUsable ? Nobody : 0, 0755);
    give(path(QStringLiteral("home")), stateFolderUsable ? Nobody : 0, 0755);

    QString file = work + QStringLiteral("/notes3.txt");
    if (setup == QStringLiteral("planted link")) {
        // The victim's own notes, which the link tries to make the save write over.
        file = path(QStringLiteral("victim.txt"));
        writeFile(file, EarlierBytes);
        give(file, Nobody, 0644);
        QVERIFY(QFile::link(file, work + QStringLiteral("/notes3.txt")));
        give(work + QStringLiteral("/notes3.txt"), Daemon, 0);
        give(work, 0, 01777);
    } else if (setup == QStringLiteral("planted second link")) {
        // The first link is the user's own, in the user's own folder; the second is not.
        file = path(QStringLiteral("victim.txt"));
        writeFile(file, EarlierBytes);
        give(file, Nobody, 0644);
        QVERIFY(QDir().mkdir(path(QStringLiteral("shared"))));
        QVERIFY(QFile::link(file, path(QStringLiteral("shared/notes"))));
        give(path(QStringLiteral("shared/notes")), Daemon, 0);
        give(path(QStringLiteral("shared")), 0, 01777);
        QVERIFY(QFile::link(path(QStringLiteral("shared/notes")),
                            work + QStringLiteral("/notes3.txt")));
        give(work + QStringLiteral("/notes3.txt"), Nobody, 0);
        give(work, Nobody, 0755);
    } else {
        writeFile(file, EarlierBytes);
        const bool rootsFile = setup.startsWith(QStringLiteral("root's"));
        give(file, rootsFile ? 0 : Nobody,
             setup == QStringLiteral("root's writable file") ? 0666 : 0644);
        give(work, Nobody, setup.startsWith(QStringLiteral("read-only folder")) ? 0555 : 0755);
    }
    const FileIdentity before = identityOf(file);
    const QStringList entriesBefore = entriesOf(work);

    QString message;
    QCOMPARE(saveAsNobody(work, message), saved);
    if (saved) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(contentsOf(file), NewBytes);
    } else {
        QVERIFY2(message.contains(work + QStringLiteral("/notes3.txt")), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(contentsOf(file), EarlierBytes);
    }
    const FileIdentity after = identityOf(file);
    QVERIFY2(after.sameAttributes(before),
             qPrintable(before.describe() + QStringLiteral(" became ") + after.describe()));
    QCOMPARE(after.inode == before.inode, inPlace || !saved);
    QCOMPARE(entriesOf(work), entriesBefore);
    QCOMPARE(entriesOf(path(QStringLiteral("state/notatki"))), QStringList());
    // The copy of the old text was made, and removed, where the user keeps such things.
    if (setup == QStringLiteral("read-only folder"))
        QVERIFY(QFileInfo(path(QStringLiteral("state/notatki"))).isDir());
}

// A folder whose flags the user cannot read, since the user may not list it, and that lets no
// name go: the rename of the new file is refused and the file stays. The save then writes in
// place, with the copy in the state folder, and names the file it could not remove.
void SaveAsUserTest::appendOnlyFolderThatCannotBeListed()
{
    const QString work = path(QStringLiteral("work"));
    QVERIFY(QDir().mkdir(work));
    QVERIFY(QDir().mkdir(path(QStringLiteral("state"))));
    give(path(QStringLiteral("state")), Nobody, 0755);
    const QString file = work + QStringLiteral("/notes3.txt");
    writeFile(file, EarlierBytes);
    give(file, Nobody, 0644);
    give(work, Nobody, 0333);
    const QStringList entriesBefore = entriesOf(work);
    const ChattrFlag appendOnly(work, 'a');
    if (!appendOnly.isSet())
        QSKIP(qPrintable(appendOnly.failure()));

    QString message;
    QVERIFY(!saveAsNobody(work, message));
    QCOMPARE(contentsOf(file), NewBytes);
    const QStringList entriesAfter = entriesOf(work);
    QVERIFY2(entriesAfter.size() == entriesBefore.size() + 1,
             qPrintable(entriesAfter.join(u' ') + QStringLiteral(": ") + message));
    const QString leftBehind = work + u'/' + entriesAfter.value(1);
    QVERIFY2(leftBehind.startsWith(file + u'.'), qPrintable(leftBehind));
    QVERIFY2(message.contains(QStringLiteral("Zapisano plik „%1”, ale nie udało się usunąć pliku, "
                                             "który przy tym powstał: „%2” (operacja "
                                             "niedozwolona)")
                                  .arg(file, leftBehind)),
             qPrintable(message));
    QCOMPARE(contentsOf(leftBehind), NewBytes);
    QCOMPARE(entriesOf(path(QStringLiteral("state/notatki"))), QStringList());
}

QTEST_GUILESS_MAIN(SaveAsUserTest)
#include "tst_saveasuser.moc"
