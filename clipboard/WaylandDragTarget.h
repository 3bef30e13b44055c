// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clipboard/WaylandOffer.h"

#include <QPointF>
#include <QPointer>
#include <QWindow>

#include <memory>
#include <optional>

class QMimeData;
class QPlatformDragQtResponse;
struct wl_data_offer;
struct wl_display;
struct wl_surface;

// The drags the compositor brings onto the program's windows through the program's own data
// device, handed to the widgets as the toolkit's own device hands them. A compositor sends a
// client's drags to one of its devices only, and the toolkit's device would read a dropped text
// whole; here the widget that takes the drop reads it in bounded pieces.
class WaylandDragTarget
{
public:
    explicit WaylandDragTarget(wl_display *display);
    ~WaylandDragTarget();

    WaylandDragTarget(const WaylandDragTarget &) = delete;
    WaylandDragTarget &operator=(const WaylandDragTarget &) = delete;

    // A drag came onto the surface at the position (in its own coordinates), offering what
    // shown lists; the offer is the target's until the drag leaves or is dropped.
    void enter(wl_data_offer *offer, const WaylandOffer &shown, uint32_t serial,
               wl_surface *surface, QPointF position);
    void move(QPointF position);
    void leave();
    void drop();
    void takeSourceActions(wl_data_offer *offer, uint32_t actions);

    // The text of another program's drag while it is being dropped; nothing at any other time,
    // nor for the program's own drags, whose text is at hand.
    std::optional<SelectionText::Result> readDropped(qsizetype characterLimit,
                                                     SelectionText::Patience patience,
                                                     const std::function<void()> &whileWaiting);

private:
    class DropData;

    void offerToWidgets();
    void answer(bool accepted, Qt::DropAction action);
    void forgetDrag();
    Qt::DropActions sourceActions() const;
    const QMimeData *dragData() const;
    QPoint windowPosition() const;

    wl_display *const m_display;
    wl_data_offer *m_offer = nullptr;
    WaylandOffer m_shown;
    std::unique_ptr<DropData> m_data;
    uint32_t m_serial = 0;
    QPointer<QWindow> m_window;
    QPointF m_position;
    bool m_dropping = false;
};
