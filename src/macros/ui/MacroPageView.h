#pragma once

#include "macros/InputCapture.h"
#include "macros/MacroEditor.h"
#include "macros/MacroRecorder.h"
#include "widgets/PageView.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QWidget;

namespace krm::gui {

class ClickLabel;
class ValueDialogView;

// The macro page (container 4): the PC macro library, the macros on the mouse and the event rows of
// the macro shown; recording from the keyboard and mouse through an InputCapture, the delay and
// repeat options, row editing (edit, delete with the partner row, insert delays, moves and recorded
// keys) and "Add to Mouse". Library changes are written to the library file at once; mouse changes go
// to the edit sink. Device macros are shown read-only.
class MacroPageView : public QObject, public PageView {
    Q_OBJECT
public:
    using CaptureFactory = std::function<std::unique_ptr<InputCapture>(std::string& note)>;

    // `capture` makes the recorder's input source (the desktop's by default).
    MacroPageView(const PageContext& context, MacroEditor& editor, CaptureFactory capture = {});
    ~MacroPageView() override;

    void applySkin(const PageSkin& skin) override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;
    void shown(Page page) override;
    void hideMenus() override;

    // --- what the page's controls do (also for tests) ---
    void selectLibraryMacro(int row);
    void selectDeviceMacro(int row);
    void newMacro(const QString& name);
    void renameMacro(const QString& name);
    void deleteLibraryMacro();
    void deleteDeviceMacro();
    void addToMouse();
    void toggleRecording();
    void setDelayMode(DelayMode mode);
    void setFixedDelay(int ms);
    // The repeat option shown on the panel (what a recording gets); setRepeat also gives it to the
    // selected macro.
    void showRepeat(RepeatOption repeat);
    void setRepeat(RepeatOption repeat);
    // Row editing on the shown PC macro.
    void deleteRow(int row);
    void replaceRow(int row, const MacroRow& with);
    // Insert panel: item 0..5 of CB_Insert (delay front/back, key front/back, X/Y front/back).
    void openInsertPanel();
    void insertItemChanged(int item);
    void insertOk();
    void insertCancel();
    void toggleInsertRecording();

    bool recording() const { return recording_; }
    const std::vector<MacroRow>& rows() const { return rows_; }
    std::optional<std::size_t> libraryRow() const { return pcRow_; }
    QString shownHex() const { return hex_; }
    QString captureNote() const;

    QListWidget* libraryList() const { return pcList_; }
    QListWidget* deviceList() const { return deviceList_; }
    QListWidget* rowList() const { return rowList_; }
    ClickLabel* button(const QString& name) const;
    QLineEdit* delayEdit() const { return delayEdit_; }
    QLineEdit* stopCountEdit() const { return stopCountEdit_; }
    QLineEdit* insertDelayEdit() const { return insertDelay_; }
    QLineEdit* xEdit() const { return xEdit_; }
    QLineEdit* yEdit() const { return yEdit_; }
    QWidget* insertBox() const { return insertBox_; }
    QWidget* delayBox() const { return delayBox_; }
    QMenu* libraryMenu() const { return pcMenu_; }
    QMenu* deviceMenu() const { return deviceMenu_; }
    QMenu* rowMenu() const { return rowMenu_; }

private:
    void build();
    ClickLabel* makeButton(QWidget* parent, const QString& role, const QString& labelName,
                           const QString& picture);
    void place(QWidget* w, const std::string& name);
    void fillLists();
    void showRows(std::span<const std::uint8_t> events, bool editable);
    void fillRowList();
    void updateOptionPictures();
    void updateEnabled();
    // The shown rows compiled into the selected PC macro and the library written.
    void compileAndSave();
    void libraryResult(const LibraryResult& r);
    void finish(const EditOutcome& outcome);
    void onCaptured(const InputEvent& e);
    void stopRecording();
    void contextMenu(QListWidget* list, QMenu* menu, const QPoint& at);
    bool overOwnButtons() const;
    void editRow(int row);
    QString text(const char* id) const;
    // The skinned dialog that asks for a macro name.
    ValueDialogView* nameDialog();

    PageContext context_;
    MacroEditor& editor_;
    CaptureFactory captureFactory_;
    std::unique_ptr<InputCapture> capture_;
    std::string captureNote_;
    const SkinLayout* layout_ = nullptr;
    QString fontFamily_;
    int language_ = 1;

    QListWidget *pcList_ = nullptr, *deviceList_ = nullptr, *rowList_ = nullptr;
    std::vector<QLabel*> titles_;
    std::vector<std::pair<QWidget*, std::string>> placed_;
    QWidget *delayBox_ = nullptr, *insertBox_ = nullptr;
    QLabel* insertPicture_ = nullptr;
    QLabel* note_ = nullptr;
    QLineEdit *delayEdit_ = nullptr, *stopCountEdit_ = nullptr, *insertDelay_ = nullptr, *xEdit_ = nullptr,
              *yEdit_ = nullptr;
    QComboBox* insertCombo_ = nullptr;
    std::vector<ClickLabel*> buttons_;
    std::vector<QLabel*> optionPictures_;     // rec, fixed, none, until released, cycles
    std::vector<ClickLabel*> optionCaptions_; // their captions, which hold the choice
    std::vector<QLabel*> insertDelayPictures_;
    std::vector<ClickLabel*> insertDelayCaptions_;
    std::vector<QLabel*> insertTexts_;
    QMenu *pcMenu_ = nullptr, *deviceMenu_ = nullptr, *rowMenu_ = nullptr;

    // The macro shown: a library macro (editable) or a device macro.
    std::optional<std::size_t> pcRow_, deviceRow_;
    std::vector<MacroRow> rows_;
    RepeatOption repeat_;
    DelayMode delayMode_ = DelayMode::Recorded;
    int fixedDelay_ = 20;
    QString hex_;

    // Recording and inserting.
    MacroRecorder recorder_;
    bool recording_ = false;
    bool insertRecording_ = false;
    bool inserting_ = false;
    int insertItem_ = 0;
    DelayMode insertDelayMode_ = DelayMode::Recorded;
    std::vector<MacroRow> rowsBeforeInsert_;
    int insertAt_ = 0;
};

} // namespace krm::gui
