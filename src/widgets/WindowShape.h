#pragma once

#include <QBitmap>

class QWidget;

namespace krm::gui {

// How a borderless top-level window takes the shape of its pictures.
enum class ShapeMethod {
    Mask,       // the display server cuts the window to its mask (X11's shape extension)
    ClearPixels // the server shows every pixel of the window and takes the mask as the input region
                // only (every Wayland compositor): the window is translucent and clears what lies
                // outside the mask itself
};

// The method the running platform needs.
ShapeMethod platformShapeMethod();

// Gives `window` the shape of `mask` (a null mask makes it a rectangle again). Call it before the
// window is first shown and again whenever the mask or the window's size changes. With ClearPixels a
// child widget, kept above the window's other children by this call, clears the pixels outside the
// mask after everything else has been drawn.
void setWindowShape(QWidget* window, const QBitmap& mask, ShapeMethod method = platformShapeMethod());

} // namespace krm::gui
