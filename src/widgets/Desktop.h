#pragma once

namespace krm::gui {

// Whether a compositor blends translucent windows onto the desktop. On X11 without one, a translucent
// window's clear pixels show black and its shape is ignored, so windows that are not rectangles draw an
// opaque background and cut themselves to shape instead. Wayland always composites.
bool desktopComposites();

// Whether the program places its own top-level windows. A Wayland compositor places every window
// itself (a move() is ignored), so what must sit at a place over the main window is drawn inside it.
bool programPlacesWindows();

} // namespace krm::gui
