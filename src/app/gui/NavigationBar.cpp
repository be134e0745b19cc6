#include "app/gui/NavigationBar.h"

#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace krm::gui {

namespace {

using Kind = NavigationBar::Kind;

// In the order the skin numbers them (Btn_B1 .. Btn_B12, then group A).
const NavigationBar::Entry kEntries[] = {
    {"Main", "Str004", Kind::Page, static_cast<int>(Page::Profile1)},
    {"Switch", "Str005", Kind::Page, static_cast<int>(Page::Profile2)},
    {"Fixed", "Str006", Kind::Page, static_cast<int>(Page::Profile3)},
    {"Adv", "Str007", Kind::Page, static_cast<int>(Page::Performance)},
    {"Breath", "Str008", Kind::Page, static_cast<int>(Page::Lighting)},
    {"Macro", "Str014", Kind::Page, static_cast<int>(Page::Macro)},
    {"Update", "Str015", Kind::Page, static_cast<int>(Page::Update)},
    {"Engineer", nullptr, Kind::Page, static_cast<int>(Page::Engineering), "Engineer"},
    {"Save", "Str009", Kind::Setting, 0},
    {"Load", "Str010", Kind::Setting, 0},
    {"Lang1", "Str011", Kind::Language, 1},
    {"Lang2", "Str012", Kind::Language, 2},
    {"Lang3", "Str013", Kind::Language, 3},
    {"Confirm1", "Str001", Kind::Confirm, 1},
    {"Confirm2", "Str002", Kind::Confirm, 2},
    {"Confirm3", "Str016", Kind::Confirm, 3},
    {"Exit", nullptr, Kind::Exit, 0},
    {"Mini", nullptr, Kind::Minimize, 0},
    {"Menu", nullptr, Kind::Menu, 0},
    {"Web", nullptr, Kind::Web, 0},
};

// Picture family of a kind: "SetS" gives SetS_01 (normal), SetS_02 (hovered), SetS_03 (marked).
QString pictureFamily(Kind kind) {
    switch (kind) {
    case Kind::Page:
    case Kind::Setting:
    case Kind::Language:
        return QStringLiteral("SetS");
    case Kind::Confirm:
        return QStringLiteral("BtnS");
    case Kind::Exit:
        return QStringLiteral("ExitS");
    case Kind::Minimize:
        return QStringLiteral("MiniS");
    case Kind::Menu:
        return QStringLiteral("MenuS");
    case Kind::Web:
        return QStringLiteral("WebS");
    }
    return {};
}

bool hasPressedPicture(Kind kind) {
    return kind != Kind::Exit && kind != Kind::Minimize && kind != Kind::Menu;
}

std::string copyName(const char* prefix, const char* role) {
    return std::string(prefix) + role + "_1";
}

} // namespace

NavigationBar::NavigationBar(QWidget* window) : QObject(window) {
    for (const Entry& e : kEntries) {
        Entry entry = e;
        entry.button = new ImageButton(window);
        entry.button->setObjectName(QString::fromStdString(copyName("Btn_", e.role)));
        // To a screen reader the page buttons are the window's tabs, the languages one choice of three.
        if (e.kind == Kind::Page) entry.button->setRole(ClickLabel::Role::PageTab);
        if (e.kind == Kind::Language) entry.button->setRole(ClickLabel::Role::Option);
        entries_.push_back(entry);
    }
    for (const Entry& entry : entries_) {
        ImageButton* b = entry.button;
        connect(b, &ImageButton::clicked, this, [this, entry] { clicked(entry); });
        if (entry.textId || entry.fixedCaption) {
            connect(b, &ImageButton::entered, this, [this, b] { emit labelEntered(b); });
            connect(b, &ImageButton::left, this, [this, b] { emit labelLeft(b); });
        }
        if (entry.kind == Kind::Web) connect(b, &ImageButton::left, b, [b] { b->setMarked(false); });
    }
}

void NavigationBar::loadFirstPictures() {
    for (const Entry& e : entries_) {
        const QString family = pictureFamily(e.kind);
        e.button->setPictures(
            resourcePixmap(family + QStringLiteral("_01")), resourcePixmap(family + QStringLiteral("_02")),
            hasPressedPicture(e.kind) ? resourcePixmap(family + QStringLiteral("_03")) : QPixmap());
    }
    markPage(Page::Profile1);
    markLanguage(1);
}

void NavigationBar::applySkin(const SkinLayout& layout, const Branding& branding, const TextSource& texts,
                              const QString& fontFamily) {
    for (const Entry& e : entries_) {
        ImageButton* b = e.button;
        if (e.kind == Kind::Web) {
            const QSize picture = resourcePixmap(QStringLiteral("WebS_01")).deviceIndependentSize().toSize();
            const WebButtonPlacement w = webButtonPlacement(branding, picture.width(), picture.height());
            b->setGeometry(w.x, w.y, w.width, w.height);
            b->setAccessibleName(QString::fromStdString(branding.webAddress));
            continue;
        }
        if (e.kind == Kind::Menu) {
            b->setAccessibleName(QString::fromStdString(texts.text("Str900")));
            b->setToolTip(b->accessibleName());
            continue; // placed with the title bar
        }
        const Placement* picture = layout.find(copyName("Img_", e.role));
        const Placement* label = layout.find(copyName("Btn_", e.role));
        if (!picture || !label) continue;
        b->setGeometry(picture->x, picture->y, picture->width, picture->height);
        const int left = label->x - picture->x;
        b->setContentsMargins(left, 0, std::max(0, picture->width - label->width - left), 0);
        const bool engineering = e.kind == Kind::Page && e.value == static_cast<int>(Page::Engineering);
        const bool skinShown = picture->visible || (engineering && engineeringShown_);
        b->setProperty("skinHidden", !skinShown);
        b->setVisible(shown_ && skinShown);
        if (label->fontSize > 0) {
            b->setFont(skinFont(fontFamily, label->fontSize));
            QPalette pal = b->palette();
            pal.setColor(QPalette::WindowText, toQColor(label->colour));
            b->setPalette(pal);
        }
        if (e.textId) b->setText(QString::fromStdString(texts.text(e.textId)));
        if (e.fixedCaption) b->setText(QString::fromLatin1(e.fixedCaption));
        if (e.kind == Kind::Exit) b->setToolTip(QString::fromStdString(texts.text("Str003")));
        if (e.kind == Kind::Minimize) b->setAccessibleName(QString::fromStdString(texts.text("Str924")));
    }
    placeTitleBar(layout, 0);
    // Tab reads the title bar, then the column below it; a web button the branding puts outside the
    // window is no stop.
    std::vector<QWidget*> buttons;
    for (const Entry& e : entries_) {
        if (e.kind == Kind::Web) {
            const QWidget* window = e.button->parentWidget();
            e.button->setFocusPolicy(window && window->rect().intersects(e.button->geometry()) ? Qt::TabFocus
                                                                                               : Qt::NoFocus);
        }
        buttons.push_back(e.button);
    }
    orderTabsByPosition(buttons);
}

void NavigationBar::markPage(std::optional<Page> page) {
    for (const Entry& e : entries_) {
        if (e.kind != Kind::Page && e.kind != Kind::Setting) continue;
        e.button->setMarked(e.kind == Kind::Page && page && static_cast<int>(*page) == e.value);
    }
}

void NavigationBar::markLanguage(int language) {
    for (const Entry& e : entries_)
        if (e.kind == Kind::Language) e.button->setMarked(e.value == language);
}

void NavigationBar::setVisible(bool visible) {
    shown_ = visible;
    // Shown again, the skin's verdict stands (the web button is placed by the branding alone).
    for (const Entry& e : entries_)
        e.button->setVisible(visible && !e.button->property("skinHidden").toBool());
}

void NavigationBar::raise() {
    for (const Entry& e : entries_) e.button->raise();
}

void NavigationBar::placeTitleBar(const SkinLayout& layout, int shift) {
    const Placement* exit = layout.find("Img_Exit_1");
    const Placement* mini = layout.find("Img_Mini_1");
    if (ImageButton* b = button("Exit"); b && exit) b->move(exit->x + shift, exit->y);
    if (ImageButton* b = button("Mini"); b && mini) b->move(mini->x + shift, mini->y);
    ImageButton* menu = button("Menu");
    const Placement* beside = mini && mini->visible ? mini : exit;
    if (!menu || !beside) return;
    const int gap = exit && mini ? std::abs(exit->x - mini->x) : beside->width + 8;
    // Left of minimise; where a look puts other buttons there (the languages), left of them, and there
    // on the wider engineering page too.
    QRect at(beside->x - gap, beside->y, beside->width, beside->height);
    bool besideOthers = false;
    for (bool moved = true; moved && at.left() > 0;) {
        moved = false;
        for (const Entry& e : entries_) {
            if (e.kind == Kind::Menu || e.kind == Kind::Exit || e.kind == Kind::Minimize ||
                e.button->property("skinHidden").toBool() ||
                !e.button->geometry().intersects(at.adjusted(-4, 0, 4, 0)))
                continue;
            at.moveRight(e.button->geometry().left() - 1 - (gap - at.width()));
            moved = besideOthers = true;
        }
    }
    menu->setGeometry(at.translated(besideOthers ? 0 : shift, 0));
    menu->setProperty("skinHidden", false);
    menu->setVisible(shown_);
}

ImageButton* NavigationBar::button(const char* role) const {
    for (const Entry& e : entries_)
        if (std::string_view(e.role) == role) return e.button;
    return nullptr;
}

void NavigationBar::clicked(const Entry& e) {
    switch (e.kind) {
    case Kind::Page:
        emit pageClicked(static_cast<Page>(e.value));
        break;
    case Kind::Setting:
        if (std::string_view(e.role) == "Save")
            emit saveClicked();
        else
            emit loadClicked();
        break;
    case Kind::Language:
        emit languageClicked(e.value);
        break;
    case Kind::Confirm:
        emit restoreClicked(e.value);
        break;
    case Kind::Exit:
        emit exitClicked();
        break;
    case Kind::Minimize:
        emit minimizeClicked();
        break;
    case Kind::Menu:
        emit menuClicked();
        break;
    case Kind::Web:
        e.button->setMarked(true);
        emit webClicked();
        break;
    }
}

} // namespace krm::gui
