// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/StateFolder.h"

#include "tests/support/FileFaults.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// The state folder is made and used only where it is the user's own; the rows put HOME and
// XDG_STATE_HOME in folders another user (nobody) holds a part of.
class StateFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void usesOnlyTheUsersOwnFolder_data();
    void usesOnlyTheUsersOwnFolder();

private:
    QString path(const QString &name) const { return m_folder->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_folder;
    QByteArray m_home;
    QByteArray m_stateHome;
};

namespace {

constexpr uid_t Nobody = 65534;

void give(const QString &path, uid_t owner, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    QCOMPARE(::lchown(name.constData(), owner, owner), 0);
    struct stat status = {};
    QCOMPARE(::lstat(name.constData(), &status), 0);
    if (!S_ISLNK(status.st_mode))
        QCOMPARE(::chmod(name.constData(), mode), 0);
}

mode_t modeOf(const QString &path)
{
    struct stat status = {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

} // namespace

void StateFolderTest::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("giving folders and links to another user needs root");
    m_home = qgetenv("HOME");
    m_stateHome = qgetenv("XDG_STATE_HOME");
}

void StateFolderTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir().mkdir(path(QStringLiteral("home"))));
    QVERIFY(QDir().mkdir(path(QStringLiteral("root-only"))));
    give(path(QStringLiteral("root-only")), 0, 0700);
    qputenv("HOME", QFile::encodeName(path(QStringLiteral("home"))));
    qunsetenv("XDG_STATE_HOME");
}

void StateFolderTest::cleanup()
{
    qputenv("HOME", m_home);
    if (m_stateHome.isEmpty())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", m_stateHome);
}

void StateFolderTest::usesOnlyTheUsersOwnFolder_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("nothing there yet: made, private") << "empty home" << QString();
    QTest::newRow("the user's own folders there already") << "own folders" << QString();
    QTest::newRow("a state home outside the home folder, the user's own")
        << "own state home" << QString();
    QTest::newRow(".local planted by another user as a link to a root-only folder")
        << "planted .local"
        << "„HOME/.local” jest dowiązaniem symbolicznym, a nie folderem";
    QTest::newRow(".local/state planted as a link inside the user's own .local")
        << "planted state"
        << "„HOME/.local/state” jest dowiązaniem symbolicznym, a nie folderem";
    QTest::newRow(".local another user's folder")
        << "others .local"
        << "folder „HOME/.local” należy do innego użytkownika, nobody (UID 65534)";
    QTest::newRow(".local/state that others may write to")
        << "shared state"
        << "do folderu „HOME/.local/state” mogą pisać także inni użytkownicy";
    QTest::newRow("a state home outside the home folder, another user's")
        << "others state home"
        << "folder „STATE” należy do innego użytkownika, nobody (UID 65534)";
}

void StateFolderTest::usesOnlyTheUsersOwnFolder()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    const QString home = path(QStringLiteral("home"));
    const QString local = home + QStringLiteral("/.local");
    const QString state = path(QStringLiteral("state"));
    reason.replace(QStringLiteral("HOME"), home).replace(QStringLiteral("STATE"), state);
    give(home, 0, 0755);
    if (setup == QStringLiteral("own folders") || setup == QStringLiteral("shared state")
        || setup == QStringLiteral("planted state")) {
        QVERIFY(QDir().mkpath(local + QStringLiteral("/state")));
        give(local, 0, 0755);
        give(local + QStringLiteral("/state"), 0, 0755);
    }
    if (setup == QStringLiteral("shared state"))
        give(local + QStringLiteral("/state"), 0, 0777);
    if (setup == QStringLiteral("planted state")) {
        QVERIFY(QDir(local).rmdir(QStringLiteral("state")));
        QVERIFY(QFile::link(path(QStringLiteral("root-only")), local + QStringLiteral("/state")));
    }
    if (setup == QStringLiteral("planted .local")) {
        QVERIFY(QFile::link(path(QStringLiteral("root-only")), local));
        give(local, Nobody, 0);
        give(home, Nobody, 0755);
    }
    if (setup == QStringLiteral("others .local")) {
        QVERIFY(QDir().mkdir(local));
        give(local, Nobody, 0755);
    }
    if (setup.endsWith(QStringLiteral("state home"))) {
        QVERIFY(QDir().mkdir(state));
        give(state, setup.startsWith(QStringLiteral("others")) ? Nobody : 0, 0755);
        qputenv("XDG_STATE_HOME", QFile::encodeName(state));
    }

    const StateFolder folder = StateFolder::open();
    if (reason.isEmpty()) {
        QVERIFY2(folder.isOpen(), qPrintable(folder.reason()));
        const QString expected = setup.endsWith(QStringLiteral("state home"))
                                     ? state + QStringLiteral("/notatki")
                                     : local + QStringLiteral("/state/notatki");
        QCOMPARE(QFile::decodeName(folder.path()), expected);
        QCOMPARE(modeOf(expected), mode_t(0700));
        if (setup == QStringLiteral("empty home"))
            QCOMPARE(modeOf(local), mode_t(0700));
    } else {
        QVERIFY(!folder.isOpen());
        QVERIFY2(folder.reason().contains(reason), qPrintable(folder.reason()));
    }
    // Nothing is made through a link.
    QCOMPARE(entriesOf(path(QStringLiteral("root-only"))), QStringList());
}

QTEST_GUILESS_MAIN(StateFolderTest)
#include "tst_statefolder.moc"
