// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/WaylandSelection.h"

#include "clipboard/ClipboardLog.h"
#include "clipboard/WaylandDragTarget.h"
#include "clipboard/WaylandOffer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include "primary-selection-client.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

WaylandSelection *watcher = nullptr;

wl_display *toolkitDisplay()
{
    QPlatformNativeInterface *const native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display"))
                  : nullptr;
}

// The offers a device has been shown, each with what it offers, and which of them is the
// selection. Every offer is let go once it is no longer the selection, nor a drag's.
template<typename Offer>
class Offers
{
public:
    using Destroy = void (*)(Offer *);

    Offers(const char *selectionName, Destroy destroy)
        : m_selectionName(selectionName)
        , m_destroy(destroy)
    {}
    ~Offers()
    {
        for (const auto &offer : m_shown)
            m_destroy(offer.first);
        if (m_selection)
            m_destroy(m_selection);
    }
    Offers(const Offers &) = delete;
    Offers &operator=(const Offers &) = delete;

    void add(Offer *offer) { m_shown[offer]; }
    void addType(Offer *offer, const char *type)
    {
        if (WaylandOffer *shown = find(offer))
            shown->types.append(QByteArray(type));
    }
    WaylandOffer *find(Offer *offer)
    {
        const auto shown = m_shown.find(offer);
        return shown == m_shown.end() ? nullptr : &shown->second;
    }
    // Hands an offer over to whoever takes it, a drag, with what it offers.
    WaylandOffer take(Offer *offer)
    {
        const auto shown = m_shown.find(offer);
        if (shown == m_shown.end())
            return {};
        WaylandOffer taken = std::move(shown->second);
        m_shown.erase(shown);
        return taken;
    }
    // The new selection, or nullptr when nobody holds it; every other offer shown so far is
    // past use.
    void select(Offer *offer)
    {
        m_announced = true;
        if (offer && offer == m_selection)
            return;
        if (m_selection)
            m_destroy(m_selection);
        m_selection = offer;
        m_selectionShown = offer ? take(offer) : WaylandOffer();
        qCDebug(clipboardLog, "the compositor shows %s %s%s%s", offer ? "a" : "no", m_selectionName,
                offer ? " as " : "", m_selectionShown.types.join(", ").constData());
        for (const auto &stale : m_shown)
            m_destroy(stale.first);
        m_shown.clear();
    }

    bool announced() const { return m_announced; }
    Offer *selection() const { return m_selection; }
    const WaylandOffer &selectionShown() const { return m_selectionShown; }

private:
    const char *const m_selectionName;
    const Destroy m_destroy;
    std::map<Offer *, WaylandOffer> m_shown;
    Offer *m_selection = nullptr;
    WaylandOffer m_selectionShown;
    bool m_announced = false;
};

template<typename Offer>
std::optional<SelectionText::Result>
readSelection(wl_display *display, const Offers<Offer> &offers,
              void (*receive)(Offer *, const char *, int32_t), qsizetype characterLimit,
              SelectionText::Patience patience, const std::function<void()> &whileWaiting)
{
    if (!offers.announced())
        return std::nullopt;
    Offer *const selection = offers.selection();
    if (!selection)
        return SelectionText::Result{SelectionText::Outcome::NoOwner, {}};
    const char *const type = offers.selectionShown().textType();
    if (!type)
        return SelectionText::Result{SelectionText::Outcome::NoText, {}};
    SelectionText::Result read = readOfferedText(
        display, type,
        [selection, receive](const char *textType, int writeEnd) {
            receive(selection, textType, writeEnd);
        },
        characterLimit, patience, whileWaiting);
    // weston passes on only the last offer it made of a selection, the toolkit's, and closes the
    // pipe of any other at once: an empty text may be one the toolkit can still read.
    if (read.outcome == SelectionText::Outcome::Text && read.text.isEmpty())
        return std::nullopt;
    return read;
}

void destroyOffer(wl_data_offer *offer)
{
    wl_data_offer_destroy(offer);
}

void destroyPrimaryOffer(zwp_primary_selection_offer_v1 *offer)
{
    zwp_primary_selection_offer_v1_destroy(offer);
}

void receiveOffer(wl_data_offer *offer, const char *type, int32_t writeEnd)
{
    wl_data_offer_receive(offer, type, writeEnd);
}

void receivePrimaryOffer(zwp_primary_selection_offer_v1 *offer, const char *type, int32_t writeEnd)
{
    zwp_primary_selection_offer_v1_receive(offer, type, writeEnd);
}

} // namespace

// The globals bound, the two devices, and what the compositor has shown them. Everything lives
// on the toolkit's own queue, so that the toolkit dispatches its events with its own.
class WaylandSelection::Devices
{
public:
    explicit Devices(wl_display *display)
        : m_display(display)
        , m_registry(wl_display_get_registry(display))
        , m_dragTarget(display)
    {
        wl_registry_add_listener(m_registry, &registryListener, this);
    }

    ~Devices()
    {
        m_clipboardOffers.reset();
        m_primaryOffers.reset();
        if (m_clipboardDevice) {
            if (wl_data_device_get_version(m_clipboardDevice)
                >= WL_DATA_DEVICE_RELEASE_SINCE_VERSION)
                wl_data_device_release(m_clipboardDevice);
            else
                wl_data_device_destroy(m_clipboardDevice);
        }
        if (m_primaryDevice)
            zwp_primary_selection_device_v1_destroy(m_primaryDevice);
        if (m_clipboardManager)
            wl_data_device_manager_destroy(m_clipboardManager);
        if (m_primaryManager)
            zwp_primary_selection_device_manager_v1_destroy(m_primaryManager);
        if (m_seat)
            wl_seat_destroy(m_seat);
        wl_registry_destroy(m_registry);
    }

    Devices(const Devices &) = delete;
    Devices &operator=(const Devices &) = delete;

    std::optional<Result> readText(SelectionName selection, qsizetype characterLimit,
                                   Patience patience, const std::function<void()> &whileWaiting)
    {
        if (selection == SelectionName::Primary) {
            if (!m_primaryOffers)
                return std::nullopt;
            return readSelection(m_display, *m_primaryOffers, receivePrimaryOffer, characterLimit,
                                 patience, whileWaiting);
        }
        if (!m_clipboardOffers)
            return std::nullopt;
        return readSelection(m_display, *m_clipboardOffers, receiveOffer, characterLimit, patience,
                             whileWaiting);
    }

    WaylandDragTarget &dragTarget() { return m_dragTarget; }

private:
    void bindGlobal(uint32_t name, const char *interface, uint32_t version)
    {
        if (!m_seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
            // The first seat, as the toolkit takes: the one whose keyboard focus brings the
            // selection.
            m_seat
                = static_cast<wl_seat *>(wl_registry_bind(m_registry, name, &wl_seat_interface, 1));
        } else if (!m_clipboardManager
                   && std::strcmp(interface, wl_data_device_manager_interface.name) == 0) {
            m_clipboardManager = static_cast<wl_data_device_manager *>(wl_registry_bind(
                m_registry, name, &wl_data_device_manager_interface, std::min(version, 3u)));
        } else if (!m_primaryManager
                   && std::strcmp(interface, zwp_primary_selection_device_manager_v1_interface.name)
                          == 0) {
            m_primaryManager
                = static_cast<zwp_primary_selection_device_manager_v1 *>(wl_registry_bind(
                    m_registry, name, &zwp_primary_selection_device_manager_v1_interface, 1));
        }
        startDevices();
    }

    void startDevices()
    {
        if (!m_seat)
            return;
        if (m_clipboardManager && !m_clipboardDevice) {
            m_clipboardOffers = std::make_unique<Offers<wl_data_offer>>("clipboard", destroyOffer);
            m_clipboardDevice = wl_data_device_manager_get_data_device(m_clipboardManager, m_seat);
            wl_data_device_add_listener(m_clipboardDevice, &clipboardListener, this);
        }
        if (m_primaryManager && !m_primaryDevice) {
            m_primaryOffers = std::make_unique<Offers<zwp_primary_selection_offer_v1>>(
                "primary selection", destroyPrimaryOffer);
            m_primaryDevice
                = zwp_primary_selection_device_manager_v1_get_device(m_primaryManager, m_seat);
            zwp_primary_selection_device_v1_add_listener(m_primaryDevice, &primaryListener, this);
        }
    }

    void showOffer(wl_data_offer *offer)
    {
        m_clipboardOffers->add(offer);
        wl_data_offer_add_listener(offer, &offerListener, this);
    }

    void takeSourceActions(wl_data_offer *offer, uint32_t actions)
    {
        if (WaylandOffer *shown = m_clipboardOffers->find(offer))
            shown->sourceActions = actions;
        m_dragTarget.takeSourceActions(offer, actions);
    }

    void enterDrag(uint32_t serial, wl_surface *surface, QPointF position, wl_data_offer *offer)
    {
        if (!offer || !surface)
            return;
        m_dragTarget.enter(offer, m_clipboardOffers->take(offer), serial, surface, position);
    }

    void showPrimaryOffer(zwp_primary_selection_offer_v1 *offer)
    {
        m_primaryOffers->add(offer);
        zwp_primary_selection_offer_v1_add_listener(offer, &primaryOfferListener, this);
    }

    static Devices *of(void *data) { return static_cast<Devices *>(data); }

    static const wl_registry_listener registryListener;
    static const wl_data_device_listener clipboardListener;
    static const wl_data_offer_listener offerListener;
    static const zwp_primary_selection_device_v1_listener primaryListener;
    static const zwp_primary_selection_offer_v1_listener primaryOfferListener;

    wl_display *const m_display;
    wl_registry *const m_registry;
    wl_seat *m_seat = nullptr;
    wl_data_device_manager *m_clipboardManager = nullptr;
    zwp_primary_selection_device_manager_v1 *m_primaryManager = nullptr;
    wl_data_device *m_clipboardDevice = nullptr;
    zwp_primary_selection_device_v1 *m_primaryDevice = nullptr;
    std::unique_ptr<Offers<wl_data_offer>> m_clipboardOffers;
    std::unique_ptr<Offers<zwp_primary_selection_offer_v1>> m_primaryOffers;
    WaylandDragTarget m_dragTarget;
};

// The listeners hand each event to the devices that asked for it.
const wl_registry_listener WaylandSelection::Devices::registryListener = {
    .global = [](void *data, wl_registry *, uint32_t name, const char *interface,
                 uint32_t version) { of(data)->bindGlobal(name, interface, version); },
    .global_remove = [](void *, wl_registry *, uint32_t) {},
};
const wl_data_device_listener WaylandSelection::Devices::clipboardListener = {
    .data_offer
    = [](void *data, wl_data_device *, wl_data_offer *offer) { of(data)->showOffer(offer); },
    .enter =
        [](void *data, wl_data_device *, uint32_t serial, wl_surface *surface, wl_fixed_t x,
           wl_fixed_t y, wl_data_offer *offer) {
            of(data)->enterDrag(serial, surface,
                                QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y)), offer);
        },
    .leave = [](void *data, wl_data_device *) { of(data)->m_dragTarget.leave(); },
    .motion =
        [](void *data, wl_data_device *, uint32_t, wl_fixed_t x, wl_fixed_t y) {
            of(data)->m_dragTarget.move(QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y)));
        },
    .drop = [](void *data, wl_data_device *) { of(data)->m_dragTarget.drop(); },
    .selection = [](void *data, wl_data_device *,
                    wl_data_offer *offer) { of(data)->m_clipboardOffers->select(offer); },
};
const wl_data_offer_listener WaylandSelection::Devices::offerListener = {
    .offer = [](void *data, wl_data_offer *offer,
                const char *type) { of(data)->m_clipboardOffers->addType(offer, type); },
    .source_actions = [](void *data, wl_data_offer *offer,
                         uint32_t actions) { of(data)->takeSourceActions(offer, actions); },
    .action = [](void *, wl_data_offer *, uint32_t) {},
};
const zwp_primary_selection_device_v1_listener WaylandSelection::Devices::primaryListener = {
    .data_offer = [](void *data, zwp_primary_selection_device_v1 *,
                     zwp_primary_selection_offer_v1 *offer) { of(data)->showPrimaryOffer(offer); },
    .selection
    = [](void *data, zwp_primary_selection_device_v1 *,
         zwp_primary_selection_offer_v1 *offer) { of(data)->m_primaryOffers->select(offer); },
};
const zwp_primary_selection_offer_v1_listener WaylandSelection::Devices::primaryOfferListener = {
    .offer = [](void *data, zwp_primary_selection_offer_v1 *offer,
                const char *type) { of(data)->m_primaryOffers->addType(offer, type); },
};

void WaylandSelection::watch()
{
    if (watcher)
        return;
    wl_display *const display = toolkitDisplay();
    if (!display)
        return;
    watcher = new WaylandSelection(std::make_unique<Devices>(display));
    // Let go while the toolkit's connection is still open.
    qAddPostRoutine([] {
        delete watcher;
        watcher = nullptr;
    });
}

WaylandSelection *WaylandSelection::watching()
{
    return watcher;
}

WaylandSelection::WaylandSelection(std::unique_ptr<Devices> devices)
    : m_devices(std::move(devices))
{}

WaylandSelection::~WaylandSelection() = default;

std::optional<WaylandSelection::Result>
WaylandSelection::readText(SelectionName selection, qsizetype characterLimit, Patience patience,
                           const std::function<void()> &whileWaiting)
{
    return m_devices->readText(selection, characterLimit, patience, whileWaiting);
}

std::optional<WaylandSelection::Result>
WaylandSelection::readDropped(qsizetype characterLimit, Patience patience,
                              const std::function<void()> &whileWaiting)
{
    return m_devices->dragTarget().readDropped(characterLimit, patience, whileWaiting);
}
