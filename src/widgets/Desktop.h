#pragma once

#include <QRect>

class QWidget;

namespace krm::gui {

// Whether a compositor blends translucent windows onto the desktop. On X11 without one, a translucent
// window's clear pixels show black and its shape is ignored, so windows that are not rectangles draw an
// opaque background and cut themselves to shape instead. Wayland always composites.
bool desktopComposites();

// Whether the program places its own top-level windows. A Wayland compositor places every window
// itself (a move() is ignored), so what must sit at a place over the main window is drawn inside it.
bool programPlacesWindows();

// The part of `window` that lies on the screen it is on (that screen's area for windows), in the
// window's own coordinates: where its menus and pop-ups can open and be seen. The whole window when it
// is on no screen.
QRect onScreenPart(const QWidget* window);

// Puts a dialog centred over `over` (the main window), then moves it as little as needed to lie wholly
// on the screen `over` is on. (A Wayland compositor places dialogs itself.)
void placeOver(QWidget* dialog, const QWidget* over);

} // namespace krm::gui
