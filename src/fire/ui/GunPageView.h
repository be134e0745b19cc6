#pragma once

#include "buttons/AssignmentEditor.h"
#include "fire/FireEditor.h"
#include "session/EditRequest.h"
#include "shell/SkinLayout.h"
#include "widgets/PageView.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QWidget;

namespace krm::gui {

class ClickLabel;
class ImageButton;
class FireRecorderPanel;

// The gun page: seven gun buttons, the stage pictures of guns 6 and 7, the stage table (shots, X and Y
// per shot with their offsets, interval, LED colour), the keep-left switch, confirm and cancel, and
// the hidden fire-macro recorder. Edits go to the fire editor's working copy; confirm gives the gun
// to the key page's button (profile 2 only) and writes everything with the busy window up; cancel
// drops the edits. Both go back to the key page.
class GunPageView : public QObject, public PageView {
    Q_OBJECT
public:
    GunPageView(const PageContext& context, FireEditor& fire, AssignmentEditor& assignments);
    ~GunPageView() override;

    void applySkin(const PageSkin& skin) override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;
    void shown(Page page) override;

    // Controls by their skin name ("Btn_Fire3", "Edt_FireX2Offset", "IB_FireColor1", "Btn_FireConfirm").
    QWidget* control(const std::string& name) const;
    FireRecorderPanel* recorder() const { return recorder_; }
    // Hidden mode shows the recorder; the background's fifth double-click asks for the access code.
    bool hiddenMode() const { return hiddenMode_; }
    // The access-code dialog: the text entered, or nothing when cancelled. QInputDialog unless replaced.
    std::function<std::optional<QString>()> askAccessCode;
    // The colour dialog: the colour chosen, or nothing when cancelled. QColorDialog unless replaced.
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;
    // The background was double-clicked (hidden mode: the recorder's controls come and go).
    void backgroundDoubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename W> W* add(const std::string& name, W* widget);
    void build();
    void place(const std::string& name, bool shown);
    void stageEdited(int stage, fire::StageField field, QLineEdit* edit);
    void pickColour(int stage);
    void leave(bool confirmed);

    PageContext context_;
    FireEditor& fire_;
    AssignmentEditor& assignments_;
    const SkinLayout* layout_ = nullptr;
    QString fontFamily_;
    int language_ = 1;
    std::map<std::string, QWidget*> controls_;
    FireRecorderPanel* recorder_ = nullptr;
    bool filling_ = false; // the fields are being filled from the editor: edits are not taken
    int doubleClicks_ = 0;
    bool hiddenMode_ = false;
};

} // namespace krm::gui
