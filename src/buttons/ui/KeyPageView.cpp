#include "buttons/ui/KeyPageView.h"

#include "buttons/FunctionCodes.h"
#include "buttons/MenuLayout.h"
#include "buttons/ui/FunctionMenu.h"
#include "buttons/ui/KeyComboDialogView.h"
#include "device/UiPort.h"
#include "widgets/ClickLabel.h"
#include "widgets/Desktop.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QMouseEvent>
#include <QWidget>

namespace krm::gui {

namespace {

constexpr int kKeyTextIndent = 14; // the caption starts right of the highlight picture's marker bar

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The transparent cover over the whole main window while the key-combination dialog is open.
class WindowCover : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }
};

std::optional<MenuPage> menuPageOf(Page page) {
    switch (page) {
    case Page::Profile1:
        return MenuPage::OfficeMode;
    case Page::Profile2:
        return MenuPage::GameMode;
    case Page::Profile3:
        return MenuPage::ThirdMode;
    case Page::Engineering:
        return MenuPage::Engineering;
    default:
        return std::nullopt;
    }
}

} // namespace

KeyPageView::KeyPageView(const PageContext& context, AssignmentEditor& editor, const EditorState& shared)
    : QObject(context.window), context_(context), editor_(editor), shared_(shared) {
    build();
}

KeyPageView::~KeyPageView() {
    if (dialog_) dialog_->close();
}

void KeyPageView::build() {
    for (int n = 1; n <= 12; ++n) {
        auto* picture = new QLabel(context_.container);
        picture->setObjectName(QStringLiteral("Img_Key%1").arg(n));
        picture->setScaledContents(true);
        picture->setAttribute(Qt::WA_TransparentForMouseEvents);
        picture->setPixmap(resourcePixmap(QStringLiteral("KeyS_01")));
        auto* label = new ClickLabel(context_.container);
        label->setObjectName(QStringLiteral("Key%1").arg(n));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setIndent(kKeyTextIndent);
        connect(label, &ClickLabel::entered, this, [this, n] { keyEntered(n); });
        connect(label, &ClickLabel::left, this, [this, n] { keyLeft(n); });
        connect(label, &ClickLabel::clicked, this, [this, n] { keyClicked(n); });
        keyPictures_[static_cast<std::size_t>(n - 1)] = picture;
        keys_[static_cast<std::size_t>(n - 1)] = label;
    }
    for (int n = 1; n <= 8; ++n) {
        auto* tick = new ClickLabel(context_.container);
        tick->setObjectName(QStringLiteral("Img_ComboKey%1").arg(n));
        tick->setScaledContents(true);
        tick->setFocusPolicy(Qt::NoFocus); // the keyboard reaches the option through its caption
        auto* label = new ClickLabel(context_.container);
        label->setObjectName(QStringLiteral("IB_ComboKey%1").arg(n));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setRole(ClickLabel::Role::CheckBox);
        label->setTickPicture(tick);
        for (ClickLabel* l : {tick, label})
            connect(l, &ClickLabel::clicked, this, [this, n] { toggleClicked(n); });
        togglePictures_[static_cast<std::size_t>(n - 1)] = tick;
        toggles_[static_cast<std::size_t>(n - 1)] = label;
    }

    menu_ = new FunctionMenu(context_.window);
    connect(menu_, &FunctionMenu::functionChosen, this, &KeyPageView::chooseFunction);
    connect(menu_, &FunctionMenu::userDefinedChosen, this, &KeyPageView::chooseUserDefined);
    connect(menu_, &FunctionMenu::gunPageChosen, this, [this] { context_.host->showPage(Page::Gun); });
    connect(menu_, &FunctionMenu::deviceMacroChosen, this, &KeyPageView::chooseDeviceMacro);
    connect(menu_, &FunctionMenu::gunKeyEntryChosen, this, &KeyPageView::chooseGunKeyEntry);

    cover_ = new WindowCover(context_.window);
    cover_->setObjectName(QStringLiteral("Disable_All_Dialog"));
    cover_->hide();
}

// --- skin and repaint ---

void KeyPageView::placeAndShow(QWidget* widget, const std::string& name, bool shown) {
    const Placement* p = layout_ ? layout_->find(name) : nullptr;
    if (!p) return;
    applyPlacement(widget, *p, fontFamily_);
    widget->setVisible(p->visible && shown);
    widget->raise();
}

bool KeyPageView::gunToggleShown() const {
    return page_ == Page::Profile2 && context_.branding->gdEnable && layout_ && layout_->flags.gunModeSwitch;
}

void KeyPageView::applySkin(const PageSkin& skin) {
    layout_ = skin.layout;
    fontFamily_ = skin.fontFamily;
    language_ = skin.language;
    for (int n = 1; n <= 12; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        placeAndShow(keyPictures_[i], "Img_Key" + std::to_string(n), true);
        placeAndShow(keys_[i], "Key" + std::to_string(n), true);
    }
    for (int n = 1; n <= 8; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const bool shownNow = n != 8 || gunToggleShown();
        placeAndShow(togglePictures_[i], "Img_ComboKey" + std::to_string(n), shownNow);
        placeAndShow(toggles_[i], "IB_ComboKey" + std::to_string(n), shownNow);
    }
    // The key labels stand in two columns beside the mouse: Tab reads them row by row.
    orderTabsByPosition(std::vector<QWidget*>(keys_.begin(), keys_.end()));
}

void KeyPageView::setTexts(const TextSource& texts) {
    context_.texts = &texts;
    for (int n = 1; n <= 8; ++n)
        toggles_[static_cast<std::size_t>(n - 1)]->setText(qs(texts.text("Str" + std::to_string(699 + n))));
    if (layout_) menu_->applySkin(*layout_, fontFamily_, texts);
    shown(page_);
}

void KeyPageView::refresh() {
    for (int n = 1; n <= 12; ++n) {
        ClickLabel* key = keys_[static_cast<std::size_t>(n - 1)];
        key->setCaption(qs(editor_.keyCaption(n)));
        // What a screen reader says: the rolling caption would be read from wherever it has rolled to.
        if (context_.texts)
            key->setAccessibleName(
                qs(context_.texts->text("Str923")).arg(n).arg(key->caption().simplified()));
    }
    for (int n = 1; n <= 8; ++n) toggles_[static_cast<std::size_t>(n - 1)]->setChecked(editor_.toggleOn(n));
}

void KeyPageView::shown(Page page) {
    page_ = page;
    if (!layout_) return;
    if (const auto menuPage = menuPageOf(page)) {
        const MenuBranding branding{context_.branding->gdEnable, context_.branding->beEnable,
                                    layout_->flags.profile2Button, layout_->flags.profile3Button};
        menu_->setSizes(menuSizes(*menuPage, branding));
    }
    const Placement* p = layout_->find("IB_ComboKey8");
    const bool gunShown = p && p->visible && gunToggleShown();
    toggles_[7]->setVisible(gunShown);
    togglePictures_[7]->setVisible(gunShown);
    refresh();
}

void KeyPageView::hideMenus() {
    menu_->hideAll();
}

// --- key labels ---

void KeyPageView::keyEntered(int button) {
    const auto i = static_cast<std::size_t>(button - 1);
    keyPictures_[i]->setPixmap(resourcePixmap(QStringLiteral("KeyS_02")));
    context_.host->rollingLabelEntered(keys_[i]);
}

void KeyPageView::keyLeft(int button) {
    const auto i = static_cast<std::size_t>(button - 1);
    keyPictures_[i]->setPixmap(resourcePixmap(QStringLiteral("KeyS_01")));
    context_.host->rollingLabelLeft(keys_[i]);
}

void KeyPageView::updateMacroLists() {
    std::vector<std::pair<int, QString>> macros;
    for (int slot = 0; slot < kDeviceMacroSlots; ++slot) {
        const DeviceMacroSlot& m = shared_.deviceMacros[static_cast<std::size_t>(slot)];
        if (m.present) macros.emplace_back(slot, qs(m.name));
    }
    menu_->setDeviceMacros(macros);
    menu_->setGunKeyList(gunKeyListRows(shared_.gunKeys));
}

void KeyPageView::keyClicked(int button) {
    // The rolling caption stops and the label's own caption comes back before the menu opens.
    keyLeft(button);
    editor_.openFromMainPage(button);
    updateMacroLists();

    const ClickLabel* label = keys_[static_cast<std::size_t>(button - 1)];
    const QPoint at = label->mapTo(context_.window, QPoint(0, 0));
    const QSize menuSize = menu_->mainSize();
    const QRect room = onScreenPart(context_.window);
    const MenuPoint corner = placeMenuAtLabel({at.x(), at.y(), label->width(), label->height()},
                                              {menuSize.width(), menuSize.height()},
                                              {room.x(), room.y(), room.width(), room.height()});
    menu_->open(QPoint(corner.x, corner.y), MenuTarget::MainPage);
    // Only the keyboard gives a key label the focus: a menu opened from it is walked with the keyboard.
    if (label->hasFocus()) menu_->focusFirstItem();
}

void KeyPageView::openMenuPath(int button, const std::vector<int>& tagsOrBranches) {
    if (button < 1 || button > 12) return;
    keyClicked(button);
    MenuPanel panel = MenuPanel::Main;
    for (int tag : tagsOrBranches) {
        FunctionMenuItem* item = menu_->item(panel, tag);
        if (!item) return;
        menu_->hover(item);
        const auto next = submenuFor(panel, tag);
        if (!next) return;
        panel = *next;
    }
}

// --- toggles ---

void KeyPageView::toggleClicked(int n) {
    hideMenus();
    finish(editor_.toggleModeSwitch(n));
}

// --- choices ---

void KeyPageView::chooseFunction(int tag) {
    finish(editor_.chooseFunction(tag));
}

void KeyPageView::chooseUserDefined() {
    finish(editor_.userDefined());
}

void KeyPageView::chooseDeviceMacro(int slot) {
    finish(editor_.chooseDeviceMacro(slot));
}

void KeyPageView::chooseGunKeyEntry(int n) {
    finish(editor_.chooseGunKeyListEntry(n));
}

void KeyPageView::dialogConfirmed(const QString& code, const QString& caption) {
    finish(editor_.applyDialogCode(code.toStdString(), caption.toStdString()));
}

void KeyPageView::finish(const EditOutcome& outcome) {
    context_.sink->apply(outcome);
    refresh();
    if (outcome.refused && outcome.message) context_.ui->showMessage(*outcome.message);
    switch (outcome.followup) {
    case Followup::None:
    case Followup::ReloadEditors:
        break;
    case Followup::OpenKeyComboDialog:
        showDialog(outcome.coverWindow);
        break;
    case Followup::ApplyGameModeTrigger:
    case Followup::ApplyLedModeCombination:
        emit modeOptionChanged(outcome.followup);
        break;
    }
}

// --- key-combination dialog ---

QWidget* KeyPageView::openKeyComboDialog() {
    // Whatever the dialog confirms still passes the left-button rule of applyDialogCode.
    hideMenus();
    showDialog(editor_.currentProfile() == 1);
    return dialog_;
}

KeyComboDialogView* KeyPageView::keyComboDialog() const {
    return dialog_;
}

void KeyPageView::showDialog(bool coverWindow) {
    if (dialog_) {
        dialog_->close();
        setCovered(false);
    }
    if (coverWindow) setCovered(true);
    dialog_ = new KeyComboDialogView(context_.window, *context_.texts, language_, fontFamily_);
    connect(dialog_, &KeyComboDialogView::confirmed, this, &KeyPageView::dialogConfirmed);
    connect(dialog_, &KeyComboDialogView::finished, this, [this] { setCovered(false); });
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void KeyPageView::setCovered(bool covered) {
    cover_->setGeometry(context_.window->rect());
    cover_->setVisible(covered);
    if (covered) cover_->raise();
}

// --- access for the window and tests ---

ClickLabel* KeyPageView::keyLabel(int button) const {
    return keys_.at(static_cast<std::size_t>(button - 1));
}
QLabel* KeyPageView::keyPicture(int button) const {
    return keyPictures_.at(static_cast<std::size_t>(button - 1));
}
ClickLabel* KeyPageView::toggleLabel(int n) const {
    return toggles_.at(static_cast<std::size_t>(n - 1));
}
ClickLabel* KeyPageView::togglePicture(int n) const {
    return togglePictures_.at(static_cast<std::size_t>(n - 1));
}

} // namespace krm::gui
