#pragma once

#include "fire/FireEditor.h"
#include "session/EditRequest.h"
#include "shell/SkinLayout.h"
#include "widgets/PageView.h"

#include <QObject>
#include <QString>

#include <map>
#include <string>

class QLineEdit;
class QWidget;

namespace krm::gui {

// The fire-key slots of the performance page: for each of the three slots the repeat count (2..15),
// the interval (1..4094 ms) and the continue switch. The field rules apply while typing; a value is
// written when its field is left (or Enter is pressed) and a continue switch at its click: the slot,
// every button that fires with it and the fire-key block go to the mouse.
class FireSlotPanel : public QObject, public PageView {
    Q_OBJECT
public:
    FireSlotPanel(const PageContext& context, FireEditor& fire);

    void applySkin(const PageSkin& skin) override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;
    void shown(Page) override { refresh(); }

    // Controls by their skin name ("Edt_Repeat2", "Edt_DelayTime1", "lbl_Fire3Continue").
    QWidget* control(const std::string& name) const;

private:
    template <typename W> W* add(const std::string& name, W* widget);
    void commit(int slot);
    void finish(const EditOutcome& outcome);

    PageContext context_;
    FireEditor& fire_;
    const SkinLayout* layout_ = nullptr;
    QString fontFamily_;
    std::map<std::string, QWidget*> controls_;
    bool filling_ = false;
};

} // namespace krm::gui
