#include "buttons/ui/FunctionMenu.h"

#include "buttons/FunctionCodes.h"
#include "widgets/Desktop.h"
#include "widgets/SkinWidgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <array>

namespace krm::gui {

namespace {

using Kind = FunctionMenuItem::Kind;
using P = MenuPanel;

constexpr int kArrowWidth = 14;

struct PanelName {
    MenuPanel panel;
    const char* name;
};
constexpr std::array<PanelName, 13> kPanels{{{P::Main, "Pnl_Main"},
                                             {P::MseKey, "Pnl_MseKey"},
                                             {P::Special, "Pnl_Special"},
                                             {P::Media, "Pnl_Media"},
                                             {P::WWW, "Pnl_WWW"},
                                             {P::MyPC, "Pnl_MyPC"},
                                             {P::CPIKey, "Pnl_CPIKey"},
                                             {P::FireKey, "Pnl_FireKey"},
                                             {P::ACPI, "Pnl_ACPI"},
                                             {P::Profile, "Pnl_Profile"},
                                             {P::AdjustXY, "Pnl_AdjustXY"},
                                             {P::MacroList, "LB_Name"},
                                             {P::GunKeyList, "LB_Script"}}};

const char* panelName(MenuPanel panel) {
    for (const PanelName& p : kPanels)
        if (p.panel == panel) return p.name;
    return "";
}

// A panel: the menu background with a one-pixel frame.
class MenuPanelWidget : public QWidget {
public:
    MenuPanelWidget(QWidget* parent, const MenuColours& colours) : QWidget(parent), colours_(colours) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), colours_.back);
        p.setPen(colours_.border);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    // A click on the frame or between items is the menu's, not the window's (which would close it).
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }

private:
    const MenuColours& colours_;
};

// Rows of Pnl_Main and Pnl_Special: submenu openers and functions mixed, in menu order.
struct Row {
    Kind kind;
    int tag;
};
constexpr std::array<Row, 9> kMainRows{{
    {Kind::Branch, 1}, // Key_Standard
    {Kind::Branch, 2}, // Key_Special
    {Kind::Branch, 3}, // Key_Media
    {Kind::Branch, 4}, // Key_WWW
    {Kind::Branch, 5}, // Key_MyPC
    {Kind::UserDefined, kUserDefinedItem},
    {Kind::Branch, 6},             // Key_Macro
    {Kind::GunPage, kGunPageItem}, // row 7 on the main page ...
    {Kind::Branch, 13},            // ... and in its place for the profile table and combo keys
}};
constexpr std::array<Row, 13> kSpecialRows{{
    {Kind::Branch, 7},                     // Key_CPIKey
    {Kind::Branch, 8},                     // Key_Fire
    {Kind::Branch, 9},                     // Key_ACPIKey
    {Kind::Branch, 10},                    // Key_ProfileKey
    {Kind::Function, tags::kAim},          // Key_AIM
    {Kind::Function, 1001},                // Key_LEDMode
    {Kind::Function, 1002},                // Key_LEDSwitch
    {Kind::Function, 1004},                // Key_ReportRate
    {Kind::Function, tags::kKeyOff},       // Key_KeyOff
    {Kind::Function, tags::kFireMacroKey}, // Key_FireMacroKey, moved by the page
    {Kind::Function, 1006},                // Key_FireMacroOff
    {Kind::Branch, 12},                    // Key_AdjustXY
    {Kind::Function, 1003},                // Key_BtnEFT, moved by the page
}};
constexpr int kButtonEffectTag = 1003;

const MenuBranch* branch(MenuPanel parent, int tag) {
    for (const MenuBranch& b : menuBranches())
        if (b.parent == parent && b.tag == tag) return &b;
    return nullptr;
}

} // namespace

// --- FunctionMenuItem ---

FunctionMenuItem::FunctionMenuItem(QWidget* panel, MenuPanel parent, Kind kind, int tag)
    : ClickLabel(panel), parent_(parent), kind_(kind), tag_(tag) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void FunctionMenuItem::setHighlighted(bool on, const MenuColours& colours) {
    highlighted_ = on;
    setAutoFillBackground(on);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colours.hoverBack);
    pal.setColor(QPalette::WindowText, on ? colours.hoverText : colours.text);
    setPalette(pal);
}

void FunctionMenuItem::paintEvent(QPaintEvent* e) {
    ClickLabel::paintEvent(e);
    if (kind_ != Kind::Branch) return;
    // Items that open a panel carry a small arrow at their right end.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::WindowText));
    const qreal cx = width() - kArrowWidth / 2.0 - 2, cy = height() / 2.0;
    const QPointF arrow[3] = {{cx - 2.5, cy - 4}, {cx + 2.5, cy}, {cx - 2.5, cy + 4}};
    p.drawPolygon(arrow, 3);
}

// --- FunctionMenu ---

FunctionMenu::FunctionMenu(QWidget* window) : QObject(window), window_(window) {
    sizes_ = menuSizes(MenuPage::OfficeMode, {});
    build();
    hideAll();
}

FunctionMenu::~FunctionMenu() {
    for (auto& [panel, w] : panels_) delete w.data();
}

void FunctionMenu::wire(FunctionMenuItem* item) {
    item->installEventFilter(this);
    connect(item, &FunctionMenuItem::entered, this, [this, item] { hover(item); });
    connect(item, &FunctionMenuItem::left, this, [this, item] { unhover(item); });
    connect(item, &FunctionMenuItem::clicked, this, [this, item] { click(item); });
}

FunctionMenuItem* FunctionMenu::addItem(MenuPanel panel, Kind kind, int tag, int row,
                                        std::string_view objectName, std::string_view nameId) {
    auto* item = new FunctionMenuItem(panels_.at(panel), panel, kind, tag);
    item->setObjectName(QString::fromLatin1(objectName.data(), static_cast<qsizetype>(objectName.size())));
    item->setRow(row);
    wire(item);
    if (!nameId.empty()) captions_.push_back({item, std::string(nameId)});
    return item;
}

void FunctionMenu::build() {
    for (const PanelName& p : kPanels) {
        auto* w = new MenuPanelWidget(window_, colours_);
        w->setObjectName(QString::fromLatin1(p.name));
        panels_[p.panel] = w;
    }
    auto addRows = [this](MenuPanel panel, std::span<const Row> rows) {
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            const Row& row = rows[static_cast<std::size_t>(r)];
            // The two row-7 items of Pnl_Main share their place.
            const int place = panel == P::Main ? std::min(r, 7) : r;
            if (row.kind == Kind::Branch) {
                const MenuBranch* b = branch(panel, row.tag);
                addItem(panel, row.kind, row.tag, place, b->menuItem, b->nameId);
            } else if (row.kind == Kind::UserDefined) {
                addItem(panel, row.kind, row.tag, place, "Key_Assembly", "Str205");
            } else if (row.kind == Kind::GunPage) {
                addItem(panel, row.kind, row.tag, place, "Key_FireMacro", "Str208");
            } else {
                const CatalogueEntry* e = catalogueEntry(row.tag);
                addItem(panel, row.kind, row.tag, place, e->menuItem, e->nameId);
            }
        }
    };
    addRows(P::Main, kMainRows);
    addRows(P::Special, kSpecialRows);
    for (const CatalogueEntry& e : functionCatalogue()) {
        if (e.panel == P::Special) continue;
        addItem(e.panel, Kind::Function, e.tag, rows_[e.panel]++, e.menuItem, e.nameId);
    }
}

void FunctionMenu::styleItem(FunctionMenuItem* item) {
    item->setFont(font_);
    item->setHighlighted(false, colours_);
}

void FunctionMenu::applySkin(const SkinLayout& layout, const QString& fontFamily, const TextSource& texts) {
    colours_.back = toQColor(layout.colour("Color_G_Back"));
    colours_.border = toQColor(layout.colour("Color_G_Border"));
    colours_.text = toQColor(layout.colour("Color_G"));
    colours_.hoverBack = toQColor(layout.colour("Color_G_SP"));
    colours_.hoverText = toQColor(layout.colour("Color_G_SF"));
    font_ = skinFont(fontFamily, layout.fontSize("Size_G"));
    if (layout.menus.main > 0) widths_.main = layout.menus.main;
    if (layout.menus.second > 0) widths_.second = layout.menus.second;
    if (layout.menus.third > 0) widths_.third = layout.menus.third;

    const std::string marker = " " + texts.text("Str200") + " ";
    for (const Caption& c : captions_) c.item->setText(QString::fromStdString(marker + texts.text(c.nameId)));
    for (auto& [panel, w] : panels_)
        for (auto* row : w->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly)) styleItem(row);
    layoutPanels();
}

void FunctionMenu::setSizes(const MenuSizes& sizes) {
    sizes_ = sizes;
    layoutPanels();
}

int FunctionMenu::panelWidth(MenuPanel panel) const {
    switch (menuPanelLevel(panel)) {
    case 1:
        return widths_.main;
    case 2:
        return widths_.second;
    default:
        return widths_.third;
    }
}

int FunctionMenu::panelHeight(MenuPanel panel) const {
    switch (panel) {
    case P::Main:
        return sizes_.mainHeight;
    case P::Special:
        return sizes_.specialHeight;
    case P::Profile:
        return sizes_.profileHeight;
    default: {
        const auto it = rows_.find(panel);
        const int rows = it == rows_.end() ? 0 : it->second;
        return rows > 0 ? kMenuItemPitch * rows + 2 : 0;
    }
    }
}

void FunctionMenu::layoutPanels() {
    for (auto& [panel, w] : panels_) {
        w->resize(panelWidth(panel), panelHeight(panel));
        for (auto* item : w->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly)) {
            int top = 1 + kMenuItemPitch * item->row();
            if (panel == P::Special && item->tag() == tags::kFireMacroKey) top = sizes_.fireMacroKeyTop;
            if (panel == P::Special && item->tag() == kButtonEffectTag) top = sizes_.buttonEffectTop;
            item->setGeometry(1, top, w->width() - 2, kMenuItemPitch);
            // Items past the panel's end are not offered (not even a sliver of them under the frame).
            item->setVisible(offered(item) && top + kMenuItemPitch <= w->height() - 1);
        }
    }
}

void FunctionMenu::fillList(MenuPanel list, const std::vector<std::pair<int, QString>>& rows) {
    QWidget* w = panels_.at(list);
    qDeleteAll(w->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly));
    const Kind kind = list == P::MacroList ? Kind::DeviceMacro : Kind::GunKeyEntry;
    int r = 0;
    for (const auto& [tag, text] : rows) {
        auto* item = new FunctionMenuItem(w, list, kind, tag);
        item->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(panelName(list))).arg(r));
        item->setRow(r++);
        item->setText(QStringLiteral(" ") + text);
        styleItem(item);
        item->show();
        wire(item);
    }
    rows_[list] = r;
    layoutPanels();
}

void FunctionMenu::setDeviceMacros(const std::vector<std::pair<int, QString>>& rows) {
    fillList(P::MacroList, rows);
}

void FunctionMenu::setGunKeyList(const std::vector<int>& rows) {
    std::vector<std::pair<int, QString>> named;
    for (int n : rows) named.emplace_back(n, QString::fromStdString(gunKeyListName(n)));
    fillList(P::GunKeyList, named);
}

bool FunctionMenu::offered(const FunctionMenuItem* item) const {
    // The main page offers the gun page in row 7, the profile table and the combo keys the gun-key list.
    if (item->kind() == Kind::GunPage) return from_ == MenuTarget::MainPage;
    if (item->parentPanel() == P::Main && item->tag() == 13) return from_ != MenuTarget::MainPage;
    return true;
}

bool FunctionMenu::listHasRows(MenuPanel list) const {
    const auto it = rows_.find(list);
    return it != rows_.end() && it->second > 0;
}

void FunctionMenu::open(QPoint topLeft, MenuTarget from) {
    hideAll();
    returnFocus_ = window_->focusWidget();
    // Opened with the pointer, the keyboard focus stays where it was: the menu takes the arrow keys,
    // Enter and Space from there until it closes.
    keysFrom_ = returnFocus_ ? returnFocus_.data() : window_;
    keysFrom_->installEventFilter(this);
    from_ = from;
    layoutPanels();
    cascade_.open();
    QWidget* main = panels_.at(P::Main);
    main->move(topLeft);
    main->show();
    main->raise();
}

void FunctionMenu::hideAll() {
    const QWidget* focus = window_->focusWidget();
    bool focusInMenu = false;
    if (keysFrom_) keysFrom_->removeEventFilter(this);
    keysFrom_ = nullptr;
    current_ = nullptr;
    cascade_.hideAll();
    for (auto& [panel, w] : panels_) {
        focusInMenu = focusInMenu || (focus && w->isAncestorOf(focus));
        w->hide();
        for (auto* item : w->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly))
            if (item->highlighted()) item->setHighlighted(false, colours_);
    }
    if (focusInMenu && returnFocus_) returnFocus_->setFocus(Qt::OtherFocusReason);
}

void FunctionMenu::focusFirstItem() {
    const auto items = shownItems(P::Main);
    if (!items.empty()) items.front()->setFocus(Qt::TabFocusReason);
}

std::vector<FunctionMenuItem*> FunctionMenu::shownItems(MenuPanel panel) const {
    QWidget* w = panels_.at(panel);
    std::vector<FunctionMenuItem*> items;
    for (auto* item : w->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly))
        if (item->isVisibleTo(w)) items.push_back(item);
    std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
    return items;
}

FunctionMenuItem* FunctionMenu::opener(MenuPanel panel) const {
    for (const auto& [parent, w] : panels_) {
        if (!cascade_.isShown(parent)) continue;
        for (auto* item : shownItems(parent))
            if (item->kind() == Kind::Branch && submenuFor(parent, item->tag()) == panel) return item;
    }
    return nullptr;
}

bool FunctionMenu::keyOutsideMenu(int key) {
    // Where the pointer left off (the item it lit), the keys go on; without one, from the menu's ends.
    FunctionMenuItem* to = nullptr;
    switch (key) {
    case Qt::Key_Down:
    case Qt::Key_Right:
    case Qt::Key_Up: {
        if (current_ && current_->isVisible()) {
            current_->setFocus(Qt::TabFocusReason);
            keyOnItem(current_, key);
            return true;
        }
        const auto items = shownItems(P::Main);
        if (key != Qt::Key_Right && !items.empty()) to = key == Qt::Key_Up ? items.back() : items.front();
        break;
    }
    case Qt::Key_Left:
        if (current_ && current_->isVisible()) to = opener(current_->parentPanel());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current_ && current_->isVisible()) click(current_);
        return true;
    default:
        return false;
    }
    if (to) to->setFocus(Qt::TabFocusReason);
    return true;
}

bool FunctionMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == keysFrom_) return isOpen() && keyOutsideMenu(key);
    return keyOnItem(static_cast<FunctionMenuItem*>(watched), key);
}

bool FunctionMenu::keyOnItem(FunctionMenuItem* item, int key) {
    FunctionMenuItem* to = nullptr;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const auto items = shownItems(item->parentPanel());
        const auto at = std::find(items.begin(), items.end(), item) - items.begin();
        const auto n = static_cast<std::ptrdiff_t>(items.size());
        const bool down = key == Qt::Key_Down;
        if (n > 0) to = items[static_cast<std::size_t>((at + (down ? 1 : n - 1)) % n)];
        break;
    }
    case Qt::Key_Right:
        if (const auto sub =
                item->kind() == Kind::Branch ? submenuFor(item->parentPanel(), item->tag()) : std::nullopt;
            sub && cascade_.isShown(*sub)) {
            const auto items = shownItems(*sub);
            if (!items.empty()) to = items.front();
        }
        break;
    case Qt::Key_Left:
        to = opener(item->parentPanel());
        break;
    default:
        return false;
    }
    if (to) to->setFocus(Qt::TabFocusReason);
    return true;
}

bool FunctionMenu::isOpen() const {
    return cascade_.isShown(P::Main);
}

QSize FunctionMenu::mainSize() const {
    return {panelWidth(P::Main), panelHeight(P::Main)};
}

QWidget* FunctionMenu::panel(MenuPanel panel) const {
    return panels_.at(panel);
}

FunctionMenuItem* FunctionMenu::item(MenuPanel panel, int tag) const {
    for (auto* item : panels_.at(panel)->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly))
        if (item->tag() == tag) return item;
    return nullptr;
}

void FunctionMenu::hover(FunctionMenuItem* item) {
    if (!cascade_.isShown(item->parentPanel())) return;
    // One item of a panel is lit: the one the pointer or the keyboard came to last.
    for (auto* other :
         panels_.at(item->parentPanel())->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly))
        if (other != item && other->highlighted()) other->setHighlighted(false, colours_);
    current_ = item;
    const auto opens =
        item->kind() == Kind::Branch ? submenuFor(item->parentPanel(), item->tag()) : std::nullopt;
    cascade_.enter(item->parentPanel(), item->tag(), opens ? listHasRows(*opens) : true);
    showCascade(item);
    item->setHighlighted(true, colours_);
}

void FunctionMenu::unhover(FunctionMenuItem* item) {
    if (item->highlighted()) item->setHighlighted(false, colours_);
}

void FunctionMenu::showCascade(FunctionMenuItem* opener) {
    for (auto& [panel, w] : panels_) {
        if (cascade_.isShown(panel)) continue;
        w->hide();
        for (auto* item : w->findChildren<FunctionMenuItem*>(Qt::FindDirectChildrenOnly))
            if (item->highlighted()) item->setHighlighted(false, colours_);
    }
    if (opener->kind() != Kind::Branch) return;
    const auto opened = submenuFor(opener->parentPanel(), opener->tag());
    if (!opened || !cascade_.isShown(*opened)) return;

    QWidget* parent = panels_.at(opener->parentPanel());
    QWidget* sub = panels_.at(*opened);
    const QRect pr = parent->geometry(), ir = opener->geometry();
    // The deepest cascade: Pnl_Main, a second-level and a third-level panel, one pixel apart.
    const int cascadeWidth = widths_.main + widths_.second + widths_.third + 2;
    const QRect room = onScreenPart(window_);
    const MenuPoint at =
        placeSubmenu({pr.x(), pr.y(), pr.width(), pr.height()}, {ir.x(), ir.y(), ir.width(), ir.height()},
                     {sub->width(), sub->height()}, panels_.at(P::Main)->x(), cascadeWidth,
                     {room.x(), room.y(), room.width(), room.height()});
    sub->move(at.x, at.y);
    sub->show();
    sub->raise();
}

void FunctionMenu::click(FunctionMenuItem* item) {
    if (!cascade_.isShown(item->parentPanel())) return;
    switch (item->kind()) {
    case Kind::Branch:
        return; // a submenu opener chooses nothing
    case Kind::Function:
        hideAll();
        emit functionChosen(item->tag());
        return;
    case Kind::UserDefined:
        hideAll();
        emit userDefinedChosen();
        return;
    case Kind::GunPage:
        hideAll();
        emit gunPageChosen();
        return;
    case Kind::DeviceMacro:
        hideAll();
        emit deviceMacroChosen(item->tag());
        return;
    case Kind::GunKeyEntry:
        hideAll();
        emit gunKeyEntryChosen(item->tag());
        return;
    }
}

} // namespace krm::gui
