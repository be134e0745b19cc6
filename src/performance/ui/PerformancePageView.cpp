#include "performance/ui/PerformancePageView.h"

#include "device/UiPort.h"
#include "performance/StepSlider.h"
#include "performance/ui/StepSliderView.h"
#include "widgets/ClickLabel.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QLabel>

namespace krm::gui {

namespace {

constexpr int kDpiSteps = DpiEditor::kSteps;
constexpr int kPointerSteps = 11;
constexpr int kPointerSliderMax = 1000; // 100 per step, step 1 at 0
constexpr std::array<int, 4> kRates = {125, 250, 500, 1000};

// Draws a control faded (a switched-off DPI level) or as it is.
void fade(QWidget* w, bool faded) {
    if (!faded) {
        w->setGraphicsEffect(nullptr);
        return;
    }
    if (w->graphicsEffect()) return;
    auto* effect = new QGraphicsOpacityEffect(w);
    effect->setOpacity(0.35);
    w->setGraphicsEffect(effect);
}

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string str(std::string_view a, int n, std::string_view b = {}) {
    return std::string(a) + std::to_string(n) + std::string(b);
}

struct BarNames {
    const char* step; // step k is step + k
    const char* slider;
    const char* number;  // number label k is number + k
    const char* heading; // the caption above the bar
    PointerItem item;
};
constexpr std::array<BarNames, 3> kBars = {
    {{"Img_Spd", "slider_Spd", "lbl_SpdNum", "Mouse_Speed_Lable", PointerItem::Speed},
     {"Img_DbSpd", "slider_DbSpd", "lbl_DbSpdNum", "Mouse_Double_Click_Lable", PointerItem::DoubleClick},
     {"Img_ScrSpd", "slider_SrcSpd", "lbl_ScrSpdNum", "Mouse_Roller_Speed_Lable", PointerItem::ScrollLines}}};

// The desktops by the names the pointer settings give them, as a user knows them.
QString desktopTitle(const std::string& name) {
    if (name == "x11") return QStringLiteral("X11");
    if (name == "gnome") return QStringLiteral("GNOME");
    if (name == "kde") return QStringLiteral("KDE Plasma");
    if (name == "windows") return QStringLiteral("Windows");
    return QString::fromStdString(name);
}

// Texts of the page's captions: control, language id.
constexpr std::array<std::pair<const char*, const char*>, 12> kCaptions = {{
    {"DPI_Setting_Lable", "Str810"},
    {"DPI_Count_Lable", "Str813"},
    {"DPI_Value_Lable", "Str830"},
    {"Rating_Setting_Lable", "Str809"},
    {"Mouse_Speed_Lable", "Str804"},
    {"lbl_IsControl", "Str805"},
    {"Mouse_Double_Click_Lable", "Str806"},
    {"Mouse_Roller_Speed_Lable", "Str807"},
    {"lbl_IsScreen", "Str808"},
    {"lbl_AIMDPI", "Str812"},
    {"lbl_Rep1", "Str825"},
    {"lbl_Rep2", "Str826"},
}};

} // namespace

PerformancePageView::PerformancePageView(const PageContext& context, DpiEditor& dpi, SniperEditor& sniper,
                                         std::unique_ptr<PointerSettings> desktop)
    : QObject(context.window), context_(context), dpi_(dpi), sniper_(sniper), desktop_(std::move(desktop)),
      pointer_(*desktop_) {
    pointer_.load();
    build();
}

PerformancePageView::~PerformancePageView() = default;

template <typename W> W* PerformancePageView::add(const std::string& name, W* widget) {
    widget->setObjectName(qs(name));
    widget->hide();
    controls_[name] = widget;
    return widget;
}

ClickLabel* PerformancePageView::clickable(const std::string& name) {
    auto* l = add(name, new ClickLabel(context_.container));
    l->setScaledContents(true);
    return l;
}

QLabel* PerformancePageView::label(const std::string& name) {
    return add(name, new QLabel(context_.container));
}

StepSliderView* PerformancePageView::slider(const std::string& name, int maximum) {
    return add(name, new StepSliderView(maximum, context_.container));
}

QWidget* PerformancePageView::control(const std::string& name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

void PerformancePageView::build() {
    for (const auto& [name, id] : kCaptions) {
        if (std::string(name).starts_with("lbl_")) continue;
        label(name);
    }
    // Report rate: four options, each its tick picture and its caption.
    for (int k = 1; k <= 4; ++k) {
        const int hz = kRates[static_cast<std::size_t>(k - 1)];
        ClickLabel* caption = option(str("lbl_Rep", k), str("Img_Rep", k), ClickLabel::Role::Option);
        for (ClickLabel* l : {caption, caption->tickPicture()})
            connect(l, &ClickLabel::clicked, this, [this, hz] { finish(dpi_.setReportRate(hz)); });
    }
    // Level count: the list offers 1..6; 7 and 8 are reached through the level labels.
    count_ = add("combox_dpi_count", new QComboBox(context_.container));
    for (int n = 1; n <= 6; ++n) count_->addItem(QString::number(n));
    connect(count_, &QComboBox::activated, this, [this](int index) { finish(dpi_.setCount(index + 1)); });

    for (int n = 1; n <= DpiEditor::kMaxLevels; ++n) buildDpiRow(n);

    // Sniper row.
    label("lbl_AIMDPI");
    label("lbl_AIMDPIValue");
    for (int k = 1; k <= kDpiSteps; ++k) {
        ClickLabel* segment = clickable(str("Img_AIMDPI_", k));
        segment->setRole(ClickLabel::Role::Option);
        connect(segment, &ClickLabel::clicked, this, [this, k] { finish(sniper_.clickSegment(k)); });
        label(str("lbl_AIMDPINum", k))->setText(QString::number(k));
    }
    auto* aim = slider("slider_AIM", kDpiSliderRange);
    connect(aim, &StepSliderView::dragged, this, [this](int value) {
        static_cast<QLabel*>(control("lbl_AIMDPIValue"))
            ->setText(qs(dpi_.stepText(sniper_.dragSlider(value))));
    });
    connect(aim, &StepSliderView::released, this,
            [this](int value, int x, int width) { finish(sniper_.releaseSlider(value, x, width)); });
    connect(aim, &StepSliderView::stepped, this,
            [this](int value) { finish(sniper_.clickSegment(value / kDpiSliderStride + 1)); });

    // Pointer settings.
    for (Bar bar : {Bar::Speed, Bar::DoubleClick, Bar::Scroll}) buildPointerBar(bar);
    ClickLabel* precision = option("lbl_IsControl", "Img_IsControl", ClickLabel::Role::CheckBox);
    for (ClickLabel* l : {precision, precision->tickPicture()})
        connect(l, &ClickLabel::clicked, this, [this] {
            if (!pointer_.unsupported(PointerItem::Precision).empty()) return;
            pointer_.togglePrecision();
            refreshPointer();
        });
    ClickLabel* oneScreen = option("lbl_IsScreen", "Img_IsScreen", ClickLabel::Role::CheckBox);
    for (ClickLabel* l : {oneScreen, oneScreen->tickPicture()})
        connect(l, &ClickLabel::clicked, this, [this] {
            if (!pointer_.unsupported(PointerItem::OneScreen).empty()) return;
            pointer_.toggleOneScreen();
            refreshPointer();
        });
}

ClickLabel* PerformancePageView::option(const std::string& caption, const std::string& picture,
                                        ClickLabel::Role role) {
    ClickLabel* tick = clickable(picture);
    tick->setFocusPolicy(Qt::NoFocus); // the keyboard reaches the option through its caption
    ClickLabel* label = clickable(caption);
    label->setScaledContents(false);
    label->setRole(role);
    label->setTickPicture(tick);
    return label;
}

void PerformancePageView::buildDpiRow(int n) {
    // The level's selector makes it the current one: one option of the eight. Its caption switches the
    // level on and off: a check box.
    ClickLabel* selector = clickable(str("Img_DPI", n));
    selector->setRole(ClickLabel::Role::Option);
    connect(selector, &ClickLabel::clicked, this, [this, n] { finish(dpi_.makeCurrent(n)); });
    auto* levelLabel = clickable(str("lbl_DPI", n));
    levelLabel->setScaledContents(false);
    levelLabel->setRole(ClickLabel::Role::CheckBox);
    connect(levelLabel, &ClickLabel::clicked, this, [this, n] { finish(dpi_.clickLevelLabel(n)); });
    label(str("lbl_DPI", n, "Value"));
    for (int k = 1; k <= kDpiSteps; ++k) {
        ClickLabel* segment = clickable(str("Img_DPI", n, "_") + std::to_string(k));
        segment->setRole(ClickLabel::Role::Option);
        connect(segment, &ClickLabel::clicked, this, [this, n, k] {
            if (dpi_.enabled(n)) finish(dpi_.setStep(n, k - 1));
        });
        label(str("lbl_DPI", n, "Num") + std::to_string(k))->setText(QString::number(k));
    }
    auto* s = slider(str("slider_DPI", n), kDpiSliderRange);
    connect(s, &StepSliderView::dragged, this, [this, n](int value) {
        static_cast<QLabel*>(control(str("lbl_DPI", n, "Value")))
            ->setText(qs(dpi_.stepText(dpi_.dragSlider(n, value))));
    });
    connect(s, &StepSliderView::released, this,
            [this, n](int value, int x, int width) { finish(dpi_.releaseSlider(n, value, x, width)); });
    connect(s, &StepSliderView::stepped, this,
            [this, n](int value) { finish(dpi_.setStep(n, value / kDpiSliderStride)); });
    add(str("cs_DPI", n, "Col"), new Swatch(context_.container));
    // The frame over the swatch: a picture; lbl_DPInCol over both takes the clicks.
    add(str("Img_DPI", n, "Col"), new QLabel(context_.container))->setScaledContents(true);
    clickable(str("lbl_DPI", n, "Col"));
}

void PerformancePageView::buildPointerBar(Bar bar) {
    const BarNames& names = kBars[static_cast<std::size_t>(bar)];
    auto set = [this, bar](int step) {
        if (bar == Bar::Speed) pointer_.setSpeedStep(step);
        if (bar == Bar::DoubleClick) pointer_.setDoubleClickStep(step);
        if (bar == Bar::Scroll) pointer_.setScrollStep(step);
        refreshPointer();
    };
    for (int k = 1; k <= kPointerSteps; ++k) {
        ClickLabel* segment = clickable(str(names.step, k));
        segment->setRole(ClickLabel::Role::Option);
        connect(segment, &ClickLabel::clicked, this, [set, k] { set(k); });
        label(str(names.number, k))->setText(QString::number(k));
    }
    auto* s = slider(names.slider, kPointerSliderMax);
    connect(s, &StepSliderView::released, this,
            [this, bar](int, int position, int extent) { pointerReleased(bar, position, extent); });
    connect(s, &StepSliderView::stepped, this, [set](int value) { set(value / 100 + 1); });
}

void PerformancePageView::pointerReleased(Bar bar, int position, int extent) {
    // The bands are those of the shipped 286-pixel slider; a slider of another width is scaled to it.
    const int x = extent > 0 ? position * kPointerSliderWidth / extent : position;
    const int step = pointerSliderStep(x);
    if (bar == Bar::Speed) pointer_.setSpeedStep(step);
    if (bar == Bar::DoubleClick) pointer_.setDoubleClickStep(step);
    if (bar == Bar::Scroll) pointer_.setScrollStep(step);
    refreshPointer();
}

// --- skin, texts, repaint ---

void PerformancePageView::place(const std::string& name, bool shown) {
    QWidget* w = control(name);
    const Placement* p = layout_ ? layout_->find(name) : nullptr;
    if (!w) return;
    if (!p) {
        w->hide();
        return;
    }
    applyPlacement(w, *p, fontFamily_);
    w->setVisible(p->visible && shown);
    w->raise();
}

void PerformancePageView::applySkin(const PageSkin& skin) {
    layout_ = skin.layout;
    fontFamily_ = skin.fontFamily;
    // The swatches lie under their frames, the frames under their click labels: placed in that order.
    for (const auto& [name, widget] : controls_)
        if (name.starts_with("cs_")) place(name, true);
    for (const auto& [name, widget] : controls_)
        if (!name.starts_with("cs_") && !name.starts_with("lbl_DPI") && !name.ends_with("Col"))
            place(name, true);
    for (const auto& [name, widget] : controls_)
        if (name.starts_with("lbl_DPI") || (name.ends_with("Col") && !name.starts_with("cs_")))
            place(name, true);
    if (layout_) count_->setStyleSheet(entryBoxStyle(*layout_, EntryRegion::Performance));
    // Tab reads the level count above the report rates before them, and the desktop's pointer settings
    // (three sliders and two options) row by row.
    QWidget* previous = count_;
    for (int k = 1; k <= 4; ++k) {
        QWidget* rate = control(str("lbl_Rep", k));
        QWidget::setTabOrder(previous, rate);
        previous = rate;
    }
    std::vector<QWidget*> pointerStops{control("lbl_IsControl"), control("lbl_IsScreen")};
    for (const BarNames& bar : kBars) pointerStops.push_back(control(bar.slider));
    orderTabsByPosition(pointerStops);
    const bool upward = layout_ && layout_->find("Img_DPI1_2") && layout_->find("Img_DPI1_1") &&
                        layout_->find("Img_DPI1_2")->y < layout_->find("Img_DPI1_1")->y;
    const QColor sliderBack = layout_ ? toQColor(layout_->colour("Color_BG_Slider")) : QColor();
    for (const auto& [name, widget] : controls_)
        if (auto* s = qobject_cast<StepSliderView*>(widget)) {
            s->setVertical(upward && name != "slider_Spd" && name != "slider_DbSpd" &&
                           name != "slider_SrcSpd");
            s->setBackground(sliderBack);
        }
    refresh();
}

void PerformancePageView::setTexts(const TextSource& texts) {
    context_.texts = &texts;
    for (const auto& [name, id] : kCaptions)
        if (auto* l = qobject_cast<QLabel*>(control(name))) l->setText(qs(texts.text(id)));
    for (int k = 3; k <= 4; ++k)
        static_cast<QLabel*>(control(str("lbl_Rep", k)))->setText(qs(texts.text(str("Str", 824 + k))));
    // What a screen reader hears where the page shows no text of the control's own: "DPI Color 3",
    // "Current level 3", the slider "DPI 3" at "1600", a bar's segment "DPI 3: 1600".
    QStringList stepTexts;
    for (int k = 0; k < kDpiSteps; ++k) stepTexts << qs(dpi_.stepText(k));
    const auto named = [&texts](const char* id, const QString& what) {
        return qs(texts.text("Str927")).arg(qs(texts.text(id)), what);
    };
    for (int n = 1; n <= DpiEditor::kMaxLevels; ++n) {
        const QString level = qs(texts.text("Str829")) + QLatin1Char(' ') + QString::number(n);
        static_cast<QLabel*>(control(str("lbl_DPI", n)))->setText(level);
        control(str("lbl_DPI", n, "Col"))
            ->setAccessibleName(qs(texts.text("Str854")) + QLatin1Char(' ') + QString::number(n));
        control(str("Img_DPI", n))->setAccessibleName(qs(texts.text("Str926")).arg(n));
        auto* s = static_cast<StepSliderView*>(control(str("slider_DPI", n)));
        s->setAccessibleName(level);
        s->setStepTexts(stepTexts);
        for (int k = 1; k <= kDpiSteps; ++k)
            control(str("Img_DPI", n, "_") + std::to_string(k))
                ->setAccessibleName(qs(texts.text("Str927")).arg(level, stepTexts.value(k - 1)));
    }
    auto* aim = static_cast<StepSliderView*>(control("slider_AIM"));
    aim->setAccessibleName(qs(texts.text("Str812")));
    aim->setStepTexts(stepTexts);
    for (int k = 1; k <= kDpiSteps; ++k)
        control(str("Img_AIMDPI_", k))->setAccessibleName(named("Str812", stepTexts.value(k - 1)));
    // A combo box is heard by the label that names it (on Linux its own name is its value).
    static_cast<QLabel*>(control("DPI_Count_Lable"))->setBuddy(count_);
    QStringList pointerSteps;
    for (int k = 1; k <= kPointerSteps; ++k) pointerSteps << QString::number(k);
    for (const BarNames& bar : kBars) {
        const QString heading = static_cast<QLabel*>(control(bar.heading))->text();
        auto* s = static_cast<StepSliderView*>(control(bar.slider));
        s->setAccessibleName(heading);
        s->setStepTexts(pointerSteps);
        for (int k = 1; k <= kPointerSteps; ++k)
            control(str(bar.step, k))->setAccessibleName(heading + QLatin1Char(' ') + QString::number(k));
    }
    refresh();
}

void PerformancePageView::paintSteps(const std::string& stepName, int steps, std::optional<int> lit,
                                     bool pointerBar) {
    // One marker (DPILED_Status 1) or a filled bar up to the chosen step; nothing lit without a step.
    const bool marker = context_.branding && context_.branding->dpiLedMarkers;
    const QPixmap on = resourcePixmap(pointerBar ? QStringLiteral("Bar1_E") : QStringLiteral("Bar2_E"));
    const QPixmap off = resourcePixmap(pointerBar ? QStringLiteral("Bar1_D") : QStringLiteral("Bar2_D"));
    for (int k = 1; k <= steps; ++k) {
        auto* l = static_cast<QLabel*>(control(stepName + std::to_string(k)));
        const bool isLit = lit && (marker ? k == *lit : k <= *lit);
        l->setPixmap(isLit ? on : off);
    }
}

void PerformancePageView::refreshDpi() {
    const auto current = dpi_.currentLevel();
    const int rate = dpi_.reportRate();
    for (int k = 1; k <= 4; ++k)
        static_cast<ClickLabel*>(control(str("lbl_Rep", k)))
            ->setChecked(rate == kRates[static_cast<std::size_t>(k - 1)]);
    const auto item = dpi_.countItem();
    count_->setCurrentIndex(item && *item < count_->count() ? *item : -1);

    const QColor enabledColour = layout_ ? toQColor(layout_->colour("Color_D_Selected")) : QColor(Qt::white);
    const QColor disabledColour =
        layout_ ? toQColor(layout_->colour("Color_D_notSelected")) : QColor(Qt::gray);
    for (int n = 1; n <= DpiEditor::kMaxLevels; ++n) {
        const bool on = dpi_.enabled(n);
        const auto step = dpi_.step(n);
        auto* selector = static_cast<ClickLabel*>(control(str("Img_DPI", n)));
        selector->setPixmap(resourcePixmap(current == n ? QStringLiteral("CbS_E") : QStringLiteral("CbS_D")));
        selector->setChecked(current == n);
        fade(selector, !on);
        selector->setEnabled(on); // a switched-off level cannot be made current
        auto* levelLabel = static_cast<ClickLabel*>(control(str("lbl_DPI", n)));
        levelLabel->setChecked(on);
        QPalette pal = levelLabel->palette();
        pal.setColor(QPalette::WindowText, on ? enabledColour : disabledColour);
        levelLabel->setPalette(pal);
        static_cast<QLabel*>(control(str("lbl_DPI", n, "Value")))->setText(qs(dpi_.valueText(n)));
        const std::string steps = str("Img_DPI", n, "_");
        paintSteps(steps, kDpiSteps, step ? std::optional<int>(*step + 1) : std::nullopt, false);
        for (int k = 1; k <= kDpiSteps; ++k) {
            auto* segment = static_cast<ClickLabel*>(control(steps + std::to_string(k)));
            segment->setChecked(step == k - 1);
            fade(segment, !on);
            segment->setEnabled(on);
        }
        auto* s = static_cast<StepSliderView*>(control(str("slider_DPI", n)));
        s->setValue(step ? *step * kDpiSliderStride : 0);
        s->setEnabled(on);
        fade(s, !on);
        const auto c = dpi_.colour(n);
        auto* swatch = static_cast<QLabel*>(control(str("cs_DPI", n, "Col")));
        QPalette sp = swatch->palette();
        sp.setColor(QPalette::Window, QColor(c[0], c[1], c[2]));
        swatch->setPalette(sp);
        for (const std::string& name :
             {str("cs_DPI", n, "Col"), str("Img_DPI", n, "Col"), str("lbl_DPI", n, "Col")})
            fade(control(name), !on);
    }

    const bool sniperShown = sniper_.stepShown();
    paintSteps("Img_AIMDPI_", kDpiSteps, sniperShown ? std::optional<int>(sniper_.step() + 1) : std::nullopt,
               false);
    for (int k = 1; k <= kDpiSteps; ++k)
        static_cast<ClickLabel*>(control(str("Img_AIMDPI_", k)))
            ->setChecked(sniperShown && sniper_.step() == k - 1);
    static_cast<QLabel*>(control("lbl_AIMDPIValue"))->setText(qs(sniper_.valueText()));
    static_cast<StepSliderView*>(control("slider_AIM"))
        ->setValue(sniperShown ? sniper_.step() * kDpiSliderStride : 0);
}

QString PerformancePageView::unsupportedReason(PointerItem item) const {
    // The desktop's own words stand behind the language's: a switched-off setting says why in the
    // language the user chose.
    if (pointer_.unsupported(item).empty() || !context_.texts) return {};
    const auto id = "Str" + std::to_string(872 + static_cast<int>(item));
    return qs(context_.texts->text(id)).arg(desktopTitle(pointer_.desktopName()));
}

void PerformancePageView::refreshPointer() {
    const std::array<int, 3> steps = {pointer_.speedStep(), pointer_.doubleClickStep(),
                                      pointer_.scrollStep()};
    const bool oneScreen = pointer_.oneScreen();
    for (std::size_t b = 0; b < kBars.size(); ++b) {
        const BarNames& names = kBars[b];
        const QString reason = unsupportedReason(names.item);
        const bool usable = reason.isEmpty() && pointer_.loaded();
        paintSteps(names.step, kPointerSteps, pointer_.loaded() ? std::optional<int>(steps[b]) : std::nullopt,
                   true);
        // One screen per notch hides the scroll bar: it has no lines to show.
        const bool hidden = b == 2 && oneScreen;
        std::vector<std::string> parts{names.slider};
        for (int k = 1; k <= kPointerSteps; ++k) {
            parts.push_back(str(names.step, k));
            parts.push_back(str(names.number, k));
            static_cast<ClickLabel*>(control(str(names.step, k)))
                ->setChecked(pointer_.loaded() && steps[b] == k);
        }
        for (const std::string& name : parts) {
            QWidget* w = control(name);
            const Placement* p = layout_ ? layout_->find(name) : nullptr;
            w->setVisible(p && p->visible && !hidden);
            w->setEnabled(usable);
            w->setToolTip(reason);
        }
        // The heading is switched off with its bar and says why too.
        control(names.heading)->setEnabled(usable);
        control(names.heading)->setToolTip(reason);
        static_cast<StepSliderView*>(control(names.slider))->setValue((steps[b] - 1) * 100);
    }
    auto box = [this](const char* picture, const char* caption, PointerItem item, bool on) {
        const QString reason = unsupportedReason(item);
        static_cast<ClickLabel*>(control(caption))->setChecked(on);
        for (QWidget* w : {control(picture), control(caption)}) {
            w->setEnabled(reason.isEmpty() && pointer_.loaded());
            w->setToolTip(reason);
        }
    };
    box("Img_IsControl", "lbl_IsControl", PointerItem::Precision, pointer_.precision());
    box("Img_IsScreen", "lbl_IsScreen", PointerItem::OneScreen, oneScreen);
}

void PerformancePageView::refresh() {
    refreshDpi();
    refreshPointer();
}

void PerformancePageView::shown(Page) {
    refresh();
}

void PerformancePageView::finish(const EditOutcome& outcome) {
    context_.sink->apply(outcome);
    refresh();
    if (outcome.refused && outcome.message && !outcome.message->empty())
        context_.ui->showMessage(*outcome.message);
}

} // namespace krm::gui
