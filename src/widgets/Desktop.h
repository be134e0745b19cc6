#pragma once

namespace krm::gui {

// Whether a compositor blends translucent windows onto the desktop. On X11 without one, a translucent
// window's clear pixels show black and its shape is ignored, so windows that are not rectangles draw an
// opaque background and cut themselves to shape instead. Wayland always composites.
bool desktopComposites();

} // namespace krm::gui
