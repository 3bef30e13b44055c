// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/GraphicalDisplay.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// Whether a display can be reached, asked the way the toolkit will ask: over X11 of a real X
// server, and over Wayland of sockets made here.
class GraphicalDisplayTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void find_data();
    void find();
    void leavesALoneXServerAlone();

private:
    QString substitute(QString value) const;

    QTemporaryDir m_folder;
    QProcess m_xServer;
    QString m_liveX; // the X server's display, empty when the machine has no Xvfb
};

namespace {

// Stand-ins in the rows, replaced by what the machine has.
const QString liveX = QStringLiteral("<live X>");
const QString runtimeFolder = QStringLiteral("<runtime folder>");
// No X server is started on display numbers this high.
const QString deadX = QStringLiteral(":4093");
const QString abstractX = QStringLiteral(":4092");

// A Unix socket file; with listen, a compositor taking connections, without, one that is gone.
void makeSocket(const QString &path, bool listening)
{
    const int handle = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(handle >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    QVERIFY(name.size() < qsizetype(sizeof address.sun_path));
    std::memcpy(address.sun_path, name.constData(), name.size());
    QCOMPARE(::bind(handle, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    if (listening)
        QCOMPARE(::listen(handle, 8), 0); // kept open until the process ends
    else
        ::close(handle);
}

// An X server that listens on the abstract socket only, as one in another container may.
void listenAbstract(const QByteArray &name)
{
    const int handle = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(handle >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.constData(), name.size());
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    QCOMPARE(::bind(handle, reinterpret_cast<sockaddr *>(&address), length), 0);
    QCOMPARE(::listen(handle, 8), 0); // kept open until the process ends
}

} // namespace

void GraphicalDisplayTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    makeSocket(m_folder.filePath(QStringLiteral("wayland-live")), true);
    makeSocket(m_folder.filePath(QStringLiteral("wayland-gone")), false);
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/.X11-unix/X4092")));
    listenAbstract("/tmp/.X11-unix/X4092");

    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return;
    // -displayfd writes the number of a free display once the server takes connections.
    // -terminate ends the server where it would reset: when its last client leaves.
    m_xServer.start(xvfb,
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp"), QStringLiteral("-terminate")});
    QVERIFY(m_xServer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_xServer.canReadLine(), 20000);
    m_liveX = u':' + QString::fromLatin1(m_xServer.readLine().trimmed());
}

void GraphicalDisplayTest::cleanupTestCase()
{
    m_xServer.terminate();
    m_xServer.waitForFinished();
}

QString GraphicalDisplayTest::substitute(QString value) const
{
    value.replace(liveX, m_liveX);
    value.replace(runtimeFolder, m_folder.path());
    return value;
}

void GraphicalDisplayTest::find_data()
{
    // Each setting is an environment variable or -platform or -display, as NAME=VALUE.
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QStringList>("misses"); // a piece of each reason given, in order

    const QString liveWayland = "WAYLAND_DISPLAY=" + runtimeFolder + "/wayland-live";
    const QString inRuntimeFolder = "XDG_RUNTIME_DIR=" + runtimeFolder;
    const QString noX = "DISPLAY nie jest ustawiona";
    const QString noWayland = "WAYLAND_DISPLAY nie jest ustawiona";

    QTest::newRow("nothing set") << QStringList() << false << QStringList{noX, noWayland};
    QTest::newRow("X server gone")
        << QStringList{"DISPLAY=" + deadX} << false
        << QStringList{"\":4093\" nie działa żaden serwer X (nie ma gniazda /tmp/.X11-unix/X4093)",
                       noWayland};
    QTest::newRow("X server on its abstract socket only")
        << QStringList{"DISPLAY=" + abstractX} << true << QStringList();
    QTest::newRow("X server on another machine: left to the toolkit")
        << QStringList{"DISPLAY=localhost" + deadX} << true << QStringList();
    QTest::newRow("DISPLAY not a display name")
        << QStringList{"DISPLAY=no display"} << false
        << QStringList{"\"no display\" nie jest nazwą ekranu X11", noWayland};
    QTest::newRow("live X server") << QStringList{"DISPLAY=" + liveX} << true << QStringList();
    QTest::newRow("-display of a dead server over a live DISPLAY")
        << QStringList{"-display=" + deadX, "DISPLAY=" + liveX} << false
        << QStringList{"\":4093\"", noWayland};
    QTest::newRow("-display of a live server over a dead DISPLAY")
        << QStringList{"-display=" + liveX, "DISPLAY=" + deadX} << true << QStringList();

    QTest::newRow("Wayland socket by its path")
        << QStringList{liveWayland} << true << QStringList();
    QTest::newRow("Wayland socket in the runtime folder")
        << QStringList{"WAYLAND_DISPLAY=wayland-live", inRuntimeFolder} << true << QStringList();
    QTest::newRow("Wayland name without a runtime folder")
        << QStringList{"WAYLAND_DISPLAY=wayland-live"} << false
        << QStringList{noX, "XDG_RUNTIME_DIR nie jest ustawiona"};
    QTest::newRow("Wayland socket nobody listens on")
        << QStringList{"WAYLAND_DISPLAY=wayland-gone", inRuntimeFolder} << false
        << QStringList{noX, "wayland-gone\": nikt nie przyjmuje połączeń"};
    QTest::newRow("Wayland socket missing")
        << QStringList{"WAYLAND_DISPLAY=wayland-9", inRuntimeFolder} << false
        << QStringList{noX, "wayland-9\": nie ma takiego pliku"};

    QTest::newRow("offscreen needs no display")
        << QStringList{"QT_QPA_PLATFORM=offscreen"} << true << QStringList();
    QTest::newRow("-platform offscreen over QT_QPA_PLATFORM=xcb")
        << QStringList{"QT_QPA_PLATFORM=xcb", "-platform=offscreen"} << true << QStringList();
    QTest::newRow("-platform xcb over QT_QPA_PLATFORM=offscreen")
        << QStringList{"QT_QPA_PLATFORM=offscreen", "-platform=xcb"} << false << QStringList{noX};
    QTest::newRow("xcb alone does not use a live Wayland")
        << QStringList{"QT_QPA_PLATFORM=xcb", liveWayland} << false << QStringList{noX};
    QTest::newRow("wayland alone does not use a live X server")
        << QStringList{"QT_QPA_PLATFORM=wayland", "DISPLAY=" + liveX} << false
        << QStringList{noWayland};
    QTest::newRow("fallback list reaches offscreen")
        << QStringList{"QT_QPA_PLATFORM=xcb;offscreen"} << true << QStringList();
    QTest::newRow("platform with options of its own")
        << QStringList{"QT_QPA_PLATFORM=wayland:fullscreen", liveWayland} << true << QStringList();
    QTest::newRow("wayland-egl is Wayland")
        << QStringList{"QT_QPA_PLATFORM=wayland-egl", liveWayland} << true << QStringList();
    QTest::newRow("a platform twice, its reason once")
        << QStringList{"QT_QPA_PLATFORM=xcb;xcb:nomitshm"} << false << QStringList{noX};
    QTest::newRow("empty list entries")
        << QStringList{"QT_QPA_PLATFORM=;;"} << false << QStringList{noX, noWayland};
}

void GraphicalDisplayTest::find()
{
    QFETCH(QStringList, settings);
    QFETCH(bool, found);
    QFETCH(QStringList, misses);

    if (m_liveX.isEmpty() && settings.join(u' ').contains(liveX))
        QSKIP("No Xvfb on this machine to be the live X server");
    QProcessEnvironment environment;
    QString platformOption;
    QString displayOption;
    for (const QString &setting : settings) {
        const QString name = setting.section(u'=', 0, 0);
        const QString value = substitute(setting.section(u'=', 1));
        if (name == u"-platform")
            platformOption = value;
        else if (name == u"-display")
            displayOption = value;
        else
            environment.insert(name, value);
    }

    const DisplaySearch search
        = GraphicalDisplay::find(DisplayRequest::from(environment, platformOption, displayOption));
    QCOMPARE(search.found, found);
    QCOMPARE(search.misses.size(), misses.size());
    for (qsizetype miss = 0; miss < misses.size(); ++miss)
        QVERIFY2(search.misses.at(miss).contains(misses.at(miss)),
                 qPrintable(search.misses.at(miss)));
}

// An X server whose only client leaves resets itself, and a client connecting meanwhile fails:
// looking must not make the server the window is about to connect to reset.
void GraphicalDisplayTest::leavesALoneXServerAlone()
{
    if (m_liveX.isEmpty())
        QSKIP("No Xvfb on this machine to be the X server");
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), m_liveX);
    QVERIFY(GraphicalDisplay::find(DisplayRequest::from(environment, {}, {})).found);
    QVERIFY2(!m_xServer.waitForFinished(500), "the X server ended as if its last client had left");
}

QTEST_GUILESS_MAIN(GraphicalDisplayTest)
#include "tst_graphicaldisplay.moc"
