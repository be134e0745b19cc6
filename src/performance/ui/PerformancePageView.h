#pragma once

#include "performance/DpiEditor.h"
#include "performance/PointerSettings.h"
#include "performance/SniperEditor.h"
#include "session/EditRequest.h"
#include "shell/SkinLayout.h"
#include "widgets/ClickLabel.h"
#include "widgets/PageView.h"

#include <QObject>
#include <QString>

#include <array>
#include <map>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QWidget;

namespace krm::gui {

class StepSliderView;

// The performance page: the DPI levels (selector, label, value, twelve steps or a slider, colour), the
// level count, the report rate, the sniper step, and the desktop's pointer settings (speed, precision,
// double-click, scroll lines, one screen per notch). The mouse's settings go to the DPI and sniper
// editors, whose outcomes are written at once; the pointer settings go to the desktop.
class PerformancePageView : public QObject, public PageView {
    Q_OBJECT
public:
    PerformancePageView(const PageContext& context, DpiEditor& dpi, SniperEditor& sniper,
                        std::unique_ptr<PointerSettings> desktop);
    ~PerformancePageView() override;

    void applySkin(const PageSkin& skin) override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;
    void shown(Page page) override;

    // Controls by their skin name ("Img_DPI3_5", "slider_AIM", "lbl_Rep2", "combox_dpi_count", ...).
    QWidget* control(const std::string& name) const;
    PointerPanel& pointer() { return pointer_; }
    PointerSettings& desktop() { return *desktop_; }

private:
    enum class Bar { Speed, DoubleClick, Scroll };

    template <typename W> W* add(const std::string& name, W* widget);
    ClickLabel* clickable(const std::string& name);
    // A check box or option: its caption, which the keyboard reaches, with its tick picture beside it.
    ClickLabel* option(const std::string& caption, const std::string& picture, ClickLabel::Role role);
    QLabel* label(const std::string& name);
    StepSliderView* slider(const std::string& name, int maximum);
    void build();
    void buildDpiRow(int n);
    void buildPointerBar(Bar bar);
    void place(const std::string& name, bool shown);

    void paintSteps(const std::string& stepName, int steps, std::optional<int> lit, bool pointerBar);
    void refreshDpi();
    void refreshPointer();
    // Why the desktop has no such setting, in the active language; empty when it has.
    QString unsupportedReason(PointerItem item) const;
    void finish(const EditOutcome& outcome);
    void pointerReleased(Bar bar, int position, int extent);

    PageContext context_;
    DpiEditor& dpi_;
    SniperEditor& sniper_;
    std::unique_ptr<PointerSettings> desktop_;
    PointerPanel pointer_;
    const SkinLayout* layout_ = nullptr;
    QString fontFamily_;

    std::map<std::string, QWidget*> controls_;
    QComboBox* count_ = nullptr;
};

} // namespace krm::gui
