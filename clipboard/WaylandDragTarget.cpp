// SPDX-License-Identifier: GPL-3.0-or-later
#include "clipboard/WaylandDragTarget.h"

#include "clipboard/ClipboardLog.h"

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformdrag.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <QtGui/qpa/qplatformnativeinterface.h>
#include <QtGui/qpa/qwindowsysteminterface.h>

#include <wayland-client.h>

namespace {

constexpr uint32_t CopyOrMove
    = WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY | WL_DATA_DEVICE_MANAGER_DND_ACTION_MOVE;

QWindow *windowOf(wl_surface *surface)
{
    QPlatformNativeInterface *const native = QGuiApplication::platformNativeInterface();
    const QList<QWindow *> windows = QGuiApplication::allWindows();
    for (QWindow *window : windows) {
        if (window->handle() && native->nativeResourceForWindow("surface", window) == surface)
            return window;
    }
    return nullptr;
}

// The program's own drag under way: its data is at hand, and the toolkit's drag waits for the
// compositor's word on how it ended.
QDrag *ownDrag()
{
    QPlatformDrag *const drag = QGuiApplicationPrivate::platformIntegration()->drag();
    return drag ? drag->currentDrag() : nullptr;
}

Qt::DropActions toQt(uint32_t actions)
{
    Qt::DropActions qtActions;
    if (actions & WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY)
        qtActions |= Qt::CopyAction;
    if (actions & WL_DATA_DEVICE_MANAGER_DND_ACTION_MOVE)
        qtActions |= Qt::MoveAction;
    return qtActions;
}

uint32_t toWayland(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction:
        return WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY;
    case Qt::MoveAction:
        return WL_DATA_DEVICE_MANAGER_DND_ACTION_MOVE;
    default:
        return WL_DATA_DEVICE_MANAGER_DND_ACTION_NONE;
    }
}

} // namespace

// The data of another program's drag as the widgets see it: its types, and never its text, which
// only the widget that takes the drop reads, in bounded pieces, through readDropped.
class WaylandDragTarget::DropData : public QMimeData
{
public:
    explicit DropData(const WaylandOffer &shown)
    {
        for (const QByteArray &type : shown.types)
            m_formats.append(QString::fromUtf8(type));
        if (shown.textType() && !m_formats.contains(u"text/plain"))
            m_formats.append(QStringLiteral("text/plain"));
    }

    QStringList formats() const override { return m_formats; }

protected:
    QVariant retrieveData(const QString &, QMetaType) const override { return {}; }

private:
    QStringList m_formats;
};

WaylandDragTarget::WaylandDragTarget(wl_display *display)
    : m_display(display)
{}

WaylandDragTarget::~WaylandDragTarget()
{
    forgetDrag();
}

void WaylandDragTarget::enter(wl_data_offer *offer, const WaylandOffer &shown, uint32_t serial,
                              wl_surface *surface, QPointF position)
{
    forgetDrag();
    m_offer = offer;
    m_shown = shown;
    m_data = std::make_unique<DropData>(shown);
    m_serial = serial;
    m_window = windowOf(surface);
    m_position = position;
    qCDebug(clipboardLog, "a drag came onto a window%s", m_window ? "" : " not the program's");
    offerToWidgets();
}

void WaylandDragTarget::move(QPointF position)
{
    m_position = position;
    if (m_offer)
        offerToWidgets();
}

void WaylandDragTarget::leave()
{
    // A drop in progress ends it itself; the compositor may say the drag left while the dropped
    // text is still being read.
    if (m_dropping)
        return;
    if (m_offer && m_window) {
        QWindowSystemInterface::handleDrag(m_window, nullptr, QPoint(), Qt::IgnoreAction,
                                           QGuiApplication::mouseButtons(),
                                           QGuiApplication::keyboardModifiers());
    }
    forgetDrag();
}

void WaylandDragTarget::drop()
{
    if (!m_offer || !m_window) {
        forgetDrag();
        return;
    }
    m_dropping = true;
    const QPlatformDropQtResponse response = QWindowSystemInterface::handleDrop(
        m_window, dragData(), windowPosition(), sourceActions(), QGuiApplication::mouseButtons(),
        QGuiApplication::keyboardModifiers());
    m_dropping = false;
    qCDebug(clipboardLog, "a drag was dropped: %s", response.isAccepted() ? "taken" : "refused");
    // A refused drop is not finished: its source then hears it was cancelled, and keeps its text.
    if (m_offer && response.isAccepted()
        && wl_data_offer_get_version(m_offer) >= WL_DATA_OFFER_FINISH_SINCE_VERSION) {
        answer(true, response.acceptedAction());
        wl_data_offer_finish(m_offer);
    }
    forgetDrag();
}

void WaylandDragTarget::takeSourceActions(wl_data_offer *offer, uint32_t actions)
{
    if (offer == m_offer)
        m_shown.sourceActions = actions;
}

std::optional<SelectionText::Result>
WaylandDragTarget::readDropped(qsizetype characterLimit, SelectionText::Patience patience,
                               const std::function<void()> &whileWaiting)
{
    if (!m_dropping || !m_offer || ownDrag())
        return std::nullopt;
    const char *const type = m_shown.textType();
    if (!type)
        return SelectionText::Result{SelectionText::Outcome::NoText, {}};
    wl_data_offer *const offer = m_offer;
    return readOfferedText(
        m_display, type,
        [offer](const char *textType, int writeEnd) {
            wl_data_offer_receive(offer, textType, writeEnd);
        },
        characterLimit, patience, whileWaiting);
}

void WaylandDragTarget::offerToWidgets()
{
    if (!m_window) {
        answer(false, Qt::IgnoreAction);
        return;
    }
    const QPlatformDragQtResponse response = QWindowSystemInterface::handleDrag(
        m_window, dragData(), windowPosition(), sourceActions(), QGuiApplication::mouseButtons(),
        QGuiApplication::keyboardModifiers());
    answer(response.isAccepted(), response.acceptedAction());
}

// Tells the compositor whether the drop would be taken here, in which type, and by which action.
void WaylandDragTarget::answer(bool accepted, Qt::DropAction action)
{
    const char *type = m_shown.textType();
    if (!type && !m_shown.types.isEmpty())
        type = m_shown.types.constFirst().constData();
    wl_data_offer_accept(m_offer, m_serial, accepted ? type : nullptr);
    if (wl_data_offer_get_version(m_offer) < WL_DATA_OFFER_SET_ACTIONS_SINCE_VERSION)
        return;
    const uint32_t allowed = accepted ? m_shown.sourceActions & CopyOrMove : 0;
    // The preferred action must be one of those allowed.
    uint32_t preferred = toWayland(action) & allowed;
    if (!preferred && allowed)
        preferred = allowed & WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY
                        ? WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY
                        : WL_DATA_DEVICE_MANAGER_DND_ACTION_MOVE;
    wl_data_offer_set_actions(m_offer, allowed, preferred);
}

void WaylandDragTarget::forgetDrag()
{
    if (m_offer)
        wl_data_offer_destroy(m_offer);
    m_offer = nullptr;
    m_shown = {};
    m_data.reset();
    m_window = nullptr;
}

Qt::DropActions WaylandDragTarget::sourceActions() const
{
    if (const QDrag *drag = ownDrag())
        return drag->supportedActions();
    if (wl_data_offer_get_version(m_offer) < WL_DATA_OFFER_SOURCE_ACTIONS_SINCE_VERSION)
        return Qt::CopyAction;
    return toQt(m_shown.sourceActions);
}

const QMimeData *WaylandDragTarget::dragData() const
{
    if (const QDrag *drag = ownDrag())
        return drag->mimeData();
    return m_data.get();
}

// The toolkit's windows draw their own frame inside the surface.
QPoint WaylandDragTarget::windowPosition() const
{
    const QMargins frame = m_window ? m_window->frameMargins() : QMargins();
    return QPoint(int(m_position.x()) - frame.left(), int(m_position.y()) - frame.top());
}
