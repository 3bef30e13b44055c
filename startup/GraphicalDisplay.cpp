// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/GraphicalDisplay.h"

#include "common/SystemError.h"

#include <QDir>
#include <QFile>
#include <QScopedPointer>

#include <xcb/xcb.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
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

namespace {

// Whether a local X display has its socket: a socket file (made by a server on this machine, or
// shared into a container), or an abstract socket of that name, which /proc/net/unix lists while
// a server holds it. True when that cannot be told.
bool hasXSocket(const QByteArray &path)
{
    struct stat status;
    if (::stat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode))
        return true;
    QFile sockets(QStringLiteral("/proc/net/unix"));
    if (!sockets.open(QIODevice::ReadOnly))
        return true;
    // Read to the end rather than checked for it: /proc gives its files no size.
    const QByteArray abstractName = " @" + path;
    const QByteArray table = sockets.readAll();
    for (const QByteArray &line : table.split('\n')) {
        if (line.endsWith(abstractName))
            return true;
    }
    return false;
}

// The X server is not asked anything, not even connected to: a server whose last client leaves
// resets itself, and a lone server (as xvfb-run starts one) would then be in the middle of its
// reset when the window connects a moment later, and the window would fail. A display on
// another machine is left to the toolkit, as knowing whether it answers takes a connection.
QString missX11(const QString &display)
{
    if (display.isEmpty())
        return GraphicalDisplay::tr("zmienna DISPLAY nie jest ustawiona");
    char *parsedHost = nullptr;
    int number = 0;
    if (!xcb_parse_display(QFile::encodeName(display).constData(), &parsedHost, &number, nullptr))
        return GraphicalDisplay::tr("\"%1\" nie jest nazwą ekranu X11").arg(display);
    // xcb gives the host name from malloc().
    const std::unique_ptr<char, QScopedPointerPodDeleter> host(parsedHost);
    if (qstrcmp(host.get(), "") != 0 && qstrcmp(host.get(), "unix") != 0)
        return {};
    const QByteArray socketPath = "/tmp/.X11-unix/X" + QByteArray::number(number);
    if (hasXSocket(socketPath))
        return {};
    return GraphicalDisplay::tr(
               "na ekranie X11 \"%1\" nie działa żaden serwer X (nie ma gniazda %2)")
        .arg(display, QFile::decodeName(socketPath));
}

// Qt's Wayland plugin speaks to the compositor's socket, and a compositor does not mind a client
// that comes and goes. QLocalSocket would bring in Qt Network for this one call.
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
        return GraphicalDisplay::tr("zmienna WAYLAND_DISPLAY nie jest ustawiona");
    if (QDir::isRelativePath(display) && runtimeFolder.isEmpty())
        return GraphicalDisplay::tr(
                   "zmienna XDG_RUNTIME_DIR nie jest ustawiona, a bez niej ekranu Wayland \"%1\" "
                   "nie można znaleźć")
            .arg(display);
    const QString path = QDir::isRelativePath(display) ? runtimeFolder + u'/' + display : display;
    const int error = connectToSocket(path);
    if (error == 0)
        return {};
    return GraphicalDisplay::tr("nie można połączyć się z ekranem Wayland \"%1\": %2")
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

DisplaySearch GraphicalDisplay::find(const DisplayRequest &request)
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
