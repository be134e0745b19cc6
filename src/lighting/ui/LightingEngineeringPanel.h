#pragma once

#include "lighting/LightingEditor.h"
#include "widgets/TabPanel.h"

#include <QObject>

#include <array>
#include <utility>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace krm::gui {

// The lighting controls of the engineering page's operator tab: the LED type (lbl_LEDMode, cb_LEDMode,
// usable only in the full hidden mode: a new type regenerates the whole image and restarts the mouse),
// the mode list, the NT LED count and the breathing parameters. Captions from the engineering caption
// table.
class LightingEngineeringPanel : public QObject, public TabPanel {
    Q_OBJECT
public:
    LightingEngineeringPanel(const PageContext& context, LightingEditor& editor);
    ~LightingEngineeringPanel() override;

    QWidget* widget() override;
    void refresh() override;
    void setCaptionColumn(int column) override;
    void setFactoryControlsShown(bool shown) override;

    QComboBox* typeList() const { return type_; }
    QComboBox* modeList() const { return mode_; }

private:
    QLabel* caption(QWidget* parent, int row);
    void finish(const EditOutcome& outcome);

    PageContext context_;
    LightingEditor& editor_;
    QGroupBox* box_ = nullptr;
    QLabel* typeLabel_ = nullptr;
    QComboBox* type_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* count_ = nullptr;
    QLabel* countLabel_ = nullptr;
    std::array<QLineEdit*, 5> breath_{}; // lower, upper, lower hold, upper hold, step time
    std::vector<std::pair<QWidget*, int>> captioned_;
    int column_ = 0;
};

} // namespace krm::gui
