// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/X11DropTime.h"

#include <QGuiApplication>
#include <QScopedPointer>

#include <xcb/xcb.h>

#include <cstring>
#include <memory>

namespace {

X11DropTime *watching = nullptr;

xcb_atom_t xdndDropAtom(xcb_connection_t *connection)
{
    static constexpr char name[] = "XdndDrop";
    const std::unique_ptr<xcb_intern_atom_reply_t, QScopedPointerPodDeleter> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name),
                              nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

X11DropTime::X11DropTime(quint32 dropAtom)
    : m_dropAtom(dropAtom)
{}

void X11DropTime::watch()
{
    if (watching)
        return;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // Lives as long as the program: the application keeps no ownership of its filters.
    watching = new X11DropTime(xdndDropAtom(connection));
    qGuiApp->installNativeEventFilter(watching);
}

quint32 X11DropTime::lastDrop()
{
    return watching ? watching->m_lastDrop : 0;
}

bool X11DropTime::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *clientMessage = reinterpret_cast<const xcb_client_message_event_t *>(event);
    // XdndDrop: the source window, a reserved word, then the time.
    if (m_dropAtom != XCB_ATOM_NONE && clientMessage->type == m_dropAtom
        && clientMessage->format == 32)
        m_lastDrop = clientMessage->data.data32[2];
    return false;
}
