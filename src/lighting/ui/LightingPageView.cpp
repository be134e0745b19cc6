#include "lighting/ui/LightingPageView.h"

#include "device/UiPort.h"
#include "widgets/ClickLabel.h"
#include "widgets/ColourChooser.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QHideEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

namespace krm::gui {

namespace {

constexpr int kSpeedSteps = 10, kMcuSteps = 8;
// The preview sits below the page picture, centred on it (window pixels).
constexpr int kPreviewGap = 8;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QColor qcolour(Rgb c) {
    return {c.r, c.g, c.b};
}

QString numbered(const QString& caption, int n) {
    return caption + QLatin1Char(' ') + QString::number(n);
}

} // namespace

// --- preview ---

LightingPreviewWidget::LightingPreviewWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LightingPreview"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(kWidth, kHeight);
    timer_.setInterval(kFrameMs);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    clock_.start();
}

void LightingPreviewWidget::setInput(const PreviewInput& input) {
    preview_ = LightingPreview(input);
    clock_.restart();
    // The preview starts at the top of a breath, so that a breathing mode shows its colour at once.
    start_ = preview_.rampMs();
    showAt(start_);
    updateTimer();
}

void LightingPreviewWidget::showAt(std::int64_t ms) {
    const QColor next = qcolour(preview_.colourAt(ms));
    if (next == colour_) return;
    colour_ = next;
    update();
}

void LightingPreviewWidget::tick() {
    showAt(start_ + clock_.elapsed());
}

void LightingPreviewWidget::updateTimer() {
    if (isVisible() && preview_.animated()) {
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

void LightingPreviewWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateTimer();
}

void LightingPreviewWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateTimer();
}

void LightingPreviewWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(kWidth * 0.3, kHeight * 0.1, -kWidth * 0.3, -kHeight * 0.1);
    const QColor led = colour_;

    // The glow around the mouse, as bright as the LEDs.
    QRadialGradient glow(body.center(), std::min(width(), height()) / 2.0);
    QColor halo = led;
    halo.setAlpha(led == Qt::black ? 0 : 120);
    glow.setColorAt(0.5, halo);
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(rect(), glow);

    // Body: a rounded shell, the two buttons and the wheel.
    QPainterPath shell;
    shell.addRoundedRect(body, body.width() * 0.48, body.width() * 0.55);
    p.setPen(QPen(QColor(90, 96, 108), 1.5));
    p.setBrush(QColor(28, 30, 36));
    p.drawPath(shell);
    const qreal split = body.top() + body.height() * 0.38;
    p.drawLine(QPointF(body.center().x(), body.top()), QPointF(body.center().x(), split));
    p.drawLine(QPointF(body.left() + 4, split), QPointF(body.right() - 4, split));

    // The LEDs: the wheel, a strip round the sides and the logo.
    p.setPen(Qt::NoPen);
    p.setBrush(led);
    const qreal cx = body.center().x();
    p.drawRoundedRect(QRectF(cx - 4, body.top() + body.height() * 0.12, 8, body.height() * 0.16), 4, 4);
    p.drawEllipse(QPointF(cx, body.top() + body.height() * 0.66), body.width() * 0.16, body.width() * 0.16);
    QPen strip(led, 3);
    strip.setCapStyle(Qt::RoundCap);
    p.setPen(strip);
    p.setBrush(Qt::NoBrush);
    const QRectF inner = body.adjusted(3, 3, -3, -3);
    p.drawArc(inner, 200 * 16, 50 * 16);
    p.drawArc(inner, 290 * 16, 50 * 16);
}

// --- page ---

LightingPageView::LightingPageView(const PageContext& context, LightingEditor& editor)
    : QObject(context.window), context_(context), editor_(editor) {
    chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
        if (!layout_) return std::nullopt;
        return gui::chooseColour(context_.window, initial, *layout_, fontFamily_, context_.texts, "Str855");
    };
    build();
}

LightingPageView::~LightingPageView() = default;

void LightingPageView::build() {
    QWidget* page = context_.container;
    auto picture = [page](const QString& name, const QString& pixmap) {
        auto* l = new ClickLabel(page);
        l->setObjectName(name);
        l->setScaledContents(true);
        l->setPixmap(resourcePixmap(pixmap));
        return l;
    };
    auto text = [page](const QString& name) {
        auto* l = new ClickLabel(page);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return l;
    };
    for (int k = 1; k <= 7; ++k) {
        auto* img = picture(QStringLiteral("Img_LED%1").arg(k), QStringLiteral("RdS_D"));
        img->setFocusPolicy(Qt::NoFocus); // the keyboard reaches the mode through its caption
        auto* label = text(QStringLiteral("lbl_LED%1").arg(k));
        label->setRole(ClickLabel::Role::Option);
        label->setTickPicture(img);
        for (ClickLabel* l : {img, label})
            connect(l, &ClickLabel::clicked, this, [this, k] { finish(editor_.chooseUserMode(k)); });
        modePictures_[idx(k)] = img;
        modeLabels_[idx(k)] = label;
    }
    for (int n = 1; n <= kSpeedSteps; ++n) {
        auto* step = picture(QStringLiteral("Img_Fall%1").arg(n), QStringLiteral("Bar1_D"));
        step->setRole(ClickLabel::Role::Option);
        connect(step, &ClickLabel::clicked, this, [this, n] { finish(editor_.chooseSpeedLevel(n)); });
        speedSteps_.push_back(step);
        auto* number = text(QStringLiteral("lbl_FallNum%1").arg(n));
        number->setText(QString::number(n));
        speedNumbers_.push_back(number);
    }
    for (int n = 1; n <= kMcuSteps; ++n) {
        auto* step = picture(QStringLiteral("Img_MCULEDStep_%1").arg(n), QStringLiteral("Bar1_D"));
        step->setRole(ClickLabel::Role::Option);
        connect(step, &ClickLabel::clicked, this, [this, n] {
            context_.ui->showBusy();
            finish(editor_.chooseMcuStepSegment(n));
            context_.ui->hideBusy();
        });
        mcuSteps_.push_back(step);
        auto* number = text(QStringLiteral("lbl_MCULEDStepNum%1").arg(n));
        number->setText(QString::number(n));
        mcuNumbers_.push_back(number);
    }
    auto slider = [page](const QString& name, int maximum) {
        auto* s = new QSlider(Qt::Horizontal, page);
        s->setObjectName(name);
        s->setRange(0, maximum);
        s->setSingleStep(100);
        s->setPageStep(100);
        return s;
    };
    speedSlider_ = slider(QStringLiteral("slider_RGB_Speed"), 900);
    mcuSlider_ = slider(QStringLiteral("slider_MCULED_Speed"), 700);
    // A drag writes when the knob is let go; a click on the track or an arrow key moves the knob a step
    // and writes at once. Either way the knob shows what the mouse holds afterwards.
    for (const auto& bar : {std::pair{speedSlider_, &LightingPageView::speedReleased},
                            std::pair{mcuSlider_, &LightingPageView::mcuSpeedReleased}}) {
        QSlider* s = bar.first;
        const auto released = bar.second;
        connect(s, &QSlider::sliderReleased, this, released);
        connect(s, &QSlider::valueChanged, this, [this, s, released] {
            if (!s->isSliderDown()) (this->*released)();
        });
    }

    fullPicture_ = picture(QStringLiteral("Img_MCULED3Control"), QStringLiteral("RdS_E"));
    halfPicture_ = picture(QStringLiteral("Img_MCULED6Control"), QStringLiteral("RdS_D"));
    fullLabel_ = text(QStringLiteral("lbl_MCULED3Control"));
    halfLabel_ = text(QStringLiteral("lbl_MCULED6Control"));
    fullPicture_->setFocusPolicy(Qt::NoFocus);
    halfPicture_->setFocusPolicy(Qt::NoFocus);
    for (const auto& [label, tick] :
         {std::pair{fullLabel_, fullPicture_}, std::pair{halfLabel_, halfPicture_}}) {
        label->setRole(ClickLabel::Role::Option);
        label->setTickPicture(tick);
    }
    for (ClickLabel* l : {fullPicture_, fullLabel_, halfPicture_, halfLabel_}) {
        const bool full = l == fullPicture_ || l == fullLabel_;
        connect(l, &ClickLabel::clicked, this, [this, full] {
            context_.ui->showBusy();
            finish(editor_.setMcuFullBright(full));
            context_.ui->hideBusy();
        });
    }

    for (int n = 1; n <= 10; ++n) {
        auto* swatch = new Swatch(page);
        swatch->setObjectName(QStringLiteral("cs_Col%1").arg(n));
        auto* frame = new QLabel(page);
        frame->setObjectName(QStringLiteral("Img_Col%1").arg(n));
        frame->setScaledContents(true);
        frame->setPixmap(resourcePixmap(QStringLiteral("Col_F")));
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* label = new ClickLabel(page);
        label->setObjectName(QStringLiteral("lbl_Col%1").arg(n));
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &ClickLabel::clicked, this, [this, n] { pickColour(n); });
        auto* number = new QLabel(QString::number(n), page);
        number->setObjectName(QStringLiteral("lbl_ColNum%1").arg(n));
        number->setAlignment(Qt::AlignCenter);
        number->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette muted = number->palette();
        muted.setColor(QPalette::WindowText, QColor(150, 158, 172));
        number->setPalette(muted);
        swatches_[idx(n)] = swatch;
        frames_[idx(n)] = frame;
        colourLabels_[idx(n)] = label;
        numbers_[idx(n)] = number;
    }
    modeCaption_ = text(QStringLiteral("LED_Mode_Lable"));
    speedCaption_ = text(QStringLiteral("LED_Effect_Setting_Lable"));
    colourCaption_ = text(QStringLiteral("LED_Color_Lable"));
    // Headings, not controls: Tab passes them by.
    for (ClickLabel* caption : {modeCaption_, speedCaption_, colourCaption_}) {
        caption->setFocusPolicy(Qt::NoFocus);
        caption->setRole(ClickLabel::Role::Heading);
    }
    preview_ = new LightingPreviewWidget(page);
}

// --- skin and texts ---

void LightingPageView::place(QWidget* widget, const std::string& name) {
    if (const Placement* p = layout_ ? layout_->find(name) : nullptr) applyPlacement(widget, *p, fontFamily_);
}

void LightingPageView::show(QWidget* widget, const std::string& name, bool shownNow) {
    const Placement* p = layout_ ? layout_->find(name) : nullptr;
    widget->setVisible(shownNow && (!p || p->visible));
    if (shownNow) widget->raise();
}

void LightingPageView::applySkin(const PageSkin& skin) {
    layout_ = skin.layout;
    fontFamily_ = skin.fontFamily;
    for (QWidget* w : context_.container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::string name = w->objectName().toStdString();
        if (!name.empty() && w != preview_) place(w, name);
    }
    // The slider track and thumb in the skin's slider colour.
    const QColor back = gui::toQColor(layout_->colour("Color_BG_Slider"));
    const QString style =
        QStringLiteral("QSlider::groove:horizontal{height:6px;border-radius:3px;background:%1}"
                       "QSlider::handle:horizontal{width:14px;margin:-5px 0;border-radius:7px;"
                       "background:#e2e7ee}")
            .arg(back.name());
    speedSlider_->setStyleSheet(style);
    mcuSlider_->setStyleSheet(style);
    if (const Placement* p = layout_->find("Img_P3"))
        preview_->move(p->x + (p->width - preview_->width()) / 2, p->y + p->height + kPreviewGap);
    // Each swatch's number under it.
    for (int n = 1; n <= 10; ++n)
        if (const Placement* p = layout_->find("lbl_Col" + std::to_string(n))) {
            numbers_[idx(n)]->setGeometry(p->x - 12, p->y + p->height + 4, p->width + 24, 16);
            numbers_[idx(n)]->setFont(skinFont(QStringLiteral("DejaVu Sans"), 8));
        }
    refresh();
}

void LightingPageView::setTexts(const TextSource& texts) {
    context_.texts = &texts;
    modeCaption_->setText(qs(texts.text("Str821")));
    colourCaption_->setText(qs(texts.text("Str855")));
    fullLabel_->setText(qs(texts.text("Str823")));
    halfLabel_->setText(qs(texts.text("Str824")));
    // Controls without a caption of their own are named after the heading above them and their number:
    // "Color Table 3", "Light Speed", "Light Speed 4".
    for (int n = 1; n <= 10; ++n) {
        colourLabels_[idx(n)]->setAccessibleName(numbered(qs(texts.text("Str855")), n));
        colourLabels_[idx(n)]->setAccessibleDescription(qs(texts.text("Str856")));
    }
    preview_->setAccessibleName(qs(texts.text("Str937")));
    const QString speed = qs(texts.text("Str822")), mcuSpeed = qs(texts.text("Str858"));
    speedSlider_->setAccessibleName(speed);
    mcuSlider_->setAccessibleName(mcuSpeed);
    for (int n = 1; n <= kSpeedSteps; ++n) speedSteps_[idx(n)]->setAccessibleName(numbered(speed, n));
    for (int n = 1; n <= kMcuSteps; ++n) mcuSteps_[idx(n)]->setAccessibleName(numbered(mcuSpeed, n));
    refresh();
}

void LightingPageView::paintBar(const std::vector<ClickLabel*>& steps, int current) {
    const bool markers = context_.branding->dpiLedMarkers;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const bool on = markers ? n == current : n <= current;
        steps[i]->setPixmap(resourcePixmap(on ? QStringLiteral("Bar1_E") : QStringLiteral("Bar1_D")));
        steps[i]->setChecked(n == current);
    }
}

void LightingPageView::refresh() {
    const auto type = editor_.type();
    const bool mcu = type == LedType::MCULED;

    // Mode items: those of the type that the mask enables, the current one marked.
    const auto modes = editor_.modes();
    std::optional<int> currentItem;
    if (const auto index = editor_.currentListIndex())
        currentItem = modes[static_cast<std::size_t>(*index)].userItem;
    for (int k = 1; k <= 7; ++k) {
        const auto it =
            std::find_if(modes.begin(), modes.end(), [k](const LightingMode& m) { return m.userItem == k; });
        const bool shownNow = type && editor_.userItemShown(k);
        if (it != modes.end()) modeLabels_[idx(k)]->setText(qs(it->name));
        modeLabels_[idx(k)]->setChecked(currentItem == k);
        show(modePictures_[idx(k)], "Img_LED" + std::to_string(k), shownNow);
        show(modeLabels_[idx(k)], "lbl_LED" + std::to_string(k), shownNow);
    }

    // Speed: the ten levels, or the MCU LED step bar with its brightness options.
    if (context_.texts) speedCaption_->setText(qs(context_.texts->text(mcu ? "Str858" : "Str822")));
    const bool known = type.has_value();
    const int level = editor_.speedLevel();
    paintBar(speedSteps_, level);
    const QSignalBlocker quietSpeed(speedSlider_), quietMcu(mcuSlider_);
    speedSlider_->setValue(100 * (level - 1));
    const bool speedOn = editor_.speedEnabled();
    for (int n = 1; n <= kSpeedSteps; ++n) {
        speedSteps_[idx(n)]->setEnabled(speedOn);
        show(speedSteps_[idx(n)], "Img_Fall" + std::to_string(n), known && !mcu);
        show(speedNumbers_[idx(n)], "lbl_FallNum" + std::to_string(n), known && !mcu);
    }
    speedSlider_->setEnabled(speedOn);
    show(speedSlider_, "slider_RGB_Speed", known && !mcu);
    const int segment = editor_.mcuStepSegment();
    paintBar(mcuSteps_, segment);
    mcuSlider_->setValue(100 * (segment - 1));
    for (int n = 1; n <= kMcuSteps; ++n) {
        show(mcuSteps_[idx(n)], "Img_MCULEDStep_" + std::to_string(n), mcu);
        show(mcuNumbers_[idx(n)], "lbl_MCULEDStepNum" + std::to_string(n), mcu);
    }
    show(mcuSlider_, "slider_MCULED_Speed", mcu);
    const bool full = editor_.mcuFullBright();
    fullLabel_->setChecked(full);
    halfLabel_->setChecked(!full);
    show(fullPicture_, "Img_MCULED3Control", mcu);
    show(halfPicture_, "Img_MCULED6Control", mcu);
    show(fullLabel_, "lbl_MCULED3Control", mcu);
    show(halfLabel_, "lbl_MCULED6Control", mcu);

    // Colours: hidden for Sync LEDs; before a type is known they stay as they are.
    if (known) {
        const bool colours = editor_.coloursShown();
        for (int n = 1; n <= 10; ++n) {
            QPalette pal = swatches_[idx(n)]->palette();
            pal.setColor(QPalette::Window, qcolour(editor_.tableColour(n)));
            swatches_[idx(n)]->setPalette(pal);
            show(swatches_[idx(n)], "cs_Col" + std::to_string(n), colours);
            show(frames_[idx(n)], "Img_Col" + std::to_string(n), colours);
            show(colourLabels_[idx(n)], "lbl_Col" + std::to_string(n), colours);
            show(numbers_[idx(n)], "lbl_Col" + std::to_string(n), colours);
        }
        colourCaption_->setVisible(colours);
    }
    preview_->setVisible(known);
    preview_->raise();
    preview_->setInput(previewInputOf(editor_));
}

void LightingPageView::shown(Page) {
    refresh();
}

// --- actions ---

void LightingPageView::finish(const EditOutcome& outcome) {
    context_.sink->apply(outcome);
    if (outcome.refused && outcome.message) context_.ui->showMessage(*outcome.message);
    refresh();
}

void LightingPageView::pickColour(int n) {
    const auto chosen = chooseColour(qcolour(editor_.tableColour(n)));
    if (!chosen) return;
    const Rgb c{static_cast<std::uint8_t>(chosen->red()), static_cast<std::uint8_t>(chosen->green()),
                static_cast<std::uint8_t>(chosen->blue())};
    finish(editor_.pickTableColour(n, c));
}

void LightingPageView::speedReleased() {
    const int level = std::clamp((speedSlider_->value() + 50) / 100 + 1, 1, kSpeedSteps);
    if (level == editor_.speedLevel()) return refresh();
    finish(editor_.chooseSpeedLevel(level));
}

void LightingPageView::mcuSpeedReleased() {
    const int segment = std::clamp((mcuSlider_->value() + 50) / 100 + 1, 1, kMcuSteps);
    if (segment == editor_.mcuStepSegment()) return refresh();
    context_.ui->showBusy();
    finish(editor_.chooseMcuStepSegment(segment));
    context_.ui->hideBusy();
}

} // namespace krm::gui
