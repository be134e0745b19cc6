#include "widgets/Desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace krm::gui {

namespace {

// A compositing manager owns the selection _NET_WM_CM_S<screen> of the screen it composites.
bool x11Composites() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return false;
    const std::string name = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom) return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}

} // namespace

bool desktopComposites() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) return x11Composites();
    return platform.startsWith(QLatin1String("wayland"));
}

bool programPlacesWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QRect onScreenPart(const QWidget* window) {
    const QRect whole = window->rect();
    const QScreen* screen = window->screen();
    // Under Wayland a window does not know where it is: all of it counts.
    if (!screen || !window->isVisible() || !programPlacesWindows()) return whole;
    const QRect area = screen->availableGeometry();
    const QRect shown = QRect(window->mapFromGlobal(area.topLeft()), area.size()) & whole;
    return shown.isEmpty() ? whole : shown;
}

void placeOver(QWidget* dialog, const QWidget* over) {
    if (!over) return;
    const QRect o = over->frameGeometry();
    QRect at(
        QPoint(o.left() + (o.width() - dialog->width()) / 2, o.top() + (o.height() - dialog->height()) / 2),
        dialog->size());
    if (const QScreen* screen = over->screen()) {
        const QRect area = screen->availableGeometry();
        at.moveRight(std::min(at.right(), area.right()));
        at.moveBottom(std::min(at.bottom(), area.bottom()));
        at.moveLeft(std::max(at.left(), area.left()));
        at.moveTop(std::max(at.top(), area.top()));
    }
    dialog->move(at.topLeft());
}

} // namespace krm::gui
