#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace krm::gui {

// The busy window: borderless, top-most, 206 x 196, showing only its animation while reports go out
// (on Wayland, where a client cannot place a window, it is drawn inside the main window instead).
// Created hidden at start and afterwards only placed, shown and hidden.
class BusyWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 206;
    static constexpr int kHeight = 196;

    explicit BusyWindow(QWidget* mainWindow);

    // Centre over the main window (extraTop pixels lower; 40 at creation).
    void placeOverMainWindow(int extraTop = 0);
    int frame() const { return frame_; }
    // The window's shape: where any frame of the animation draws. With a compositor the window is
    // translucent; without one an X server would show its clear pixels black (and ignore a translucent
    // window's shape), so it is cut to this shape instead, as the other windows are cut to their colour
    // key.
    QRegion shape() const;

protected:
    void paintEvent(QPaintEvent*) override;
    // Draws frame n of the animation (the picture, or the drawn spinner when there is none).
    void drawFrame(QPainter& p, int n) const;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    QWidget* mainWindow_;
    QTimer animation_;
    // The animation's pictures WaitGif_01, WaitGif_02, ... (none: the drawn spinner). Only the frame on
    // screen is kept decoded: a dozen decoded frames would hold 1.8 MB for a window seldom shown.
    int pictureCount() const;
    QPixmap picture(int n) const;
    int frameCount() const { return pictureCount() > 0 ? pictureCount() : 12; }

    mutable int pictureCount_ = -1; // not counted yet
    mutable int shownPicture_ = -1;
    mutable QPixmap shown_;
    int frame_ = 0;
};

} // namespace krm::gui
