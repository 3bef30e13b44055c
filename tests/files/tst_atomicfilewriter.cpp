// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RuntimeFailure.h"
#include "files/AtomicFileWriter.h"
#include "files/WorkingFolder.h"

#include "tests/support/FileFaults.h"
#include "tests/support/FileFlags.h"
#include "tests/support/FileIdentity.h"
#include "tests/support/Files.h"
#include "tests/support/FullDiskWriter.h"
#include "tests/support/ProtectedSymlinks.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <optional>

class AtomicFileWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void replacesTheWholeFile_data();
    void replacesTheWholeFile();
    void keepsPermissions_data();
    void keepsPermissions();
    void keepsTheFileItIs_data();
    void keepsTheFileItIs();
    void refusesWhatIsNoRegularFile_data();
    void refusesWhatIsNoRegularFile();
    void followsLinksOnlyWhereTheKernelWould_data();
    void followsLinksOnlyWhereTheKernelWould();
    void checksEveryLinkOfAChain_data();
    void checksEveryLinkOfAChain();
    void newTextIsNeverOpenToOthers_data();
    void newTextIsNeverOpenToOthers();
    void appendOnlyFolderKeepsNothingNew_data();
    void appendOnlyFolderKeepsNothingNew();
    void nameTakenDuringTheSaveIsInspectedAgain();
    void fullDiskWhileReplacingKeepsTheEarlierFile();
    void failedOverwriteInPlace_data();
    void failedOverwriteInPlace();
    void fullDiskKeepsTheEarlierFile_data();
    void fullDiskKeepsTheEarlierFile();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }

    // A fresh current folder for every test row.
    std::unique_ptr<QTemporaryDir> m_folder;
    QTemporaryDir m_stateHome;
    // Programs that nobody may run.
    QTemporaryDir m_programs;
};

namespace {

const QByteArray EarlierBytes = "earlier notes\r\nkept byte for byte";
const QByteArray NewBytes = "the new text, longer than the earlier one\r\nand on two lines";

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

// An environment variable set, or unset, for one test, and put back on every way out.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char *name, const QByteArray &value, bool set = true)
        : m_name(name)
        , m_earlier(qgetenv(name))
        , m_hadEarlier(qEnvironmentVariableIsSet(name))
    {
        if (set)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~EnvironmentOverride()
    {
        if (m_hadEarlier)
            qputenv(m_name, m_earlier);
        else
            qunsetenv(m_name);
    }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    const char *m_name;
    QByteArray m_earlier;
    bool m_hadEarlier;
};

// A writer that, once it is writing the new text, has somebody else create the file under the
// name that was free when the save looked.
class NameTakingWriter : public AtomicFileWriter
{
public:
    using AtomicFileWriter::AtomicFileWriter;

protected:
    qint64 writeBytes(int descriptor, QByteArrayView bytes, qint64 offset) override
    {
        if (!m_taken) {
            m_taken = true;
            writeFile(QStringLiteral("notes3.txt"), "somebody else's file");
        }
        return AtomicFileWriter::writeBytes(descriptor, bytes, offset);
    }

private:
    bool m_taken = false;
};

bool isLinkPath(const QByteArray &name)
{
    struct stat status = {};
    return ::lstat(name.constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool isLink(const QString &path)
{
    struct stat status = {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

struct stat linkStatus(const QString &path)
{
    struct stat status = {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

bool makeDevice(const QString &path)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

bool makeSocket(const QString &path)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (descriptor < 0 || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    qstrcpy(address.sun_path, name.constData());
    const bool bound
        = ::bind(descriptor, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(descriptor);
    return bound;
}

void link(const QString &target, const QString &name)
{
    QVERIFY2(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData())
                 == 0,
             qPrintable(name));
}

// Gives a file, folder or link to a user (nobody's group for nobody), with the mode for all but
// a link.
void give(const QString &path, uid_t owner, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    QCOMPARE(::lchown(name.constData(), owner, owner == 0 ? 0 : NoGroup), 0);
    if (!isLinkPath(name))
        QCOMPARE(::chmod(name.constData(), mode), 0);
}

QString failureOf(AtomicFileWriter &writer, QByteArrayView bytes, int *number = nullptr)
{
    try {
        writer.write(bytes);
    } catch (const RuntimeFailure &failure) {
        if (number != nullptr)
            *number = failure.number();
        return failure.description();
    }
    return {};
}

} // namespace

void AtomicFileWriterTest::initTestCase()
{
    // Copies kept during a save in place may go to the state folder: never the real one.
    QVERIFY(m_stateHome.isValid());
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_stateHome.path()));
    // The watcher is run as nobody, who may not reach the build folder.
    QVERIFY(m_programs.isValid());
    QCOMPARE(::chmod(QFile::encodeName(m_programs.path()).constData(), 0755), 0);
    QVERIFY(QFile::copy(QStringLiteral(FOLDER_WATCHER),
                        m_programs.filePath(QStringLiteral("folder_watcher"))));
}

void AtomicFileWriterTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void AtomicFileWriterTest::replacesTheWholeFile_data()
{
    QTest::addColumn<bool>("earlierFile");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("new file") << false << QByteArray("Text1");
    QTest::newRow("shorter text over a longer file") << true << QByteArray("ab");
    QTest::newRow("empty text gives an empty file") << true << QByteArray();
    QTest::newRow("every byte value") << true << [] {
        QByteArray bytes;
        for (int byte = 0; byte < 256; ++byte)
            bytes += char(byte);
        return bytes;
    }();
}

void AtomicFileWriterTest::replacesTheWholeFile()
{
    QFETCH(bool, earlierFile);
    QFETCH(QByteArray, bytes);
    if (earlierFile)
        writeFile(QStringLiteral("notes3.txt"), EarlierBytes);
    const WorkingFolder folder = WorkingFolder::current();
    AtomicFileWriter(folder, QStringLiteral("notes3.txt")).write(bytes);
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), bytes);
    QCOMPARE(entriesOf(m_folder->path()), QStringList{"notes3.txt"});
}

void AtomicFileWriterTest::keepsPermissions_data()
{
    QTest::addColumn<int>("permissions");
    QTest::newRow("owner only") << 0600;
    QTest::newRow("group may read") << 0640;
    QTest::newRow("everybody may write") << 0666;
    QTest::newRow("set-group-ID") << 02640;
}

void AtomicFileWriterTest::keepsPermissions()
{
    QFETCH(int, permissions);
    writeFile(QStringLiteral("notes3.txt"), EarlierBytes);
    const QByteArray name = QFile::encodeName(path(QStringLiteral("notes3.txt")));
    QCOMPARE(::chmod(name.constData(), mode_t(permissions)), 0);
    const WorkingFolder folder = WorkingFolder::current();
    AtomicFileWriter(folder, QStringLiteral("notes3.txt")).write("new");
    struct stat status = {};
    QCOMPARE(::stat(name.constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 07777), permissions);
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), QByteArray("new"));
}

// Each row makes notes3.txt (or what it leads to) one way, and says whether the save may put a
// new file in its place or must write into it: only a file reached by its one name, whose every
// attribute can be put on a new file, may be replaced.
void AtomicFileWriterTest::keepsTheFileItIs_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("one name, mode 640") << "mode 640" << false;
    QTest::newRow("a second name (hard link)") << "hard link" << true;
    QTest::newRow("an ACL entry for another user") << "acl" << false;
    QTest::newRow("a user extended attribute") << "xattr" << false;
    QTest::newRow("another user's 640 file, saved by root") << "other owner" << false;
    QTest::newRow("a symbolic link to a file") << "symlink" << true;
    QTest::newRow("a symbolic link to a hard-linked file") << "symlink to hard link" << true;
    QTest::newRow("chattr +d (no dump), which a new file would not get") << "chattr d" << true;
    QTest::newRow("chattr +A (no access times), which a new file would not get")
        << "chattr A" << true;
}

void AtomicFileWriterTest::keepsTheFileItIs()
{
    QFETCH(QString, setup);
    QFETCH(bool, inPlace);
    QVERIFY(QDir().mkdir(QStringLiteral("elsewhere")));
    const bool throughLink = setup.startsWith(QStringLiteral("symlink"));
    const QString file = throughLink ? path(QStringLiteral("elsewhere/target.txt"))
                                     : path(QStringLiteral("notes3.txt"));
    writeFile(file, EarlierBytes);
    if (throughLink)
        link(file, path(QStringLiteral("notes3.txt")));
    QString secondName;
    if (setup.endsWith(QStringLiteral("hard link"))) {
        secondName = path(QStringLiteral("elsewhere/second.txt"));
        QVERIFY(
            ::link(QFile::encodeName(file).constData(), QFile::encodeName(secondName).constData())
            == 0);
    }
    if (setup == QStringLiteral("mode 640"))
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    if (setup == QStringLiteral("acl")) {
        if (!runTool(QStringLiteral("setfacl"),
                     {QStringLiteral("-m"), QStringLiteral("u:nobody:rw"), file}))
            QSKIP("setfacl (package acl) is missing or the file system has no ACLs");
    }
    if (setup == QStringLiteral("xattr")) {
        if (!runTool(QStringLiteral("setfattr"),
                     {QStringLiteral("-n"), QStringLiteral("user.notatki"), QStringLiteral("-v"),
                      QStringLiteral("kept"), file})) {
            QSKIP("setfattr (package attr) is missing or the file system has no user attributes");
        }
    }
    if (setup == QStringLiteral("other owner")) {
        if (::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        QCOMPARE(::chown(QFile::encodeName(file).constData(), Nobody, NoGroup), 0);
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    }
    std::optional<ChattrFlag> flag;
    if (setup.startsWith(QStringLiteral("chattr"))) {
        flag.emplace(file, setup.back().toLatin1());
        if (!flag->isSet())
            QSKIP(qPrintable(flag->failure()));
    }
    const FileIdentity before = identityOf(file);
    const QStringList entriesBefore = entriesOf(m_folder->path());

    const WorkingFolder folder = WorkingFolder::current();
    AtomicFileWriter(folder, QStringLiteral("notes3.txt")).write(NewBytes);

    const FileIdentity after = identityOf(file);
    QVERIFY2(after.sameAttributes(before),
             qPrintable(before.describe() + QStringLiteral(" became ") + after.describe()));
    QCOMPARE(after.inode == before.inode, inPlace);
    QCOMPARE(contentsOf(file), NewBytes);
    if (!secondName.isEmpty())
        QCOMPARE(contentsOf(secondName), NewBytes);
    QCOMPARE(isLink(path(QStringLiteral("notes3.txt"))), throughLink);
    QCOMPARE(entriesOf(m_folder->path()), entriesBefore);
    QCOMPARE(entriesOf(m_stateHome.path() + QStringLiteral("/notatki")), QStringList());
}

void AtomicFileWriterTest::refusesWhatIsNoRegularFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("device node") << "device"
                                 << "to urządzenie, a nie zwykły plik";
    QTest::newRow("link to a device node") << "link to device"
                                           << "to urządzenie, a nie zwykły plik";
    QTest::newRow("link to a link to a device node") << "link to link to device"
                                                     << "to urządzenie, a nie zwykły plik";
    QTest::newRow("FIFO") << "fifo"
                          << "to potok (FIFO), a nie zwykły plik";
    QTest::newRow("link to a FIFO") << "link to fifo"
                                    << "to potok (FIFO), a nie zwykły plik";
    QTest::newRow("socket") << "socket"
                            << "to gniazdo, a nie zwykły plik";
    QTest::newRow("folder") << "folder"
                            << "to folder, a nie plik";
    QTest::newRow("link to a folder") << "link to folder"
                                      << "to folder, a nie plik";
    QTest::newRow("link loop") << "loop"
                               << "za dużo dowiązań symbolicznych w ścieżce";
}

void AtomicFileWriterTest::refusesWhatIsNoRegularFile()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    const QString notes3 = path(QStringLiteral("notes3.txt"));
    QVERIFY(QDir().mkdir(QStringLiteral("dev")));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    writeFile(QStringLiteral("folder/inside.txt"), EarlierBytes);
    const bool throughLink = setup.startsWith(QStringLiteral("link"));
    const QString thing = throughLink ? path(QStringLiteral("dev/thing")) : notes3;
    if (setup.endsWith(QStringLiteral("device")) && !makeDevice(thing))
        QSKIP("making a device node needs root");
    if (setup.endsWith(QStringLiteral("fifo")))
        QCOMPARE(::mkfifo(QFile::encodeName(thing).constData(), 0600), 0);
    if (setup == QStringLiteral("socket"))
        QVERIFY(makeSocket(thing));
    if (setup == QStringLiteral("folder"))
        QVERIFY(QDir().mkdir(thing));
    if (setup == QStringLiteral("link to folder"))
        link(path(QStringLiteral("folder")), notes3);
    else if (setup == QStringLiteral("link to link to device")) {
        link(QStringLiteral("dev/link"), notes3);
        link(QStringLiteral("thing"), path(QStringLiteral("dev/link")));
    } else if (throughLink)
        link(QStringLiteral("dev/thing"), notes3);
    if (setup == QStringLiteral("loop")) {
        link(QStringLiteral("a"), notes3);
        link(QStringLiteral("notes3.txt"), path(QStringLiteral("a")));
    }
    const struct stat before = linkStatus(notes3);
    const struct stat thingBefore = linkStatus(thing);
    const QStringList entriesBefore = entriesOf(m_folder->path());

    const WorkingFolder folder = WorkingFolder::current();
    AtomicFileWriter writer(folder, QStringLiteral("notes3.txt"));
    int number = 0;
    const QString message = failureOf(writer, NewBytes, &number);
    QVERIFY2(message.contains(notes3), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(number, int(RuntimeFailure::PathFileAccessError));
    const struct stat after = linkStatus(notes3);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    const struct stat thingAfter = linkStatus(thing);
    QCOMPARE(thingAfter.st_ino, thingBefore.st_ino);
    QCOMPARE(thingAfter.st_mode, thingBefore.st_mode);
    QCOMPARE(thingAfter.st_rdev, thingBefore.st_rdev);
    QCOMPARE(entriesOf(m_folder->path()), entriesBefore);
    QCOMPARE(entriesOf(path(QStringLiteral("folder"))), QStringList{"inside.txt"});
    QCOMPARE(entriesOf(m_stateHome.path() + QStringLiteral("/notatki")), QStringList());
}

// A link named notes3.txt in a folder that everybody may write to, with the sticky bit or
// without, whose owner is or is not the folder's owner or the user saving (root here).
void AtomicFileWriterTest::followsLinksOnlyWhereTheKernelWould_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<uint>("folderOwner");
    QTest::addColumn<uint>("linkOwner");
    QTest::addColumn<bool>("followed");
    QTest::newRow("another user's link in a sticky shared folder")
        << 01777 << 0u << uint(Nobody) << false;
    QTest::newRow("the folder owner's link in a sticky shared folder")
        << 01777 << uint(Nobody) << uint(Nobody) << true;
    QTest::newRow("the saving user's own link in a sticky shared folder")
        << 01777 << uint(Nobody) << 0u << true;
    QTest::newRow("another user's link in a shared folder without the sticky bit")
        << 0777 << 0u << uint(Nobody) << true;
}

void AtomicFileWriterTest::followsLinksOnlyWhereTheKernelWould()
{
    QFETCH(int, folderMode);
    QFETCH(uint, folderOwner);
    QFETCH(uint, linkOwner);
    QFETCH(bool, followed);
    if (::geteuid() != 0)
        QSKIP("giving folders and links to another user needs root");
    QVERIFY(QDir().mkdir(QStringLiteral("shared")));
    const QString target = path(QStringLiteral("private-notes.txt"));
    writeFile(target, EarlierBytes);
    const QByteArray shared = QFile::encodeName(path(QStringLiteral("shared")));
    const QByteArray notes3 = shared + "/notes3.txt";
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), notes3.constData()), 0);
    QCOMPARE(::lchown(notes3.constData(), linkOwner, linkOwner), 0);
    QCOMPARE(::chown(shared.constData(), folderOwner, folderOwner), 0);
    QCOMPARE(::chmod(shared.constData(), mode_t(folderMode)), 0);

    const WorkingFolder folder = WorkingFolder::open(shared);
    AtomicFileWriter writer(folder, QStringLiteral("notes3.txt"));
    int number = 0;
    const QString message = failureOf(writer, NewBytes, &number);
    if (followed) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(contentsOf(target), NewBytes);
    } else {
        QCOMPARE(number, int(RuntimeFailure::PermissionDenied));
        QVERIFY2(message.contains(QString::fromUtf8(notes3)), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("innego użytkownika, nobody (UID 65534)")),
                 qPrintable(message));
        QCOMPARE(contentsOf(target), EarlierBytes);
    }
    QVERIFY(isLink(QString::fromUtf8(notes3)));
    QCOMPARE(entriesOf(QString::fromUtf8(shared)), QStringList{"notes3.txt"});
}

// notes3.txt -> a link in a sticky folder that everybody may write to -> the victim's file. Only
// the first link is in the user's own folder; the kernel's rule is off, so only the save's own
// check of every link stands in the way.
void AtomicFileWriterTest::checksEveryLinkOfAChain_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<uint>("plantedBy");
    QTest::addColumn<QString>("refusedLink");
    QTest::newRow("second link planted by another user in a sticky shared folder")
        << "file link" << uint(Nobody) << "shared/notes";
    QTest::newRow("a planted link to a folder on the way")
        << "folder link" << uint(Nobody) << "shared/folder";
    QTest::newRow("second link the saving user's own: followed") << "file link" << 0u << QString();
}

void AtomicFileWriterTest::checksEveryLinkOfAChain()
{
    QFETCH(QString, setup);
    QFETCH(uint, plantedBy);
    QFETCH(QString, refusedLink);
    if (::geteuid() != 0)
        QSKIP("giving folders and links to another user needs root");
    const ProtectedSymlinksOff kernelRuleOff;
    if (!kernelRuleOff.isOff())
        QSKIP(qPrintable(kernelRuleOff.failure()));
    QVERIFY(QDir().mkdir(QStringLiteral("work")));
    QVERIFY(QDir().mkdir(QStringLiteral("shared")));
    QVERIFY(QDir().mkdir(QStringLiteral("private")));
    const QString victim = path(QStringLiteral("private/notes.txt"));
    writeFile(victim, EarlierBytes);
    give(victim, 0, 0600);
    if (setup == QStringLiteral("folder link")) {
        link(path(QStringLiteral("private")), path(QStringLiteral("shared/folder")));
        link(path(QStringLiteral("shared/folder/notes.txt")),
             path(QStringLiteral("work/notes3.txt")));
        give(path(QStringLiteral("shared/folder")), plantedBy, 0);
    } else {
        link(victim, path(QStringLiteral("shared/notes")));
        link(path(QStringLiteral("shared/notes")), path(QStringLiteral("work/notes3.txt")));
        give(path(QStringLiteral("shared/notes")), plantedBy, 0);
    }
    give(path(QStringLiteral("shared")), 0, 01777);

    const WorkingFolder folder
        = WorkingFolder::open(QFile::encodeName(path(QStringLiteral("work"))));
    AtomicFileWriter writer(folder, QStringLiteral("notes3.txt"));
    int number = 0;
    const QString message = failureOf(writer, NewBytes, &number);
    if (refusedLink.isEmpty()) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(contentsOf(victim), NewBytes);
    } else {
        QCOMPARE(number, int(RuntimeFailure::PermissionDenied));
        QVERIFY2(message.contains(path(QStringLiteral("work/notes3.txt"))), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("dowiązanie „%1” należy do innego użytkownika, "
                                                 "nobody (UID 65534)")
                                      .arg(path(refusedLink))),
                 qPrintable(message));
        QCOMPARE(contentsOf(victim), EarlierBytes);
    }
    QCOMPARE(entriesOf(path(QStringLiteral("work"))), QStringList{"notes3.txt"});
    QCOMPARE(entriesOf(path(QStringLiteral("private"))), QStringList{"notes.txt"});
}

void AtomicFileWriterTest::newTextIsNeverOpenToOthers_data()
{
    QTest::addColumn<int>("permissions");
    QTest::addColumn<bool>("othersMayRead");
    QTest::newRow("a 600 notes3.txt: the watcher reads nothing") << 0600 << false;
    QTest::newRow("a 644 notes3.txt: the watcher reads what anyone may") << 0644 << true;
}

// Another user watches the folder through 20 saves, opening every file that appears in it the
// moment it appears, and reads them all afterwards, as an attacker keeping a handle would.
void AtomicFileWriterTest::newTextIsNeverOpenToOthers()
{
    QFETCH(int, permissions);
    QFETCH(bool, othersMayRead);
    constexpr int Saves = 20;
    if (::geteuid() != 0)
        QSKIP("watching as another user needs root");
    give(m_folder->path(), 0, 0755);
    writeFile(QStringLiteral("notes3.txt"), EarlierBytes);
    give(path(QStringLiteral("notes3.txt")), 0, mode_t(permissions));
    QProcess watcher;
    watcher.start(QStringLiteral("setpriv"),
                  {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                   QStringLiteral("--clear-groups"), QStringLiteral("--"),
                   m_programs.filePath(QStringLiteral("folder_watcher")), m_folder->path()});
    QVERIFY2(watcher.waitForReadyRead(10000), qPrintable(watcher.readAllStandardError()));
    QCOMPARE(watcher.readLine(), QByteArray("watching\n"));

    // The usual desktop umask: a stricter one would hide a file made open to others.
    const mode_t umaskBefore = ::umask(022);
    const WorkingFolder folder = WorkingFolder::current();
    for (int save = 1; save <= Saves; ++save) {
        AtomicFileWriter(folder, QStringLiteral("notes3.txt"))
            .write("NEW SECRET PIN 4321, save " + QByteArray::number(save));
    }
    ::umask(umaskBefore);
    watcher.closeWriteChannel();
    QVERIFY(watcher.waitForFinished(10000));

    int seen = 0;
    int secretsRead = 0;
    for (const QByteArray &line : watcher.readAllStandardOutput().split('\n')) {
        if (line.startsWith("seen "))
            seen = line.mid(5).toInt();
        if (line.startsWith("read ") && QByteArray::fromHex(line.mid(5)).contains("SECRET"))
            ++secretsRead;
    }
    QVERIFY2(seen >= Saves, qPrintable(QStringLiteral("the watcher saw %1 files").arg(seen)));
    QCOMPARE(secretsRead > 0, othersMayRead);
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), QByteArray("NEW SECRET PIN 4321, save 20"));
    QCOMPARE(identityOf(path(QStringLiteral("notes3.txt"))).mode, mode_t(permissions));
    QCOMPARE(entriesOf(m_folder->path()), QStringList{"notes3.txt"});
}

// A folder that takes new names but lets none go (chattr +a): the save writes in place, with the
// copy of the old text in the state folder, and leaves the folder as it was.
void AtomicFileWriterTest::appendOnlyFolderKeepsNothingNew_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("one name, which would be replaced elsewhere") << "one name" << QString();
    QTest::newRow("a second name (hard link)") << "hard link" << QString();
    QTest::newRow("no notes3.txt yet") << "new" << QString();
    QTest::newRow("root with a HOME where another user planted .local as a link")
        << "planted home"
        << "„HOME/.local” jest dowiązaniem symbolicznym, a nie folderem";
}

void AtomicFileWriterTest::appendOnlyFolderKeepsNothingNew()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    const QString keeping = path(QStringLiteral("keeping"));
    QVERIFY(QDir().mkdir(keeping));
    const QString notes3 = keeping + QStringLiteral("/notes3.txt");
    if (setup != QStringLiteral("new"))
        writeFile(notes3, EarlierBytes);
    if (setup == QStringLiteral("hard link"))
        QCOMPARE(::link(QFile::encodeName(notes3).constData(), "keeping/second.txt"), 0);
    const QString home = path(QStringLiteral("home"));
    const QString rootOnly = path(QStringLiteral("root-only"));
    std::optional<EnvironmentOverride> homeOverride;
    std::optional<EnvironmentOverride> stateOverride;
    if (setup == QStringLiteral("planted home")) {
        if (::geteuid() != 0)
            QSKIP("planting another user's link needs root");
        QVERIFY(QDir().mkdir(home) && QDir().mkdir(rootOnly));
        give(rootOnly, 0, 0700);
        link(rootOnly, home + QStringLiteral("/.local"));
        give(home + QStringLiteral("/.local"), Nobody, 0);
        give(home, Nobody, 0755);
        homeOverride.emplace("HOME", QFile::encodeName(home));
        stateOverride.emplace("XDG_STATE_HOME", QByteArray(), false);
        reason.replace(QStringLiteral("HOME"), home);
    }
    const FileIdentity before = identityOf(notes3);
    const QStringList entriesBefore = entriesOf(keeping);
    const ChattrFlag appendOnly(keeping, 'a');
    if (!appendOnly.isSet())
        QSKIP(qPrintable(appendOnly.failure()));

    const WorkingFolder folder = WorkingFolder::open(QFile::encodeName(keeping));
    AtomicFileWriter writer(folder, QStringLiteral("notes3.txt"));
    int number = 0;
    const QString message = failureOf(writer, NewBytes, &number);
    if (reason.isEmpty()) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QCOMPARE(contentsOf(notes3), NewBytes);
        if (before.exists)
            QCOMPARE(identityOf(notes3).inode, before.inode);
        const QStringList expected
            = before.exists ? entriesBefore : entriesBefore + QStringList{"notes3.txt"};
        QCOMPARE(entriesOf(keeping), expected);
        QCOMPARE(entriesOf(m_stateHome.path() + QStringLiteral("/notatki")), QStringList());
        return;
    }
    QCOMPARE(number, int(RuntimeFailure::PermissionDenied));
    QVERIFY2(message.contains(notes3), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(contentsOf(notes3), EarlierBytes);
    QCOMPARE(entriesOf(keeping), entriesBefore);
    QCOMPARE(entriesOf(rootOnly), QStringList());
}

// A notes3.txt that somebody else makes while the save writes the new text, under the name that
// was free when the save looked, is not taken unseen: the save looks again and replaces it.
void AtomicFileWriterTest::nameTakenDuringTheSaveIsInspectedAgain()
{
    const WorkingFolder folder = WorkingFolder::current();
    NameTakingWriter writer(folder, QStringLiteral("notes3.txt"));
    writer.write(NewBytes);
    QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), NewBytes);
    QCOMPARE(entriesOf(m_folder->path()), QStringList{"notes3.txt"});
}

// The new file, in a folder held by its path, fills the disk part-way: it goes, and nothing is
// left anywhere.
void AtomicFileWriterTest::fullDiskWhileReplacingKeepsTheEarlierFile()
{
    QVERIFY(QDir().mkdir(QStringLiteral("held")));
    const QString held = path(QStringLiteral("held"));
    writeFile(held + QStringLiteral("/notes3.txt"), EarlierBytes);
    const WorkingFolder folder = WorkingFolder::open(QFile::encodeName(held));
    const QStringList entriesBefore = entriesOf(m_folder->path());

    FullDiskWriter writer(folder, QStringLiteral("notes3.txt"), 10);
    int number = 0;
    const QString message = failureOf(writer, QByteArray(100000, 'n'), &number);
    QCOMPARE(number, int(RuntimeFailure::DiskFull));
    QVERIFY2(message.contains(held + QStringLiteral("/notes3.txt")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("brak miejsca na dysku")), qPrintable(message));
    QCOMPARE(contentsOf(held + QStringLiteral("/notes3.txt")), EarlierBytes);
    QCOMPARE(entriesOf(held), QStringList{"notes3.txt"});
    QCOMPARE(entriesOf(m_folder->path()), entriesBefore);
}

// A hard-linked notes3.txt is written in place; when the disk fails part-way, the old text comes
// back from the copy, or, when even that fails, the message says where the copy is.
void AtomicFileWriterTest::failedOverwriteInPlace_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<bool>("restored");
    QTest::newRow("disk full past the old length: the old text is put back")
        << qint64(EarlierBytes.size()) << true;
    QTest::newRow("disk failing inside the old length: the copy is kept")
        << qint64(EarlierBytes.size() / 2) << false;
}

void AtomicFileWriterTest::failedOverwriteInPlace()
{
    QFETCH(qint64, capacity);
    QFETCH(bool, restored);
    writeFile(QStringLiteral("notes3.txt"), EarlierBytes);
    QCOMPARE(::link("notes3.txt", "second.txt"), 0);
    const FileIdentity before = identityOf(path(QStringLiteral("notes3.txt")));

    const WorkingFolder folder = WorkingFolder::current();
    FullDiskWriter writer(folder, QStringLiteral("notes3.txt"), capacity);
    int number = 0;
    const QString message = failureOf(writer, NewBytes, &number);
    QCOMPARE(number, int(RuntimeFailure::DiskFull));
    QVERIFY2(message.contains(path(QStringLiteral("notes3.txt"))), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("brak miejsca na dysku")), qPrintable(message));
    QCOMPARE(identityOf(path(QStringLiteral("notes3.txt"))).inode, before.inode);
    if (restored) {
        QVERIFY2(message.contains(QStringLiteral("Plik pozostał bez zmian.")), qPrintable(message));
        QCOMPARE(contentsOf(QStringLiteral("notes3.txt")), EarlierBytes);
        QCOMPARE(contentsOf(QStringLiteral("second.txt")), EarlierBytes);
        QCOMPARE(entriesOf(m_folder->path()), (QStringList{"notes3.txt", "second.txt"}));
        return;
    }
    const QRegularExpression kept(QStringLiteral("jest ona w kopii „([^”]+)”"));
    const QRegularExpressionMatch match = kept.match(message);
    QVERIFY2(match.hasMatch(), qPrintable(message));
    const QString copy = match.captured(1);
    QVERIFY2(copy.startsWith(path(QStringLiteral("notes3.txt.kopia-"))), qPrintable(copy));
    QCOMPARE(contentsOf(copy), EarlierBytes);
    QCOMPARE(entriesOf(m_folder->path()).size(), 3);
}

void AtomicFileWriterTest::fullDiskKeepsTheEarlierFile_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<bool>("stateFolderUsable");
    QTest::newRow("replaced: one name") << false << true;
    QTest::newRow("in place: a second name, the copy in the state folder") << true << true;
    QTest::newRow("in place, and the state folder another user's: the first cause is given")
        << true << false;
}

// A real full disk: a small tmpfs, which only root can mount.
void AtomicFileWriterTest::fullDiskKeepsTheEarlierFile()
{
    QFETCH(bool, hardLinked);
    QFETCH(bool, stateFolderUsable);
    QVERIFY(QDir().mkdir(QStringLiteral("small")));
    const TmpfsMount disk(path(QStringLiteral("small")), "size=256k");
    if (!disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    // Most of the disk is taken, so that not even the copy of the old text fits next to it.
    writeFile(QStringLiteral("small/notes3.txt"), QByteArray(100 << 10, 'e'));
    writeFile(QStringLiteral("small/filler"), QByteArray(120 << 10, 'f'));
    if (hardLinked)
        QCOMPARE(::link("small/notes3.txt", "small/second.txt"), 0);
    const QStringList entriesBefore = entriesOf(QStringLiteral("small"));
    QVERIFY(QDir().mkdir(QStringLiteral("others-state")));
    give(path(QStringLiteral("others-state")), Nobody, 0755);
    const EnvironmentOverride stateHome(
        "XDG_STATE_HOME",
        QFile::encodeName(stateFolderUsable ? m_stateHome.path()
                                            : path(QStringLiteral("others-state"))));

    const WorkingFolder folder = WorkingFolder::open("small");
    int number = 0;
    AtomicFileWriter writer(folder, QStringLiteral("notes3.txt"));
    const QString message = failureOf(writer, QByteArray(1 << 20, 'n'), &number);
    QCOMPARE(number, int(RuntimeFailure::DiskFull));
    QVERIFY2(message.contains(QStringLiteral("brak miejsca na dysku")), qPrintable(message));
    if (!stateFolderUsable) {
        QVERIFY2(message.contains(QStringLiteral("należy do innego użytkownika, nobody")),
                 qPrintable(message));
    }
    QCOMPARE(contentsOf(QStringLiteral("small/notes3.txt")), QByteArray(100 << 10, 'e'));
    if (hardLinked)
        QCOMPARE(contentsOf(QStringLiteral("small/second.txt")), QByteArray(100 << 10, 'e'));
    QCOMPARE(entriesOf(QStringLiteral("small")), entriesBefore);
    QCOMPARE(entriesOf(m_stateHome.path() + QStringLiteral("/notatki")), QStringList());
}

QTEST_GUILESS_MAIN(AtomicFileWriterTest)
#include "tst_atomicfilewriter.moc"
