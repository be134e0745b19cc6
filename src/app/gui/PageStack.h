#pragma once

#include "session/Session.h"
#include "shell/SkinLayout.h"

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

class QLabel;

namespace krm::gui {

// A full-page transparent label over a user page: it swallows clicks while no configuration image has
// been read (a press still drags the window) and dims the page picture so the state shows.
class CoverLabel : public QWidget {
public:
    CoverLabel(QWidget* page, QLabel* pagePicture);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QLabel* picture_;
    qint64 veilOf_ = 0; // cache key of the picture the veil was made for
    QImage veil_;       // the picture's coverage only, a byte a pixel
};

// The engineering container until its editors exist: a plain panel with the page's caption.
class EngineeringPanel : public QWidget {
public:
    explicit EngineeringPanel(QWidget* parent);
    void setCaption(const QString& caption, const QString& fontFamily);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString caption_;
    QString fontFamily_;
};

// The seven page containers: gbPage1 key page (all three profiles), gbPage2 performance, gbPage3
// lighting, gbPage4 macro, gbPage5 update, gbPage6 gun and gbPage7 engineering. Pages 1 to 6 lie on the
// look's background (Img_Base_n) with their page picture (Img_Pn); pages 1 to 5 carry a cover label.
// A page's pictures are decoded when the page is first shown in a look.
class PageStack {
public:
    static constexpr int kContainers = 7;
    static constexpr int kCovered = 5;
    static constexpr QSize kEngineeringSize{1256, 680};

    // Creates the containers, sized to the window, all hidden.
    PageStack(QWidget* window, const QPixmap& startBackground);

    static int containerOf(Page page);
    QWidget* container(int n) const { return containers_[static_cast<std::size_t>(n - 1)]; }
    QLabel* pagePicture(int n) const { return pictures_[static_cast<std::size_t>(n - 1)]; }

    // Positions of the page pictures and the look's pictures; a page takes its pictures of the look when it
    // is shown next.
    void applySkin(const SkinLayout& layout, int look);
    // Shows container n and hides the others.
    void show(int n);
    int shown() const { return shown_; }

    void createCovers();
    void setCovered(bool covered);
    bool covered() const;
    // Keeps the covers above whatever a page's editors put on the page.
    void raiseCovers();

private:
    void loadPictures(int n);

    std::array<QWidget*, kContainers> containers_{};
    std::array<QLabel*, 6> bases_{};
    std::array<QLabel*, 6> pictures_{};
    std::array<CoverLabel*, kCovered> covers_{};
    std::array<QString, 6> pictureNames_;
    std::array<int, 6> loadedLook_{};
    QString backgroundName_ = QStringLiteral("L1_BackGround");
    int look_ = 1;
    int shown_ = 0;
};

} // namespace krm::gui
