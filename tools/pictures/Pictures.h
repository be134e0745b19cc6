#pragma once

#include "Canvas.h"

#include "base/IniFile.h"

namespace krm::pictures {

// Buttons, boxes, bars, gun pictures and dialog backgrounds shared by the three looks.
void drawSharedPictures(PictureSet& out);
// Background and page pictures of one look ("L1_BackGround", "L1_Back1" .. "L1_Back5"); the key page
// follows the key labels of the look's skin in `skinDirectory`.
void drawLookPictures(int look, const QString& skinDirectory, PictureSet& out);
// The frames of the busy animation, "WaitGif_01" ...
void drawBusyFrames(PictureSet& out);
// The application icon, `size` pixels square (the painter's device may be larger: it draws from 0,0).
void drawAppIcon(QPainter& p, int size);

// One picture showing every picture with its name and size.
QImage contactSheet(const PictureSet& pictures);
// Renders the pages and dialogs of each look with placeholder captions, for checking the layout by eye.
void writePreviews(const PictureSet& pictures, const QString& skinDirectory, const QString& directory);

// The skin of a look, read from `skinDirectory` ("orgN.ini"); empty when unreadable.
IniFile readSkin(const QString& skinDirectory, int look);

} // namespace krm::pictures
