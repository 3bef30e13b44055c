#include "platform/GraphicalDisplay.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <cstring>
#include <memory>

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
    QTest::addColumn<QString>("qtPlatform"); // QT_QPA_PLATFORM
    QTest::addColumn<QString>("platformOption");
    QTest::addColumn<QString>("displayOption");
    QTest::addColumn<QString>("x11Display"); // DISPLAY
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<QString>("runtime"); // XDG_RUNTIME_DIR
    QTest::addColumn<bool>("found");
    QTest::addColumn<QStringList>("misses"); // a piece of each reason given, in order

    const QString live = QStringLiteral("wayland-live");
    const QString gone = QStringLiteral("wayland-gone");
    const QString liveByPath = runtimeFolder + u'/' + live;
    const QStringList bothUnset = {"DISPLAY nie jest ustawiona", "WAYLAND_DISPLAY nie jest"};

    QTest::newRow("nothing set") << ""
                                 << ""
                                 << ""
                                 << ""
                                 << ""
                                 << "" << false << bothUnset;
    QTest::newRow("X server gone")
        << ""
        << ""
        << "" << deadX << ""
        << "" << false
        << QStringList{"\":4093\" nie działa żaden serwer X (nie ma gniazda /tmp/.X11-unix/X4093)",
                       "WAYLAND_DISPLAY"};
    QTest::newRow("X server on its abstract socket only") << ""
                                                          << ""
                                                          << "" << abstractX << ""
                                                          << "" << true << QStringList();
    QTest::newRow("X server on another machine: left to the toolkit")
        << ""
        << ""
        << ""
        << "localhost" + deadX << ""
        << "" << true << QStringList();
    QTest::newRow("DISPLAY not a display name")
        << ""
        << ""
        << ""
        << "no display"
        << ""
        << "" << false
        << QStringList{"\"no display\" nie jest nazwą ekranu X11", "WAYLAND_DISPLAY"};
    QTest::newRow("live X server") << ""
                                   << ""
                                   << "" << liveX << ""
                                   << "" << true << QStringList();
    QTest::newRow("-display of a dead server over a live DISPLAY")
        << ""
        << "" << deadX << liveX << ""
        << "" << false << QStringList{"\":4093\"", "WAYLAND_DISPLAY"};
    QTest::newRow("-display of a live server over a dead DISPLAY") << ""
                                                                   << "" << liveX << deadX << ""
                                                                   << "" << true << QStringList();

    QTest::newRow("Wayland socket by its path") << ""
                                                << ""
                                                << ""
                                                << "" << liveByPath << "" << true << QStringList();
    QTest::newRow("Wayland socket in the runtime folder")
        << ""
        << ""
        << ""
        << "" << live << runtimeFolder << true << QStringList();
    QTest::newRow("Wayland name without a runtime folder")
        << ""
        << ""
        << ""
        << "" << live << "" << false
        << QStringList{"DISPLAY nie jest", "XDG_RUNTIME_DIR nie jest ustawiona"};
    QTest::newRow("Wayland socket nobody listens on")
        << ""
        << ""
        << ""
        << "" << gone << runtimeFolder << false
        << QStringList{"DISPLAY nie jest", "wayland-gone\": nikt nie przyjmuje połączeń"};
    QTest::newRow("Wayland socket missing")
        << ""
        << ""
        << ""
        << ""
        << "wayland-9" << runtimeFolder << false
        << QStringList{"DISPLAY nie jest", "wayland-9\": nie ma takiego pliku"};

    QTest::newRow("offscreen needs no display") << "offscreen"
                                                << ""
                                                << ""
                                                << ""
                                                << ""
                                                << "" << true << QStringList();
    QTest::newRow("-platform offscreen over QT_QPA_PLATFORM=xcb") << "xcb"
                                                                  << "offscreen"
                                                                  << ""
                                                                  << ""
                                                                  << ""
                                                                  << "" << true << QStringList();
    QTest::newRow("-platform xcb over QT_QPA_PLATFORM=offscreen")
        << "offscreen"
        << "xcb"
        << ""
        << ""
        << ""
        << "" << false << QStringList{"DISPLAY nie jest ustawiona"};
    QTest::newRow("xcb alone does not use a live Wayland")
        << "xcb"
        << ""
        << ""
        << "" << liveByPath << "" << false << QStringList{"DISPLAY nie jest ustawiona"};
    QTest::newRow("wayland alone does not use a live X server")
        << "wayland"
        << ""
        << "" << liveX << ""
        << "" << false << QStringList{"WAYLAND_DISPLAY nie jest ustawiona"};
    QTest::newRow("fallback list reaches offscreen") << "xcb;offscreen"
                                                     << ""
                                                     << ""
                                                     << ""
                                                     << ""
                                                     << "" << true << QStringList();
    QTest::newRow("platform with options of its own")
        << "wayland:fullscreen"
        << ""
        << ""
        << "" << liveByPath << "" << true << QStringList();
    QTest::newRow("wayland-egl is Wayland") << "wayland-egl"
                                            << ""
                                            << ""
                                            << "" << liveByPath << "" << true << QStringList();
    QTest::newRow("a platform twice, its reason once")
        << "xcb;xcb:nomitshm"
        << ""
        << ""
        << ""
        << ""
        << "" << false << QStringList{"DISPLAY nie jest ustawiona"};
    QTest::newRow("empty list entries") << ";;"
                                        << ""
                                        << ""
                                        << ""
                                        << ""
                                        << "" << false << bothUnset;
}

void GraphicalDisplayTest::find()
{
    QFETCH(QString, qtPlatform);
    QFETCH(QString, platformOption);
    QFETCH(QString, displayOption);
    QFETCH(QString, x11Display);
    QFETCH(QString, waylandDisplay);
    QFETCH(QString, runtime);
    QFETCH(bool, found);
    QFETCH(QStringList, misses);

    const QString row = QString::fromLatin1(QTest::currentDataTag());
    if (m_liveX.isEmpty() && (row.contains(u"live X")))
        QSKIP("No Xvfb on this machine to be the live X server");

    QProcessEnvironment environment;
    const auto set = [&](const char *name, const QString &value) {
        if (!value.isEmpty())
            environment.insert(QLatin1String(name), substitute(value));
    };
    set("QT_QPA_PLATFORM", qtPlatform);
    set("DISPLAY", x11Display);
    set("WAYLAND_DISPLAY", waylandDisplay);
    set("XDG_RUNTIME_DIR", runtime);

    const DisplaySearch search = GraphicalDisplay::find(
        DisplayRequest::from(environment, substitute(platformOption), substitute(displayOption)));
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
