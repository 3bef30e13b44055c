// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/X11Selection.h"

#include <QScopedPointer>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <poll.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How often the caller's work runs while nothing arrives: often enough for a window to repaint.
constexpr std::chrono::milliseconds WaitSlice(40);
// The most that one property read asks for, in 32-bit units: all there is.
constexpr uint32_t WholeProperty = 0x1fffffff;

// xcb hands out its replies and events from malloc().
template<typename Reply>
using XcbPointer = std::unique_ptr<Reply, QScopedPointerPodDeleter>;

enum Atom {
    Clipboard,
    DragAndDrop,
    Targets,
    Utf8String,
    Utf8PlainText,
    Incr,
    TransferProperty,
    AtomCount
};

std::array<xcb_atom_t, AtomCount> internAtoms(xcb_connection_t *connection)
{
    static constexpr std::array<const char *, AtomCount> names
        = {"CLIPBOARD", "XdndSelection",    "TARGETS", "UTF8_STRING", "text/plain;charset=utf-8",
           "INCR",      "NOTATKI_CLIPBOARD"};
    std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
    for (size_t index = 0; index < names.size(); ++index)
        cookies[index]
            = xcb_intern_atom(connection, 0, uint16_t(std::strlen(names[index])), names[index]);
    std::array<xcb_atom_t, AtomCount> atoms{};
    for (size_t index = 0; index < names.size(); ++index) {
        const XcbPointer<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection, cookies[index], nullptr));
        atoms[index] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return atoms;
}

xcb_window_t rootOf(xcb_connection_t *connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; index < screenNumber && screens.rem > 0; ++index)
        xcb_screen_next(&screens);
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace

// One reading of the selection: a window of its own to receive the text on, and the clock that
// bounds the wait.
class X11Selection::Transfer
{
public:
    Transfer(xcb_connection_t *connection, xcb_window_t root, SelectionName selection,
             qsizetype characterLimit, Patience patience, const std::function<void()> &whileWaiting,
             xcb_timestamp_t time)
        : m_connection(connection)
        , m_atoms(internAtoms(connection))
        , m_selection(selectionAtom(selection))
        , m_time(time)
        , m_window(xcb_generate_id(connection))
        , m_characterLimit(characterLimit)
        , m_patience(patience)
        , m_whileWaiting(whileWaiting)
    {
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
    }

    ~Transfer()
    {
        xcb_destroy_window(m_connection, m_window);
        xcb_flush(m_connection);
    }

    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    Result readText()
    {
        const xcb_atom_t selection = m_selection;
        const XcbPointer<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
        if (!owner || owner->owner == XCB_WINDOW_NONE)
            return {Outcome::NoOwner, {}};

        // Some owners (xclip among them) hand out their one format whatever is asked for, so
        // only a text format the owner lists is asked for; without a list, both are tried.
        std::vector<xcb_atom_t> offered;
        switch (convert(selection, m_atoms[Targets])) {
        case Answer::Silent:
            return {Outcome::NoAnswer, {}};
        case Answer::Refused:
            offered = {m_atoms[Utf8String], XCB_ATOM_STRING};
            break;
        case Answer::Converted:
            offered = takeAtoms();
            break;
        }
        const std::pair<xcb_atom_t, QStringConverter::Encoding> textFormats[]
            = {{m_atoms[Utf8String], QStringConverter::Utf8},
               {m_atoms[Utf8PlainText], QStringConverter::Utf8},
               {XCB_ATOM_STRING, QStringConverter::Latin1}};
        for (const auto &[target, encoding] : textFormats) {
            if (std::find(offered.cbegin(), offered.cend(), target) == offered.cend())
                continue;
            switch (convert(selection, target)) {
            case Answer::Silent:
                return {Outcome::NoAnswer, {}};
            case Answer::Refused:
                continue;
            case Answer::Converted:
                return receive(encoding);
            }
        }
        return {Outcome::NoText, {}};
    }

private:
    enum class Answer { Converted, Refused, Silent };

    xcb_atom_t selectionAtom(SelectionName selection) const
    {
        switch (selection) {
        case SelectionName::Primary:
            return XCB_ATOM_PRIMARY;
        case SelectionName::DragAndDrop:
            return m_atoms[DragAndDrop];
        case SelectionName::Clipboard:
            break;
        }
        return m_atoms[Clipboard];
    }

    Answer convert(xcb_atom_t selection, xcb_atom_t target)
    {
        xcb_convert_selection(m_connection, m_window, selection, target, m_atoms[TransferProperty],
                              m_time);
        xcb_flush(m_connection);
        const auto notification = waitFor([this](const xcb_generic_event_t &event) {
            return (event.response_type & 0x7f) == XCB_SELECTION_NOTIFY
                   && reinterpret_cast<const xcb_selection_notify_event_t &>(event).requestor
                          == m_window;
        });
        if (!notification)
            return Answer::Silent;
        const auto &answer = reinterpret_cast<const xcb_selection_notify_event_t &>(*notification);
        return answer.property == XCB_ATOM_NONE ? Answer::Refused : Answer::Converted;
    }

    Result receive(QStringConverter::Encoding encoding)
    {
        SelectionText::Pieces pieces(m_characterLimit, encoding);
        const auto first = takeProperty();
        if (!first)
            return {Outcome::NoText, {}};
        if (first->type != m_atoms[Incr]) {
            pieces.add(valueOf(*first));
            return pieces.whole();
        }

        // Taking the INCR property asked the owner for the first piece; an empty piece ends.
        for (;;) {
            const auto piece = waitFor([this](const xcb_generic_event_t &event) {
                if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto &change = reinterpret_cast<const xcb_property_notify_event_t &>(event);
                return change.window == m_window && change.atom == m_atoms[TransferProperty]
                       && change.state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!piece)
                return pieces.cutShort();
            const auto value = takeProperty();
            if (!value || xcb_get_property_value_length(value.get()) == 0)
                break;
            pieces.add(valueOf(*value));
        }
        return pieces.whole();
    }

    std::vector<xcb_atom_t> takeAtoms()
    {
        const auto list = takeProperty();
        if (!list || list->type != XCB_ATOM_ATOM || list->format != 32)
            return {};
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(list.get()));
        return {atoms, atoms + xcb_get_property_value_length(list.get()) / sizeof(xcb_atom_t)};
    }

    static QByteArrayView valueOf(xcb_get_property_reply_t &property)
    {
        return {static_cast<const char *>(xcb_get_property_value(&property)),
                xcb_get_property_value_length(&property)};
    }

    // Reads the whole property and deletes it, which tells an INCR owner to send the next piece.
    XcbPointer<xcb_get_property_reply_t> takeProperty()
    {
        return XcbPointer<xcb_get_property_reply_t>(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 1, m_window, m_atoms[TransferProperty],
                             XCB_GET_PROPERTY_TYPE_ANY, 0, WholeProperty),
            nullptr));
    }

    Clock::time_point deadline() const
    {
        return std::min(m_lastHeard + m_patience.silence, m_start + m_patience.total);
    }

    template<typename Wanted>
    XcbPointer<xcb_generic_event_t> waitFor(const Wanted &wanted)
    {
        for (;;) {
            while (xcb_generic_event_t *received = xcb_poll_for_event(m_connection)) {
                XcbPointer<xcb_generic_event_t> event(received);
                if (wanted(*event)) {
                    m_lastHeard = Clock::now();
                    return event;
                }
            }
            if (xcb_connection_has_error(m_connection))
                return nullptr;
            const Clock::time_point now = Clock::now();
            const Clock::time_point until = deadline();
            if (now >= until)
                return nullptr;
            pollfd descriptor = {xcb_get_file_descriptor(m_connection), POLLIN, 0};
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
                std::min<Clock::duration>(until - now, WaitSlice));
            ::poll(&descriptor, 1, int(wait.count()));
            m_whileWaiting();
        }
    }

    xcb_connection_t *m_connection;
    const std::array<xcb_atom_t, AtomCount> m_atoms;
    const xcb_atom_t m_selection;
    const xcb_timestamp_t m_time;
    const xcb_window_t m_window;
    const qsizetype m_characterLimit;
    const Patience m_patience;
    const std::function<void()> &m_whileWaiting;
    const Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastHeard = m_start;
};

std::unique_ptr<X11Selection> X11Selection::connect(const QByteArray &displayName)
{
    int screenNumber = 0;
    xcb_connection_t *connection
        = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11Selection>(new X11Selection(connection, screenNumber));
}

X11Selection::X11Selection(xcb_connection_t *connection, int screenNumber)
    : m_connection(connection)
    , m_screenNumber(screenNumber)
{}

X11Selection::~X11Selection()
{
    xcb_disconnect(m_connection);
}

X11Selection::Result X11Selection::readText(SelectionName selection, qsizetype characterLimit,
                                            Patience patience,
                                            const std::function<void()> &whileWaiting, quint32 time)
{
    Transfer transfer(m_connection, rootOf(m_connection, m_screenNumber), selection, characterLimit,
                      patience, whileWaiting, time);
    return transfer.readText();
}
