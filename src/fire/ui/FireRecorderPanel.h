#pragma once

#include "fire/FireEditor.h"
#include "fire/FireMacroLines.h"
#include "macros/InputCapture.h"
#include "shell/SkinLayout.h"
#include "widgets/PageView.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace krm::gui {

class ImageButton;
class PictureCheckBox;

// The gun page's fire-macro recorder (hidden unless hidden mode is on): the ten fire macros, the lines
// of the chosen one, record/stop with the delay mode (recorded, fixed, none), delete and insert, drawn
// as the macro page draws its own: picture buttons, picture options, the insert box on its picture,
// lists and boxes in the look's colours.
// Recording takes left-button presses and releases from the InputCapture port; every change goes
// into the fire editor's working copy, which the gun page's confirm writes.
class FireRecorderPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 226, kHeight = 426;
    using CaptureFactory = std::function<std::unique_ptr<InputCapture>(std::string& note)>;
    FireRecorderPanel(QWidget* parent, const PageContext& context, FireEditor& fire,
                      CaptureFactory capture = {});
    ~FireRecorderPanel() override;

    void setTexts(const TextSource& texts);
    // The look's colours and font.
    void applyLook(const SkinLayout& layout, const QString& fontFamily);
    // Where recorded input comes from (the X11 or in-window capture unless replaced, e.g. by a test).
    void setCaptureFactory(CaptureFactory factory) {
        captureFactory_ = std::move(factory);
        capture_.reset();
    }
    // The macro list and the chosen macro's lines from the editor.
    void reload();
    // Recording stops (the page is left).
    void stopRecording();

    QListWidget* macroList() const { return macros_; }
    QListWidget* lineList() const { return lines_; }
    ImageButton* recordButton() const { return record_; }
    ImageButton* deleteButton() const { return delete_; }
    ImageButton* insertButton() const { return insert_; }
    QWidget* insertBox() const { return insertBox_; }
    QComboBox* insertChoice() const { return choice_; }
    QLineEdit* insertValue() const { return value_; }
    QLineEdit* insertX() const { return x_; }
    QLineEdit* insertY() const { return y_; }
    ImageButton* insertOk() const { return ok_; }
    QAbstractButton* realTime() const;
    QAbstractButton* fixed() const;
    QAbstractButton* noDelay() const;
    QLineEdit* fixedDelay() const { return fixedDelay_; }
    bool recording() const { return recording_; }

signals:
    // A body changed in the working copy: the stage fields showing it are to be refilled.
    void bodyChanged();

private:
    void chooseMacro(int i);
    void toggleRecording();
    void captured(const InputEvent& e);
    void store();
    void fillLines(int select);
    void deleteLine();
    void insertLine();
    void updateEnabled();

    PageContext context_;
    FireEditor& fire_;
    CaptureFactory captureFactory_;
    std::unique_ptr<InputCapture> capture_;
    std::string captureNote_;
    FireMacroRecorder recorder_;
    std::vector<FireLine> current_;
    int macro_ = -1;
    bool recording_ = false;
    const TextSource* texts_ = nullptr;

    QListWidget* macros_ = nullptr;
    QListWidget* lines_ = nullptr;
    ImageButton* record_ = nullptr;
    ImageButton* delete_ = nullptr;
    ImageButton* insert_ = nullptr;
    PictureCheckBox *realTime_ = nullptr, *fixed_ = nullptr, *noDelay_ = nullptr;
    QLineEdit* fixedDelay_ = nullptr;
    QWidget* insertBox_ = nullptr;
    QLabel* insertTitle_ = nullptr;
    QComboBox* choice_ = nullptr;
    QLineEdit *value_ = nullptr, *x_ = nullptr, *y_ = nullptr;
    ImageButton *ok_ = nullptr, *cancel_ = nullptr;
};

} // namespace krm::gui
