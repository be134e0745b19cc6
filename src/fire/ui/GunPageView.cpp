#include "fire/ui/GunPageView.h"

#include "device/UiPort.h"
#include "fire/ui/FireRecorderPanel.h"
#include "widgets/ClickLabel.h"
#include "widgets/ColourChooser.h"
#include "widgets/EntryBox.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"
#include "widgets/ValueDialogView.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <array>

namespace krm::gui {

namespace {

using fire::StageField;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string str(std::string_view a, int n, std::string_view b = {}) {
    return std::string(a) + std::to_string(n) + std::string(b);
}

// The stage fields: control name parts, field, longest text, whether a sign may be typed, the language
// id of its column's caption.
struct StageEdit {
    const char* prefix;
    const char* suffix;
    StageField field;
    int maxLength;
    bool sign;
    const char* captionId;
};
constexpr std::array<StageEdit, 6> kStageEdits{{
    {"Edt_FireCnt", "", StageField::Count, 3, false, "Str610"},
    {"Edt_FireX", "", StageField::X, 4, true, "Str615"},
    {"Edt_FireX", "Offset", StageField::XAdjust, 4, true, "Str617"},
    {"Edt_FireY", "", StageField::Y, 4, true, "Str616"},
    {"Edt_FireY", "Offset", StageField::YAdjust, 4, true, "Str618"},
    {"Edt_FireTime", "", StageField::Interval, 5, false, "Str612"},
}};

// Column captions of the stage table and the keep-left caption: control, language id.
constexpr std::array<std::pair<const char*, const char*>, 8> kCaptions{{
    {"Gun_Marco_Fire_Count_Lable", "Str610"},
    {"Gun_Marco_Fire_X_Lable", "Str615"},
    {"Gun_Marco_X_Offset_Lable", "Str617"},
    {"Gun_Marco_Fire_Y_Lable", "Str616"},
    {"Gun_Marco_Y_Offset_Lable", "Str618"},
    {"Gun_Marco_Fire_Delay_Lable", "Str612"},
    {"Gun_Marco_Color_Lable", "Str619"},
    {"lbl_FireSelLeft", "Str614"},
}};

const std::string& stageText(const GunStage& s, StageField f) {
    switch (f) {
    case StageField::Count:
        return s.count;
    case StageField::X:
        return s.x;
    case StageField::XAdjust:
        return s.xAdjust;
    case StageField::Y:
        return s.y;
    case StageField::YAdjust:
        return s.yAdjust;
    case StageField::Interval:
        return s.interval;
    }
    return s.count;
}

} // namespace

GunPageView::GunPageView(const PageContext& context, FireEditor& fire, AssignmentEditor& assignments)
    : QObject(context.window), context_(context), fire_(fire), assignments_(assignments) {
    chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
        if (!layout_) return std::nullopt;
        return gui::chooseColour(context_.window, initial, *layout_, fontFamily_, context_.texts, "Str853");
    };
    askAccessCode = [this]() { return askPassword(context_.window, language_, fontFamily_); };
    build();
    recorder_ = new FireRecorderPanel(context_.container, context_, fire_);
    recorder_->move(2, 80);
    recorder_->hide();
    connect(recorder_, &FireRecorderPanel::bodyChanged, this, [this] { refresh(); });
    context_.container->installEventFilter(this);
}

GunPageView::~GunPageView() {
    if (context_.container) context_.container->removeEventFilter(this);
}

bool GunPageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == context_.container && event->type() == QEvent::MouseButtonDblClick)
        backgroundDoubleClicked();
    return QObject::eventFilter(watched, event);
}

template <typename W> W* GunPageView::add(const std::string& name, W* widget) {
    widget->setObjectName(qs(name));
    widget->hide();
    controls_[name] = widget;
    return widget;
}

QWidget* GunPageView::control(const std::string& name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

void GunPageView::build() {
    QWidget* parent = context_.container;
    for (const auto& [name, id] : kCaptions)
        if (std::string_view(name) != "lbl_FireSelLeft") add(name, new QLabel(parent));

    for (int g = 1; g <= fire::kGuns; ++g) {
        auto* b = add(str("Btn_Fire", g), new ImageButton(parent));
        b->setRole(ClickLabel::Role::Option); // one gun of the seven is chosen
        b->setPictures(resourcePixmap(qs(str("Gun", g, "_01"))), resourcePixmap(qs(str("Gun", g, "_02"))),
                       resourcePixmap(qs(str("Gun", g, "_02"))));
        connect(b, &ClickLabel::clicked, this, [this, g] {
            fire_.chooseGun(g);
            refresh();
        });
    }
    for (int k = 1; k <= 5; ++k) {
        auto* l = add(str("Img_GunMode", k), new QLabel(parent));
        l->setPixmap(resourcePixmap(qs(str("GunMode", k))));
        l->setScaledContents(true);
    }
    const QRegularExpression unsignedText(QStringLiteral("[0-9]*"));
    const QRegularExpression signedText(QStringLiteral("-?[0-9]*"));
    for (int s = 1; s <= fire::kMaxStages; ++s) {
        for (const StageEdit& e : kStageEdits) {
            auto* edit = add(str(e.prefix, s, e.suffix), new QLineEdit(parent));
            edit->setMaxLength(e.maxLength);
            edit->setAlignment(Qt::AlignCenter);
            edit->setValidator(new QRegularExpressionValidator(e.sign ? signedText : unsignedText, edit));
            connect(edit, &QLineEdit::textEdited, this,
                    [this, s, f = e.field, edit] { stageEdited(s - 1, f, edit); });
        }
        add(str("cs_FireColor", s), new Swatch(parent));
        auto* frame = add(str("Img_FireColor", s), new QLabel(parent));
        frame->setPixmap(resourcePixmap(QStringLiteral("Col_F")));
        frame->setScaledContents(true);
        connect(add(str("IB_FireColor", s), new ClickLabel(parent)), &ClickLabel::clicked, this,
                [this, s] { pickColour(s - 1); });
    }
    auto* keepLeft = add("Img_FireSelLeft", new ClickLabel(parent));
    keepLeft->setScaledContents(true);
    auto* keepLeftCaption = add("lbl_FireSelLeft", new ClickLabel(parent));
    keepLeftCaption->setRole(ClickLabel::Role::CheckBox);
    keepLeftCaption->setTickPicture(keepLeft);
    for (ClickLabel* l : {keepLeft, keepLeftCaption})
        connect(l, &ClickLabel::clicked, this, [this] {
            fire_.toggleKeepLeft();
            refresh();
        });

    for (const char* name : {"Btn_FireConfirm", "Btn_FireExit"}) {
        auto* b = add(name, new ImageButton(parent));
        b->setPictures(resourcePixmap(QStringLiteral("BtnS_01")), resourcePixmap(QStringLiteral("BtnS_02")),
                       resourcePixmap(QStringLiteral("BtnS_03")));
        const bool confirm = std::string_view(name) == "Btn_FireConfirm";
        connect(b, &ClickLabel::clicked, this, [this, confirm] { leave(confirm); });
    }
}

// --- skin, texts, repaint ---

void GunPageView::place(const std::string& name, bool shown) {
    QWidget* w = control(name);
    if (!w) return;
    // A picture button is placed where its picture is; its caption comes from the label's placement.
    const bool button = name.starts_with("Btn_Fire");
    const Placement* p = layout_ ? layout_->find(button ? "Img_" + name.substr(4) : name) : nullptr;
    if (!p) {
        w->hide();
        return;
    }
    if (button) {
        if (const Placement* caption = layout_->find(name)) applyPlacement(w, *caption, fontFamily_);
        w->setGeometry(p->x, p->y, p->width, p->height);
    } else {
        applyPlacement(w, *p, fontFamily_);
    }
    w->setVisible(p->visible && shown);
    w->raise();
}

void GunPageView::applySkin(const PageSkin& skin) {
    layout_ = skin.layout;
    fontFamily_ = skin.fontFamily;
    language_ = skin.language;
    if (layout_) {
        const QString style = entryBoxStyle(*layout_, EntryRegion::Gun);
        for (const auto& [name, w] : controls_)
            if (name.starts_with("Edt_")) w->setStyleSheet(style);
        recorder_->applyLook(*layout_, fontFamily_);
    }
    refresh();
}

void GunPageView::setTexts(const TextSource& texts) {
    context_.texts = &texts;
    for (const auto& [name, id] : kCaptions)
        if (auto* l = qobject_cast<QLabel*>(control(name))) l->setText(qs(texts.text(id)));
    for (int g = 1; g <= fire::kGuns; ++g)
        static_cast<QLabel*>(control(str("Btn_Fire", g)))->setText(qs(texts.text(str("Str60", g - 1))));
    static_cast<QLabel*>(control("Btn_FireConfirm"))->setText(qs(texts.text("Str620")));
    static_cast<QLabel*>(control("Btn_FireExit"))->setText(qs(texts.text("Str621")));
    // A screen reader hears each stage's boxes by their stage and column: "Stage 2 X Move".
    for (int s = 1; s <= fire::kMaxStages; ++s) {
        const std::string stage = texts.text(str("Str85", s - 1)) + " ";
        for (const StageEdit& e : kStageEdits)
            control(str(e.prefix, s, e.suffix))->setAccessibleName(qs(stage + texts.text(e.captionId)));
        control(str("IB_FireColor", s))->setAccessibleName(qs(stage + texts.text("Str619")));
    }
    recorder_->setTexts(texts);
    refresh();
}

void GunPageView::refresh() {
    filling_ = true;
    const int gun = fire_.gun();
    const int stages = fire_.stagesShown();
    for (const auto& [name, w] : controls_) {
        bool shown = true;
        if (name.starts_with("Img_GunMode")) {
            const int k = name.back() - '0';
            shown = (gun == 6 && k <= 2) || (gun == 7 && k >= 3);
        } else if (name.starts_with("Edt_Fire") || name.find("FireColor") != std::string::npos) {
            const char digit = name.ends_with("Offset") ? name[name.size() - 7] : name.back();
            shown = digit - '0' <= stages;
        }
        place(name, shown);
    }
    for (int g = 1; g <= fire::kGuns; ++g)
        static_cast<ImageButton*>(control(str("Btn_Fire", g)))->setMarked(g == gun);
    for (int s = 1; s <= stages; ++s) {
        const GunStage& st = fire_.stage(s - 1);
        for (const StageEdit& e : kStageEdits)
            refill(static_cast<QLineEdit*>(control(str(e.prefix, s, e.suffix))), qs(stageText(st, e.field)));
        auto* swatch = static_cast<QLabel*>(control(str("cs_FireColor", s)));
        QPalette pal = swatch->palette();
        pal.setColor(QPalette::Window, QColor(st.colour.r, st.colour.g, st.colour.b));
        swatch->setPalette(pal);
    }
    static_cast<ClickLabel*>(control("lbl_FireSelLeft"))->setChecked(fire_.keepLeft());
    filling_ = false;
}

void GunPageView::shown(Page) {
    fire_.openGunPage();
    refresh();
    recorder_->setVisible(hiddenMode_);
    if (hiddenMode_) recorder_->reload();
}

void GunPageView::stageEdited(int stage, StageField field, QLineEdit* edit) {
    if (filling_) return;
    correctTyping(edit, qs(fire_.editStage(stage, field, edit->text().toStdString())));
}

void GunPageView::pickColour(int stage) {
    if (stage >= fire_.stagesShown()) return;
    const Rgb c = fire_.stage(stage).colour;
    const auto chosen = chooseColour(QColor(c.r, c.g, c.b));
    if (!chosen) return;
    fire_.setStageColour(stage, Rgb{static_cast<std::uint8_t>(chosen->red()),
                                    static_cast<std::uint8_t>(chosen->green()),
                                    static_cast<std::uint8_t>(chosen->blue())});
    refresh();
}

void GunPageView::leave(bool confirmed) {
    recorder_->stopRecording();
    recorder_->hide();
    if (confirmed) {
        // The gun goes to the button whose menu opened the page; only profile 2 holds guns.
        const std::optional<int> button = assignments_.currentProfile() == 2
                                              ? std::optional<int>(assignments_.mainPageButton())
                                              : std::nullopt;
        const EditOutcome out = context_.sink->apply(fire_.confirmGun(button));
        if (out.refused && out.message) context_.ui->showMessage(*out.message);
    } else {
        fire_.cancelGun();
    }
    context_.host->showPage(static_cast<Page>(assignments_.currentProfile()));
}

void GunPageView::backgroundDoubleClicked() {
    constexpr const char* kAccessCode = "MbrQelnVd";
    if (hiddenMode_) {
        hiddenMode_ = false;
    } else if (++doubleClicks_ % 5 == 0) {
        const auto code = askAccessCode();
        hiddenMode_ = code && *code == QLatin1String(kAccessCode);
    }
    recorder_->stopRecording();
    recorder_->setVisible(hiddenMode_);
    if (hiddenMode_) {
        recorder_->reload();
        recorder_->raise();
    }
}

} // namespace krm::gui
