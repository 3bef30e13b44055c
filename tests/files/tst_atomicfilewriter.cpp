// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RuntimeFailure.h"
#include "files/AtomicFileWriter.h"
#include "files/WorkingFolder.h"

#include "tests/support/FileFaults.h"
#include "tests/support/FileIdentity.h"
#include "tests/support/Files.h"
#include "tests/support/FullDiskWriter.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

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
};

namespace {

const QByteArray EarlierBytes = "earlier notes\r\nkept byte for byte";
const QByteArray NewBytes = "the new text, longer than the earlier one\r\nand on two lines";

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

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
    QCOMPARE(entriesOf(m_stateHome.path()), QStringList());
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
    QCOMPARE(entriesOf(m_stateHome.path()), QStringList());
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
    QTest::newRow("replaced: one name") << false;
    QTest::newRow("in place: a second name, the copy in the state folder") << true;
}

// A real full disk: a small tmpfs, which only root can mount.
void AtomicFileWriterTest::fullDiskKeepsTheEarlierFile()
{
    QFETCH(bool, hardLinked);
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

    const WorkingFolder folder = WorkingFolder::open("small");
    int number = 0;
    AtomicFileWriter writer(folder, QStringLiteral("notes3.txt"));
    const QString message = failureOf(writer, QByteArray(1 << 20, 'n'), &number);
    QCOMPARE(number, int(RuntimeFailure::DiskFull));
    QVERIFY2(message.contains(QStringLiteral("brak miejsca na dysku")), qPrintable(message));
    QCOMPARE(contentsOf(QStringLiteral("small/notes3.txt")), QByteArray(100 << 10, 'e'));
    if (hardLinked)
        QCOMPARE(contentsOf(QStringLiteral("small/second.txt")), QByteArray(100 << 10, 'e'));
    QCOMPARE(entriesOf(QStringLiteral("small")), entriesBefore);
    QCOMPARE(entriesOf(m_stateHome.path() + QStringLiteral("/notatki")), QStringList());
}

QTEST_GUILESS_MAIN(AtomicFileWriterTest)
#include "tst_atomicfilewriter.moc"
