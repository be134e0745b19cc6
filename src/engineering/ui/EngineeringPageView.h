#pragma once

#include "engineering/EngineeringEditor.h"
#include "session/ImageOperations.h"
#include "widgets/PageView.h"
#include "widgets/TabPanel.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;
class QWidget;

namespace krm::gui {

// The engineering page (gbPage7): the tabs Operator (always shown), Gun Confirm and Advanced (shown in
// the full hidden mode). Operator holds the logo whose fifth double-click asks for the password, the
// USB ids and description, the factory codes, the sensor rotation, the patch code checksum and the four
// factory buttons; Advanced the MCU option lists, the sensor and LED init registers and direct XDATA
// access. Other subsystems' controls arrive as panels placed on a named tab (placePanel). Captions come
// from the engineering caption table in the locale's column, in its font.
class EngineeringPageView : public QObject, public PageView {
    Q_OBJECT
public:
    // Reads one XDATA byte from the mouse; nothing when the read failed.
    using XDataReader = std::function<std::optional<std::uint8_t>(std::uint16_t)>;
    // The password dialog: the entry when confirmed, nothing when cancelled.
    using PasswordPrompt = std::function<std::optional<std::string>()>;

    EngineeringPageView(const PageContext& context, EngineeringEditor& editor,
                        std::unique_ptr<ImageOperations> operations, XDataReader readXData);
    ~EngineeringPageView() override;

    // Places a subsystem's panel on the tab "ts_Operator", "ts_Gun" or "ts_Engineer"; the page owns it
    // as one of its panels (PageView::addPanel).
    void placePanel(const std::string& tab, std::unique_ptr<TabPanel> panel);

    void applySkin(const PageSkin& skin) override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;
    void shown(Page page) override;
    void hideMenus() override;

    // 0 English or 2 Chinese: every caption the table covers, in that column's font.
    void setCaptionColumn(int column);
    void setPasswordPrompt(PasswordPrompt prompt) { prompt_ = std::move(prompt); }
    const PasswordPrompt& passwordPrompt() const { return prompt_; }
    int captionColumn() const { return column_; }
    void setFileChooser(ChooseFile choose) { choose_ = std::move(choose); }

    // What a double-click on the logo does (the dialog included).
    void logoDoubleClicked();

    QTabWidget* tabs() const { return tabs_; }
    QLabel* logo() const { return logo_; }
    QLineEdit* vendorIdEdit() const { return vid_; }
    QLineEdit* descriptorEdit() const { return descriptor_; }
    QComboBox* optionList(const std::string& control) const;
    QPushButton* factoryButton(int row) const; // rows 10..13 of the caption table

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildOperatorTab(QWidget* tab);
    void buildAdvancedTab(QWidget* tab);
    QWidget* panelArea(QWidget* tab, const std::string& name);
    QLineEdit* hexEdit(QWidget* parent, int digits, const QString& name);
    QLabel* caption(QWidget* parent, int row);
    void finish(const EditOutcome& outcome);
    void applyHiddenMode();
    void readXData();
    void writeXData();

    PageContext context_;
    EngineeringEditor& editor_;
    std::unique_ptr<ImageOperations> operations_;
    XDataReader readXData_;
    PasswordPrompt prompt_;
    ChooseFile choose_;
    int column_ = 0;
    int language_ = 1;   // the look of the page's dialogs
    QString fontFamily_; // and their font

    QTabWidget* tabs_ = nullptr;
    QLabel* logo_ = nullptr;
    QLineEdit* vid_ = nullptr;
    QLineEdit* pid_ = nullptr;
    QLineEdit* descriptor_ = nullptr;
    QLineEdit* vendorCode_ = nullptr;
    QLineEdit* productCode_ = nullptr;
    QLineEdit* patchChecksum_ = nullptr;
    QLineEdit* xdataAddress_ = nullptr;
    QLineEdit* xdataValue_ = nullptr;
    QGroupBox* usbGroup_ = nullptr;
    std::map<std::string, QComboBox*> options_;
    std::vector<std::pair<const RegisterControl*, QLineEdit*>> registers_;
    std::map<int, QPushButton*> factoryButtons_;
    std::vector<std::pair<QWidget*, int>> captioned_; // widgets whose text is a caption table row
    std::map<std::string, QVBoxLayout*> panelAreas_;
    std::vector<TabPanel*> tabPanels_; // owned as the page's panels
};

} // namespace krm::gui
