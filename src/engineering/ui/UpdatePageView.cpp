#include "engineering/ui/UpdatePageView.h"

#include "widgets/ClickLabel.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QGraphicsOpacityEffect>
#include <QLabel>

namespace krm::gui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

UpdatePageView::UpdatePageView(const PageContext& context, std::unique_ptr<ImageOperations> operations)
    : context_(context), operations_(std::move(operations)) {
    QWidget* page = context_.container;
    caption_ = new QLabel(page);
    caption_->setObjectName(QStringLiteral("lbl_LoadBin"));
    path_ = new QLabel(page);
    path_->setObjectName(QStringLiteral("lbl_BINPath"));
    placed_ = {{caption_, "lbl_LoadBin"}, {path_, "lbl_BINPath"}};
    loadLabel_ = makeButton(QStringLiteral("LoadBIN"), QStringLiteral("Btn_LoadBIN"), loadPicture_);
    programLabel_ = makeButton(QStringLiteral("Program"), QStringLiteral("Btn_Program"), programPicture_);
    connect(loadLabel_, &ClickLabel::clicked, this, &UpdatePageView::loadBin);
    connect(programLabel_, &ClickLabel::clicked, this, &UpdatePageView::program);

    QWidget* window = context_.window;
    choose_ = [window]() -> std::optional<std::string> {
        const QString file = QFileDialog::getOpenFileName(window, QStringLiteral("Load BIN"), QString(),
                                                          QStringLiteral("LoadFile (*.bin)"));
        if (file.isEmpty()) return std::nullopt;
        return file.toStdString();
    };
}

UpdatePageView::~UpdatePageView() = default;

ClickLabel* UpdatePageView::makeButton(const QString& role, const QString& labelName, QLabel*& picture) {
    QWidget* page = context_.container;
    picture = new QLabel(page);
    picture->setObjectName(QStringLiteral("Img_") + role);
    picture->setScaledContents(true);
    picture->setPixmap(resourcePixmap(QStringLiteral("KeyS_01")));
    auto* label = new ClickLabel(page);
    label->setObjectName(labelName);
    label->setAlignment(Qt::AlignCenter);
    QLabel* shown = picture;
    connect(label, &ClickLabel::entered, this,
            [shown] { shown->setPixmap(resourcePixmap(QStringLiteral("KeyS_02"))); });
    connect(label, &ClickLabel::left, this,
            [shown] { shown->setPixmap(resourcePixmap(QStringLiteral("KeyS_01"))); });
    placed_.emplace_back(picture, picture->objectName().toStdString());
    placed_.emplace_back(label, labelName.toStdString());
    return label;
}

void UpdatePageView::place(QWidget* w, const std::string& name) {
    const Placement* p = layout_ ? layout_->find(name) : nullptr;
    if (!p) return;
    applyPlacement(w, *p, fontFamily_);
    w->setVisible(p->visible);
}

void UpdatePageView::applySkin(const PageSkin& skin) {
    layout_ = skin.layout;
    fontFamily_ = skin.fontFamily;
    for (auto& [w, name] : placed_) place(w, name);
    // The caption and the path run under the whole width of the page picture.
    if (const Placement* picture = layout_ ? layout_->find("Img_P5") : nullptr)
        for (QLabel* label : {caption_, path_})
            label->resize(std::max(label->width(), picture->width), label->height());
    for (QWidget* label : {static_cast<QWidget*>(loadLabel_), static_cast<QWidget*>(programLabel_)})
        label->raise();
    refresh();
}

void UpdatePageView::setTexts(const TextSource& texts) {
    caption_->setText(qs(texts.text("Str441")));
    caption_->setToolTip(qs(texts.text("Str442")));
    loadLabel_->setText(qs(texts.text("Str935")));
    programLabel_->setText(qs(texts.text("Str936")));
}

void UpdatePageView::refresh() {
    const bool loaded = operations_->binLoaded();
    const QString path = loaded ? qs(operations_->binPath()) : QString();
    path_->setToolTip(path);
    path_->setText(
        QFontMetrics(path_->font()).elidedText(path, Qt::ElideMiddle, std::max(path_->width(), 40)));
    // Without a loaded file "Program" has nothing to send: it shows so.
    programLabel_->setEnabled(loaded);
    for (QWidget* w : {static_cast<QWidget*>(programPicture_), static_cast<QWidget*>(programLabel_)}) {
        auto* dim = qobject_cast<QGraphicsOpacityEffect*>(w->graphicsEffect());
        if (!dim) w->setGraphicsEffect(dim = new QGraphicsOpacityEffect(w));
        dim->setOpacity(loaded ? 1.0 : 0.45);
    }
}

void UpdatePageView::shown(Page) {
    // A file loaded before must be loaded again.
    operations_->updatePageOpened();
    refresh();
}

void UpdatePageView::loadBin() {
    operations_->loadPatchFile(choose_);
    refresh();
}

void UpdatePageView::program() {
    if (!operations_->binLoaded()) return;
    operations_->programPatch();
    refresh();
}

} // namespace krm::gui
