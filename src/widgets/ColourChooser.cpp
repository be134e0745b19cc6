#include "widgets/ColourChooser.h"

#include "widgets/ClickLabel.h"
#include "widgets/ImageButton.h"
#include "widgets/LookDialog.h"
#include "widgets/SkinWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <functional>

namespace krm::gui {

namespace {

// The basic colours: the LEDs' pure colours in the top row, lighter and darker ones below, then the greys.
constexpr std::array<QRgb, 24> kBasic = {
    0xff0000, 0xff8000, 0xffff00, 0x00ff00, 0x00ffff, 0x0080ff, 0x0000ff, 0xff00ff,
    0xff8080, 0xffc080, 0xffff80, 0x80ff80, 0x80ffff, 0x80c0ff, 0x8080ff, 0xff80ff,
    0x800000, 0x804000, 0x808000, 0x008000, 0x008080, 0x000080, 0x800080, 0x000000,
};
constexpr int kFieldWidth = 240, kFieldHeight = 160;

// Hue across (0..359) and saturation down (255 at the top) at full brightness; the pointer or the
// arrow keys move the marker.
class HueSaturationField : public QWidget {
public:
    explicit HueSaturationField(QWidget* parent) : QWidget(parent) {
        setFixedSize(kFieldWidth, kFieldHeight);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::CrossCursor);
        spectrum_ = QImage(kFieldWidth, kFieldHeight, QImage::Format_RGB32);
        for (int y = 0; y < kFieldHeight; ++y)
            for (int x = 0; x < kFieldWidth; ++x)
                spectrum_.setPixel(x, y, QColor::fromHsv(hueAt(x), saturationAt(y), 255).rgb());
    }

    std::function<void(int hue, int saturation)> picked;

    void display(int hue, int saturation) {
        hue_ = std::clamp(hue, 0, 359);
        saturation_ = std::clamp(saturation, 0, 255);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, spectrum_);
        const QPointF at(hue_ * (kFieldWidth - 1) / 359.0, (255 - saturation_) * (kFieldHeight - 1) / 255.0);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 3));
        p.drawEllipse(at, 5, 5);
        p.setPen(QPen(Qt::white, 1.5));
        p.drawEllipse(at, 5, 5);
        if (hasFocus()) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 2));
            p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
    }
    void mousePressEvent(QMouseEvent* e) override { pick(e->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) pick(e->position().toPoint());
    }
    void keyPressEvent(QKeyEvent* e) override {
        int hue = hue_, saturation = saturation_;
        switch (e->key()) {
        case Qt::Key_Left:
            hue = (hue + 359) % 360;
            break;
        case Qt::Key_Right:
            hue = (hue + 1) % 360;
            break;
        case Qt::Key_Up:
            saturation += 4;
            break;
        case Qt::Key_Down:
            saturation -= 4;
            break;
        default:
            return QWidget::keyPressEvent(e);
        }
        display(hue, saturation);
        if (picked) picked(hue_, saturation_);
    }

private:
    static int hueAt(int x) { return std::clamp(x * 359 / (kFieldWidth - 1), 0, 359); }
    static int saturationAt(int y) { return std::clamp(255 - y * 255 / (kFieldHeight - 1), 0, 255); }
    void pick(QPoint at) {
        display(hueAt(at.x()), saturationAt(at.y()));
        if (picked) picked(hue_, saturation_);
    }

    QImage spectrum_;
    int hue_ = 0;
    int saturation_ = 0;
};

// The chooser's controls and the colour they show; each control's change shows the colour in the others.
class ColourDialog : public LookDialog {
public:
    ColourDialog(QWidget* mainWindow, const DialogLook& look, const QString& title, const QColor& initial)
        : LookDialog(mainWindow, look, title) {
        setObjectName(QStringLiteral("dlgColour"));
        if (look.layout) border_ = toQColor(look.layout->colour("Color_F_LBorder"));
        auto* row = new QHBoxLayout;
        body()->addLayout(row);

        auto* left = new QVBoxLayout;
        auto* basicTitle = new QLabel(look.text("Str928"), this);
        basicTitle->setObjectName(QStringLiteral("lbl_BasicColours"));
        left->addWidget(basicTitle);
        auto* grid = new QGridLayout;
        grid->setSpacing(4);
        for (std::size_t i = 0; i < kBasic.size(); ++i) {
            const QColor c(kBasic[i]);
            auto* swatch = new ClickLabel(this);
            swatch->setObjectName(QStringLiteral("Basic%1").arg(i + 1));
            swatch->setFixedSize(24, 24);
            swatch->setAccessibleName(c.name());
            swatch->setStyleSheet(filled(c));
            connect(swatch, &ClickLabel::clicked, this, [this, c] { display(c, nullptr); });
            grid->addWidget(swatch, static_cast<int>(i) / 8, static_cast<int>(i) % 8);
        }
        left->addLayout(grid);
        left->addStretch(1);
        row->addLayout(left);

        auto* right = new QVBoxLayout;
        field_ = new HueSaturationField(this);
        field_->setObjectName(QStringLiteral("HueSaturation"));
        field_->setAccessibleName(look.text("Str929"));
        field_->picked = [this](int hue, int saturation) {
            const int value = current_.value() < 32 ? 255 : current_.value();
            display(QColor::fromHsv(hue, saturation, value), field_);
        };
        right->addWidget(field_);
        auto* channels = new QGridLayout;
        const char* const names[] = {"Str930", "Str931", "Str932"};
        for (int k = 0; k < 3; ++k) {
            auto* caption = new QLabel(look.text(names[k]), this);
            auto* box = new QSpinBox(this);
            box->setObjectName(QStringLiteral("Spin%1").arg(QLatin1Char("RGB"[k])));
            box->setRange(0, 255);
            box->setAccessibleName(caption->text());
            caption->setBuddy(box);
            connect(box, &QSpinBox::valueChanged, this, [this] {
                display(QColor(channels_[0]->value(), channels_[1]->value(), channels_[2]->value()),
                        channels_[0]);
            });
            channels_[static_cast<std::size_t>(k)] = box;
            channels->addWidget(caption, k, 0);
            channels->addWidget(box, k, 1);
        }
        auto* codeCaption = new QLabel(look.text("Str933"), this);
        code_ = new QLineEdit(this);
        code_->setObjectName(QStringLiteral("Edt_ColourCode"));
        code_->setAccessibleName(codeCaption->text());
        code_->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("#?[0-9A-Fa-f]{0,6}")), code_));
        codeCaption->setBuddy(code_);
        connect(code_, &QLineEdit::textEdited, this, [this](const QString& text) {
            const QColor c(text.startsWith(QLatin1Char('#')) ? text : QLatin1Char('#') + text);
            if (c.isValid() && text.size() >= 6) display(c, code_);
        });
        channels->addWidget(codeCaption, 3, 0);
        channels->addWidget(code_, 3, 1);
        preview_ = new QLabel(this);
        preview_->setObjectName(QStringLiteral("cs_Chosen"));
        preview_->setAccessibleName(look.text("Str934"));
        preview_->setFixedSize(56, 56);
        channels->addWidget(preview_, 0, 2, 4, 1, Qt::AlignCenter);
        right->addLayout(channels);
        row->addLayout(right);

        connect(addButton("Btn_OK", look.text("Str420")), &ImageButton::clicked, this, &QDialog::accept);
        connect(addButton("Btn_Cancel", look.text("Str422")), &ImageButton::clicked, this, &QDialog::reject);
        display(initial.isValid() ? initial : QColor(Qt::white), nullptr);
        adjustSize();
    }

    QColor colour() const { return current_; }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return accept();
        QDialog::keyPressEvent(e);
    }

private:
    // Shows `c` in every control but `from`, the one it came from.
    void display(const QColor& c, const QObject* from) {
        current_ = c.toRgb();
        if (from != field_) field_->display(std::max(current_.hsvHue(), 0), current_.hsvSaturation());
        if (from != channels_[0])
            for (int k = 0; k < 3; ++k) {
                const QSignalBlocker quiet(channels_[static_cast<std::size_t>(k)]);
                channels_[static_cast<std::size_t>(k)]->setValue(k == 0   ? current_.red()
                                                                 : k == 1 ? current_.green()
                                                                          : current_.blue());
            }
        if (from != code_) code_->setText(current_.name());
        preview_->setStyleSheet(filled(current_));
    }

    // A swatch: the colour inside a thin frame of the look's box border; the focus frames it in white.
    QString filled(const QColor& c) const {
        return QStringLiteral(
                   "QLabel { background: %1; border: 1px solid %2; } QLabel:focus { border: 2px solid "
                   "#ffffff; }")
            .arg(c.name(), border_.name());
    }

    HueSaturationField* field_ = nullptr;
    std::array<QSpinBox*, 3> channels_{};
    QLineEdit* code_ = nullptr;
    QLabel* preview_ = nullptr;
    QColor current_;
    QColor border_{Qt::gray};
};

} // namespace

std::optional<QColor> chooseColour(QWidget* mainWindow, const QColor& initial, const SkinLayout& layout,
                                   const QString& fontFamily, const TextSource* texts, const char* titleId) {
    const DialogLook look{&layout, fontFamily, texts};
    ColourDialog dialog(mainWindow, look, look.text(titleId), initial);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.colour();
}

} // namespace krm::gui
