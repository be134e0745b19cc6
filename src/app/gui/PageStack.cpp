#include "app/gui/PageStack.h"

#include "shell/SkinPictures.h"
#include "widgets/QtImages.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace krm::gui {

CoverLabel::CoverLabel(QWidget* page, QLabel* pagePicture) : QWidget(page), picture_(pagePicture) {}

void CoverLabel::paintEvent(QPaintEvent*) {
    // A dark veil in the shape of the page picture: its coverage at 150/255, drawn in black (an
    // alpha-only image draws black).
    const QPixmap picture = picture_->pixmap();
    if (picture.isNull() || picture_->isHidden()) return;
    if (veilOf_ != picture.cacheKey()) {
        veilOf_ = picture.cacheKey();
        veil_ = picture.toImage().convertToFormat(QImage::Format_Alpha8);
        for (int y = 0; y < veil_.height(); ++y) {
            uchar* line = veil_.scanLine(y);
            for (int x = 0; x < veil_.width(); ++x) line[x] = static_cast<uchar>(line[x] * 150 / 255);
        }
    }
    QPainter p(this);
    p.drawImage(picture_->geometry(), veil_);
}

// Controls under the cover get nothing; the press goes on to the window, which drags itself.
void CoverLabel::mousePressEvent(QMouseEvent* e) {
    e->ignore();
}
void CoverLabel::mouseReleaseEvent(QMouseEvent* e) {
    e->ignore();
}
void CoverLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    e->accept();
}

EngineeringPanel::EngineeringPanel(QWidget* parent) : QWidget(parent) {}

void EngineeringPanel::setCaption(const QString& caption, const QString& fontFamily) {
    caption_ = caption;
    fontFamily_ = fontFamily;
    update();
}

void EngineeringPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(14, 16, 20));
    p.setPen(QColor(40, 46, 56));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.drawLine(152, 57, 152, height() - 1);
    p.drawLine(0, 57, width() - 1, 57);
    QFont font(fontFamily_);
    font.setPointSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(226, 231, 238));
    p.drawText(QRect(172, 0, width() - 400, 57), Qt::AlignVCenter | Qt::AlignLeft, caption_);
}

PageStack::PageStack(QWidget* window, const QPixmap& startBackground) {
    for (int n = 1; n <= kContainers; ++n) {
        QWidget* page = n == kContainers ? new EngineeringPanel(window) : new QWidget(window);
        page->setObjectName(QStringLiteral("gbPage%1").arg(n));
        page->setGeometry(QRect(QPoint(0, 0), n == kContainers ? kEngineeringSize : window->size()));
        page->hide();
        containers_[static_cast<std::size_t>(n - 1)] = page;
        if (n == kContainers) break;
        auto* base = new QLabel(page);
        base->setObjectName(QStringLiteral("Img_Base_%1").arg(n));
        base->setAttribute(Qt::WA_TransparentForMouseEvents);
        base->setGeometry(0, 0, window->width(), window->height());
        base->setPixmap(startBackground);
        auto* picture = new QLabel(page);
        picture->setObjectName(QStringLiteral("Img_P%1").arg(n));
        picture->setAttribute(Qt::WA_TransparentForMouseEvents);
        picture->setScaledContents(true);
        bases_[static_cast<std::size_t>(n - 1)] = base;
        pictures_[static_cast<std::size_t>(n - 1)] = picture;
    }
}

int PageStack::containerOf(Page page) {
    switch (page) {
    case Page::Profile1:
    case Page::Profile2:
    case Page::Profile3:
        return 1;
    case Page::Performance:
        return 2;
    case Page::Lighting:
        return 3;
    case Page::Macro:
        return 4;
    case Page::Update:
        return 5;
    case Page::Gun:
        return 6;
    case Page::Engineering:
        return 7;
    }
    return 1;
}

void PageStack::applySkin(const SkinLayout& layout, int look) {
    look_ = look;
    backgroundName_ = QString::fromStdString(lookPicture(look, "BackGround"));
    for (int n = 1; n <= 6; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const Placement* p = layout.find("Img_P" + std::to_string(n));
        if (!p) continue;
        pictures_[i]->setGeometry(p->x, p->y, p->width, p->height);
        pictures_[i]->setVisible(p->visible);
        pictureNames_[i] = QString::fromStdString(p->picture);
    }
}

void PageStack::loadPictures(int n) {
    const auto i = static_cast<std::size_t>(n - 1);
    if (loadedLook_[i] == look_) return;
    loadedLook_[i] = look_;
    bases_[i]->setPixmap(resourcePixmap(backgroundName_));
    if (!pictureNames_[i].isEmpty()) pictures_[i]->setPixmap(resourcePixmap(pictureNames_[i]));
}

void PageStack::show(int n) {
    if (n >= 1 && n <= 6) loadPictures(n);
    for (int k = 1; k <= kContainers; ++k)
        if (k != n) container(k)->hide();
    container(n)->show();
    shown_ = n;
}

void PageStack::createCovers() {
    for (int n = 1; n <= kCovered; ++n) {
        auto* cover = new CoverLabel(container(n), pictures_[static_cast<std::size_t>(n - 1)]);
        cover->setObjectName(QStringLiteral("Disable_All_%1").arg(n));
        cover->setGeometry(container(n)->rect());
        cover->show();
        covers_[static_cast<std::size_t>(n - 1)] = cover;
    }
}

void PageStack::setCovered(bool covered) {
    for (CoverLabel* c : covers_) {
        if (!c) continue;
        c->setVisible(covered);
        if (covered) c->raise();
    }
}

bool PageStack::covered() const {
    return covers_[0] && !covers_[0]->isHidden();
}

void PageStack::raiseCovers() {
    for (CoverLabel* c : covers_)
        if (c) c->raise();
}

} // namespace krm::gui
