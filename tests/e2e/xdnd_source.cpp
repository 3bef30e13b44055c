// SPDX-License-Identifier: GPL-3.0-or-later
// Another X11 program dropping text on a window: it owns XdndSelection, sends XdndEnter and
// XdndPosition at a point of the target, waits for the target's XdndStatus, drops, serves the
// text (in INCR pieces when large) for as long as it is asked, and ends on XdndFinished,
// printing what the target answered. It waits for each answer before the next step, so that a
// drop never comes before the target has seen the drag.
//
// Usage: xdnd_source TARGET_WINDOW ROOT_X ROOT_Y FILE
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto GiveUpAfter = std::chrono::seconds(60);
constexpr size_t PieceSize = 1 << 20;

struct Free
{
    void operator()(void *pointer) const { std::free(pointer); }
};
template<typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_connection_t *connection;

xcb_atom_t atom(const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void sendMessage(xcb_window_t target, xcb_atom_t type, std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = target;
    message.type = type;
    std::copy(data.begin(), data.end(), message.data.data32);
    xcb_send_event(connection, 0, target, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

Reply<xcb_generic_event_t> nextEvent(Clock::time_point deadline)
{
    for (;;) {
        if (xcb_generic_event_t *event = xcb_poll_for_event(connection))
            return Reply<xcb_generic_event_t>(event);
        if (xcb_connection_has_error(connection) || Clock::now() >= deadline)
            return nullptr;
        pollfd descriptor = {xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&descriptor, 1, 100);
    }
}

// An INCR transfer under way, by requestor window and property.
struct Transfer
{
    xcb_atom_t property;
    xcb_atom_t type;
    size_t sent;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s TARGET_WINDOW ROOT_X ROOT_Y FILE\n", argv[0]);
        return 2;
    }
    const auto target = xcb_window_t(std::strtoul(argv[1], nullptr, 0));
    const auto rootX = uint32_t(std::atoi(argv[2]));
    const auto rootY = uint32_t(std::atoi(argv[3]));
    std::ifstream file(argv[4], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());

    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t aware = atom("XdndAware"), selection = atom("XdndSelection"),
                     enter = atom("XdndEnter"), position = atom("XdndPosition"),
                     status = atom("XdndStatus"), drop = atom("XdndDrop"),
                     finished = atom("XdndFinished"), leave = atom("XdndLeave"),
                     moveAction = atom("XdndActionMove"), targets = atom("TARGETS"),
                     utf8 = atom("UTF8_STRING"), plainUtf8 = atom("text/plain;charset=utf-8"),
                     incr = atom("INCR"), stamp = atom("NOTATKI_DRAG_TIME");

    const xcb_window_t source = xcb_generate_id(connection);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, source, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    const uint32_t version = 5;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, source, aware, XCB_ATOM_ATOM, 32, 1,
                        &version);
    // The server's time, from a property change of our own: the drag's time.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, source, stamp, XCB_ATOM_STRING, 8, 0,
                        "");
    xcb_flush(connection);
    const Clock::time_point deadline = Clock::now() + GiveUpAfter;
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    while (time == XCB_CURRENT_TIME) {
        const auto event = nextEvent(deadline);
        if (!event)
            return std::fprintf(stderr, "no time from the server\n"), 1;
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
            time = reinterpret_cast<xcb_property_notify_event_t *>(event.get())->time;
    }
    xcb_set_selection_owner(connection, source, selection, time);

    sendMessage(target, enter, {source, version << 24, utf8, plainUtf8, XCB_ATOM_STRING});
    sendMessage(target, position, {source, 0, rootX << 16 | rootY, time, moveAction});
    std::map<xcb_window_t, Transfer> transfers;
    size_t requests = 0;
    bool dropped = false;
    for (;;) {
        const auto event = nextEvent(deadline);
        if (!event) {
            std::fprintf(stderr, "the target did not answer %s\n",
                         dropped ? "the drop" : "the drag");
            return 1;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CLIENT_MESSAGE) {
            const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event.get());
            if (message->type == status && !dropped) {
                const bool accepted = message->data.data32[1] & 1;
                std::printf("status: %s\n", accepted ? "accepted" : "refused");
                std::fflush(stdout);
                if (!accepted) {
                    sendMessage(target, leave, {source, 0});
                    return 3;
                }
                sendMessage(target, drop, {source, 0, time});
                dropped = true;
            } else if (message->type == finished) {
                const bool accepted = message->data.data32[1] & 1;
                std::printf("finished: %s, %zu requests for the text\n",
                            accepted ? "accepted" : "refused", requests);
                // A source that moves its text deletes it only for an accepted Move.
                std::printf("the source %s its text\n",
                            accepted && message->data.data32[2] == moveAction ? "deletes"
                                                                              : "keeps");
                return 0;
            }
        } else if (type == XCB_SELECTION_REQUEST) {
            const auto *request = reinterpret_cast<xcb_selection_request_event_t *>(event.get());
            xcb_selection_notify_event_t notify{};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.time = request->time;
            notify.requestor = request->requestor;
            notify.selection = request->selection;
            notify.target = request->target;
            notify.property = request->property;
            if (request->target == targets) {
                const xcb_atom_t offered[] = {targets, utf8, plainUtf8};
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor,
                                    request->property, XCB_ATOM_ATOM, 32, 3, offered);
            } else if (request->target == utf8 || request->target == plainUtf8) {
                ++requests;
                if (text.size() <= PieceSize) {
                    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor,
                                        request->property, request->target, 8,
                                        uint32_t(text.size()), text.data());
                } else {
                    const uint32_t size = uint32_t(text.size());
                    const uint32_t watch = XCB_EVENT_MASK_PROPERTY_CHANGE;
                    xcb_change_window_attributes(connection, request->requestor, XCB_CW_EVENT_MASK,
                                                 &watch);
                    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor,
                                        request->property, incr, 32, 1, &size);
                    transfers[request->requestor] = {request->property, request->target, 0};
                }
            } else {
                notify.property = XCB_ATOM_NONE;
            }
            xcb_send_event(connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char *>(&notify));
            xcb_flush(connection);
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto *change = reinterpret_cast<xcb_property_notify_event_t *>(event.get());
            const auto found = transfers.find(change->window);
            if (change->state != XCB_PROPERTY_DELETE || found == transfers.end()
                || found->second.property != change->atom)
                continue;
            Transfer &transfer = found->second;
            const size_t piece = std::min(PieceSize, text.size() - transfer.sent);
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, change->window,
                                transfer.property, transfer.type, 8, uint32_t(piece),
                                text.data() + transfer.sent);
            transfer.sent += piece;
            if (piece == 0)
                transfers.erase(found);
            xcb_flush(connection);
        }
    }
}
