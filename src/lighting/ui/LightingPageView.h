#pragma once

#include "lighting/LightingEditor.h"
#include "lighting/LightingPreview.h"
#include "session/EditRequest.h"
#include "widgets/PageView.h"

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QSlider;

namespace krm::gui {

class ClickLabel;

// The mouse as the page draws it, its LEDs in the colour the core's preview gives for the current
// mode. The animation runs only while the widget is visible and the mode changes over time; a steady
// mode is drawn once.
class LightingPreviewWidget : public QWidget {
public:
    explicit LightingPreviewWidget(QWidget* parent);
    void setInput(const PreviewInput& input);
    bool running() const { return timer_.isActive(); }
    // The colour of the LEDs as last drawn.
    QColor shownColour() const { return colour_; }
    // Time since the preview started, ms; tests set it instead of waiting.
    void showAt(std::int64_t ms);

    static constexpr int kFrameMs = 40; // 25 frames a second
    static constexpr int kWidth = 170, kHeight = 180;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void tick();
    void updateTimer();

    LightingPreview preview_{PreviewInput{}};
    QTimer timer_;
    QElapsedTimer clock_;
    std::int64_t start_ = 0; // preview time of the first frame, ms
    QColor colour_{Qt::black};
};

// The lighting page (container 3): the mode items of the LED type, the speed bar (or, for MCU LEDs,
// their step bar and brightness options), the colour table with a colour dialog, and the preview.
// Every action goes to the lighting editor; its writes go out through the edit sink at once.
class LightingPageView : public QObject, public PageView {
    Q_OBJECT
public:
    LightingPageView(const PageContext& context, LightingEditor& editor);
    ~LightingPageView() override;

    void applySkin(const PageSkin& skin) override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;
    void shown(Page page) override;

    // The colour dialog: the colour chosen, or nothing when cancelled. QColorDialog unless replaced
    // (tests).
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;

    ClickLabel* modeLabel(int item) const { return modeLabels_.at(idx(item)); }
    ClickLabel* modePicture(int item) const { return modePictures_.at(idx(item)); }
    ClickLabel* speedStep(int level) const { return speedSteps_.at(idx(level)); }
    QSlider* speedSlider() const { return speedSlider_; }
    ClickLabel* mcuStep(int segment) const { return mcuSteps_.at(idx(segment)); }
    ClickLabel* brightnessOption(bool full) const { return full ? fullLabel_ : halfLabel_; }
    ClickLabel* colourLabel(int n) const { return colourLabels_.at(idx(n)); }
    QLabel* swatch(int n) const { return swatches_.at(idx(n)); }
    LightingPreviewWidget* preview() const { return preview_; }

private:
    static std::size_t idx(int oneBased) { return static_cast<std::size_t>(oneBased - 1); }
    void build();
    void place(QWidget* widget, const std::string& name);
    void show(QWidget* widget, const std::string& name, bool shown);
    void finish(const EditOutcome& outcome);
    void pickColour(int n);
    void speedReleased();
    void mcuSpeedReleased();
    void paintBar(const std::vector<ClickLabel*>& steps, int current);

    PageContext context_;
    LightingEditor& editor_;
    const SkinLayout* layout_ = nullptr;
    QString fontFamily_;

    std::array<ClickLabel*, 7> modePictures_{};
    std::array<ClickLabel*, 7> modeLabels_{};
    std::vector<ClickLabel*> speedSteps_;
    std::vector<QLabel*> speedNumbers_;
    QSlider* speedSlider_ = nullptr;
    std::vector<ClickLabel*> mcuSteps_;
    std::vector<QLabel*> mcuNumbers_;
    QSlider* mcuSlider_ = nullptr;
    ClickLabel* fullPicture_ = nullptr;
    ClickLabel* halfPicture_ = nullptr;
    ClickLabel* fullLabel_ = nullptr;
    ClickLabel* halfLabel_ = nullptr;
    std::array<QLabel*, 10> swatches_{};
    std::array<QLabel*, 10> frames_{};
    std::array<ClickLabel*, 10> colourLabels_{};
    std::array<QLabel*, 10> numbers_{}; // under the swatches, shown with them
    ClickLabel* modeCaption_ = nullptr;
    ClickLabel* speedCaption_ = nullptr;
    ClickLabel* colourCaption_ = nullptr;
    LightingPreviewWidget* preview_ = nullptr;
};

} // namespace krm::gui
