#include "platform/GraphicalDisplay.h"

#include "platform/SystemError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <xcb/xcb.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

DisplayRequest DisplayRequest::from(const QProcessEnvironment &environment,
                                    const QString &platformOption, const QString &displayOption)
{
    const QString platformList = platformOption.isEmpty()
                                     ? environment.value(QStringLiteral("QT_QPA_PLATFORM"))
                                     : platformOption;
    DisplayRequest request;
    for (const QString &platform : platformList.split(u';', Qt::SkipEmptyParts))
        request.platforms.append(platform.section(u':', 0, 0)); // "xcb:option=value"
    request.x11Display
        = displayOption.isEmpty() ? environment.value(QStringLiteral("DISPLAY")) : displayOption;
    request.waylandDisplay = environment.value(QStringLiteral("WAYLAND_DISPLAY"));
    request.runtimeFolder = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    return request;
}

namespace GraphicalDisplay {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("GraphicalDisplay", text);
}

// Asking the X server itself also catches a display whose server is gone or refuses us.
QString missX11(const QString &display)
{
    if (display.isEmpty())
        return tr("zmienna DISPLAY nie jest ustawiona");
    // Given somewhere to put the screen number, xcb also checks that the server has that screen.
    int screen = 0;
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(QFile::encodeName(display).constData(), &screen), xcb_disconnect);
    switch (xcb_connection_has_error(connection.get())) {
    case 0:
        return {};
    case XCB_CONN_CLOSED_PARSE_ERR:
        return tr("\"%1\" nie jest nazwą ekranu X11").arg(display);
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return tr("serwer X ekranu \"%1\" nie ma takiego ekranu").arg(display);
    default:
        return tr("serwer X ekranu \"%1\" nie odpowiada albo odmówił połączenia").arg(display);
    }
}

// Qt's Wayland plugin speaks to the compositor's socket; being able to connect to it is enough.
// QLocalSocket would bring in Qt Network for this one call.
int connectToSocket(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return ENAMETOOLONG;
    std::memcpy(address.sun_path, name.constData(), name.size());

    const int socketHandle = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketHandle < 0)
        return errno;
    const int result
        = ::connect(socketHandle, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int error = result == 0 ? 0 : errno;
    ::close(socketHandle);
    return error;
}

QString missWayland(const QString &display, const QString &runtimeFolder)
{
    if (display.isEmpty())
        return tr("zmienna WAYLAND_DISPLAY nie jest ustawiona");
    if (QDir::isRelativePath(display) && runtimeFolder.isEmpty())
        return tr("zmienna XDG_RUNTIME_DIR nie jest ustawiona, a bez niej ekranu Wayland \"%1\" "
                  "nie można znaleźć")
            .arg(display);
    const QString path = QDir::isRelativePath(display) ? runtimeFolder + u'/' + display : display;
    const int error = connectToSocket(path);
    if (error == 0)
        return {};
    return tr("nie można połączyć się z ekranem Wayland \"%1\": %2")
        .arg(path, SystemError::describe(error));
}

// Empty when the window can be shown on that platform.
QString miss(const QString &platform, const DisplayRequest &request)
{
    if (platform == u"xcb")
        return missX11(request.x11Display);
    if (platform.startsWith(u"wayland"))
        return missWayland(request.waylandDisplay, request.runtimeFolder);
    return {};
}

} // namespace

DisplaySearch find(const DisplayRequest &request)
{
    const QStringList platforms
        = request.platforms.isEmpty()
              ? QStringList{QStringLiteral("xcb"), QStringLiteral("wayland")}
              : request.platforms;
    QStringList misses;
    for (const QString &platform : platforms) {
        const QString reason = miss(platform, request);
        if (reason.isEmpty())
            return {true, {}};
        misses.append(reason);
    }
    misses.removeDuplicates();
    return {false, misses};
}

} // namespace GraphicalDisplay
