// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"

#include "buttons/ui/FunctionMenu.h"
#include "buttons/ui/KeyComboDialogView.h"
#include "buttons/ui/KeyPageView.h"
#include "image/FunctionCode.h"
#include "shell/Skin.h"
#include "widgets/ClickLabel.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace krm;
using namespace krm::gui;

namespace {

const QString kFont = QStringLiteral("DejaVu Sans");

// The window around the page: writes down what the page asks of it.
struct RecordingHost final : PageHost {
    std::vector<QLabel*> entered;
    std::vector<Page> pagesShown;
    void rollingLabelEntered(QLabel* label) override { entered.push_back(label); }
    void rollingLabelLeft(QLabel*) override {}
    void showPage(Page page) override { pagesShown.push_back(page); }
};

// The key page of a window against the simulated mouse: background, page picture, the key page's
// views on a skin pass of look 1, the image read.
struct KeyPageRig {
    explicit KeyPageRig(Branding branding = test::SessionRig::bothVariants())
        : rig(Variant::R210B, branding) {
        window.setFixedSize(1030, 662);
        auto* base = new QLabel(&window);
        base->setPixmap(resourcePixmap(QStringLiteral("L1_BackGround")));
        base->setGeometry(0, 0, 1030, 662);
        page1 = new QWidget(&window);
        page1->setGeometry(0, 0, 1030, 662);
        applySkin(loadSkin(1), 1, SkinBranding{}, PictureSizes::fromResources(), layout);
        if (const Placement* p = layout.find("Img_P1")) {
            auto* picture = new QLabel(page1);
            picture->setPixmap(resourcePixmap(QString::fromStdString(p->picture)));
            picture->setGeometry(p->x, p->y, p->width, p->height);
        }
        const PageContext context = test::pageContext(rig, page1, &window, host);
        view = std::make_unique<KeyPageView>(context, rig.session.assignments(), rig.session.editorState());
        connected = rig.session.connectNow();
        skin(1);
        window.show();
    }

    // The skin and language pass of a language, as the window runs it: in the table's font.
    void skin(int language) {
        const std::string& font = rig.session.textSlots().fontName;
        view->applySkin(PageSkin{&layout, font.empty() ? kFont : QString::fromStdString(font), language});
        view->setTexts(rig.session.texts());
        view->refresh();
    }

    // The profile button: the mouse's current profile, the menu sizes and the labels follow it.
    void showProfile(int profile) {
        const auto page = static_cast<Page>(profile);
        rig.session.clickPage(page);
        view->shown(page);
    }

    QWidget* panel(MenuPanel p) const { return view->menu().panel(p); }
    FunctionMenuItem* item(MenuPanel p, int tag) const { return view->menu().item(p, tag); }

    CodeBytes mouseCode(int profile, int button) const {
        const auto image = rig.mouse.image();
        const std::size_t at = codes::buttonOffset(profile, button);
        return {image[at], image[at + 1], image[at + 2], image[at + 3]};
    }

    test::SessionRig rig;
    RecordingHost host;
    QWidget window;
    QWidget* page1 = nullptr;
    SkinLayout layout;
    std::unique_ptr<KeyPageView> view;
    bool connected = false;
};

// Hovers a widget the way the pointer does.
void hover(QWidget* w) {
    QTest::mouseMove(w, w->rect().center());
}

bool showsPicture(const QLabel* label, const char* picture) {
    return label->pixmap().toImage() == resourcePixmap(QString::fromLatin1(picture)).toImage();
}

} // namespace

class KeyPageTest : public QObject {
    Q_OBJECT
private slots:
    void choosingMiddleFromTheMenuWritesItToTheMouse() {
        KeyPageRig r;
        QVERIFY(r.connected);
        r.showProfile(2);
        QVERIFY(r.view->keyLabel(4)->text() != QStringLiteral("Middle Click"));
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));

        // The label lights up under the pointer and tells the window, which rolls its text.
        hover(r.view->keyLabel(4));
        QCOMPARE(r.host.entered, std::vector<QLabel*>{r.view->keyLabel(4)});
        QVERIFY(showsPicture(r.view->keyPicture(4), "KeyS_02"));

        // The menu's corner sits at the middle of the label (758,181 150x30 in look 1), flipped left of
        // it since the menu would pass the window's right edge there.
        QTest::mouseClick(r.view->keyLabel(4), Qt::LeftButton);
        QVERIFY(showsPicture(r.view->keyPicture(4), "KeyS_01"));
        QWidget* main = r.panel(MenuPanel::Main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->geometry(), QRect(758 + 75 - 190, 181 + 15, 190, 170));

        // Standard Mouse Key opens its panel beside the item (on the left: the deepest cascade would not
        // fit on the right), in the hover colours.
        FunctionMenuItem* standard = r.item(MenuPanel::Main, 1);
        QCOMPARE(standard->text(), QStringLiteral(" * Standard Mouse Key"));
        hover(standard);
        QWidget* mouseKeys = r.panel(MenuPanel::MseKey);
        QVERIFY(mouseKeys->isVisible());
        QCOMPARE(mouseKeys->geometry(), QRect(643 - 200, 196 + 1, 200, 5 * 24 + 2));
        QVERIFY(standard->highlighted());
        QCOMPARE(standard->palette().color(QPalette::Window), toQColor(r.layout.colour("Color_G_SP")));
        QVERIFY(!r.panel(MenuPanel::Special)->isVisible());

        FunctionMenuItem* middle = r.item(MenuPanel::MseKey, tags::kMiddle);
        hover(middle);
        QTest::mouseClick(middle, Qt::LeftButton);
        QVERIFY(!main->isVisible() && !mouseKeys->isVisible());
        const CodeBytes stored = r.mouseCode(2, 4);
        QCOMPARE(stored[0], 0x01);
        QCOMPARE(stored[1], 0x04);
        QCOMPARE(stored[2], 0x00);
        QCOMPARE(r.view->keyLabel(4)->text(), QStringLiteral("Middle Click"));
        QVERIFY(r.rig.ui.messages().empty());
        test::saveShot(r.window, QStringLiteral("key-page-profile2"));
    }

    void takingAwayTheLastLeftClickIsRefusedWithTheMessage() {
        KeyPageRig r;
        QVERIFY(r.connected);
        QCOMPARE(r.view->keyLabel(1)->text(), QStringLiteral("Left Click"));
        const CodeBytes before = r.mouseCode(1, 1);
        r.rig.clearTrace();

        r.view->openMenuPath(1, {1});
        QTest::mouseClick(r.item(MenuPanel::MseKey, tags::kRight), Qt::LeftButton);

        QCOMPARE(r.rig.ui.messages(), std::vector<std::string>{"Keep at least one left button"});
        QCOMPARE(r.view->keyLabel(1)->text(), QStringLiteral("Left Click"));
        QVERIFY(r.mouseCode(1, 1) == before);
        QVERIFY(r.rig.lines().empty());
    }

    void thePageDecidesWhatTheMenuOffersAndWhereItOpens() {
        Branding branding = test::SessionRig::bothVariants();
        branding.gdEnable = true;
        KeyPageRig r(branding);
        QVERIFY(r.connected);
        FunctionMenuItem* gunPage = r.item(MenuPanel::Main, kGunPageItem);

        // Office Mode: seven rows; "Fire Macro" lies past the panel's end, the gun toggle is hidden.
        r.showProfile(1);
        r.view->openMenuPath(4, {});
        QCOMPARE(r.panel(MenuPanel::Main)->height(), 170);
        QVERIFY(gunPage->isHidden());
        QVERIFY(r.view->toggleLabel(8)->isHidden());

        // Game Mode with the gun display: eight rows, and "Fire Macro" asks for the gun page.
        r.showProfile(2);
        r.view->openMenuPath(4, {2});
        QCOMPARE(r.panel(MenuPanel::Main)->height(), 194);
        QCOMPARE(r.panel(MenuPanel::Special)->height(), 290);
        QVERIFY(!gunPage->isHidden());
        QCOMPARE(r.item(MenuPanel::Special, tags::kFireMacroKey)->y(), 217);
        QTest::mouseClick(gunPage, Qt::LeftButton);
        QCOMPARE(r.host.pagesShown, std::vector<Page>{Page::Gun});
        QVERIFY(!r.panel(MenuPanel::Main)->isVisible());

        // Three levels side by side: right of the label when the whole cascade fits (Key1 at 268,181),
        // else each level left of its parent (Key4 at 758,181); widths 190, 200, 180.
        struct Case {
            int button, main, special, profile;
        };
        for (const Case& c : {Case{1, 343, 343 + 191, 343 + 191 + 201}, Case{4, 643, 643 - 200, 643 - 380}}) {
            r.view->openMenuPath(c.button, {2, 10});
            QCOMPARE(r.panel(MenuPanel::Main)->x(), c.main);
            QCOMPARE(r.panel(MenuPanel::Special)->x(), c.special);
            QCOMPARE(r.panel(MenuPanel::Profile)->x(), c.profile);
            QCOMPARE(r.panel(MenuPanel::Profile)->y(), 196 + 25 + 73); // aligned with its item
            QVERIFY(r.panel(MenuPanel::Profile)->isVisible());
        }
        test::saveShot(r.window, QStringLiteral("key-menu-three-levels"));

        // Hovering a leaf of Pnl_Main closes the submenus.
        hover(r.item(MenuPanel::Main, kUserDefinedItem));
        QVERIFY(!r.panel(MenuPanel::Special)->isVisible() && !r.panel(MenuPanel::Profile)->isVisible());
        r.view->hideMenus();
        QVERIFY(!r.panel(MenuPanel::Main)->isVisible());
    }

    void theDeviceMacroListOpensOnlyWithMacros() {
        KeyPageRig r;
        QVERIFY(r.connected);
        r.view->openMenuPath(4, {6});
        QVERIFY(!r.panel(MenuPanel::MacroList)->isVisible());

        DeviceMacroSlot& slot = r.rig.session.editorState().deviceMacros[2];
        slot = {true, 0x0300, "Reload"};
        r.view->openMenuPath(4, {6});
        QWidget* list = r.panel(MenuPanel::MacroList);
        QVERIFY(list->isVisible());
        FunctionMenuItem* row = r.item(MenuPanel::MacroList, 2);
        QVERIFY(row && row->text().contains(QStringLiteral("Reload")));
        QTest::mouseClick(row, Qt::LeftButton);
        QCOMPARE(r.view->keyLabel(4)->text(), QStringLiteral("Reload"));
        QVERIFY((r.mouseCode(1, 4) == CodeBytes{0x10, 0x03, 0x00, 0x00}));
    }

    void theKeyCombinationDialogBuildsAndAppliesACode() {
        KeyPageRig r;
        QVERIFY(r.connected);
        r.view->openMenuPath(4, {});
        QTest::mouseClick(r.item(MenuPanel::Main, kUserDefinedItem), Qt::LeftButton);
        KeyComboDialogView* dialog = r.view->keyComboDialog();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!r.panel(MenuPanel::Main)->isVisible());
        QVERIFY(r.view->cover()->isVisible()); // profile 1: the window takes no clicks meanwhile
        QCOMPARE(dialog->size(), QSize(530, 200));
        QVERIFY(dialog->mask().contains(QPoint(265, 100)) && !dialog->mask().contains(QPoint(0, 0)));
        QCOMPARE(dialog->geometry().center(), r.window.geometry().center());

        QTest::mouseClick(dialog->modifierBox(KeyComboDialog::kCtrl), Qt::LeftButton);
        QTest::mouseClick(dialog->modifierBox(KeyComboDialog::kShift), Qt::LeftButton);
        QLineEdit* edit = dialog->edit();
        QTest::keyClick(edit, Qt::Key_B, Qt::ControlModifier); // a key with Ctrl held is not captured
        QTest::keyClick(edit, Qt::Key_A);
        QTest::keyClick(edit, Qt::Key_C);
        QCOMPARE(edit->text(), QStringLiteral("Ctrl+Shift+A+C"));
        test::saveShot(*dialog, QStringLiteral("key-combination-dialog"));

        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        QVERIFY((r.mouseCode(1, 4) == CodeBytes{0x02, 0x03, 0x04, 0x06}));
        QCOMPARE(r.view->keyLabel(4)->text(), QStringLiteral("Ctrl+Shift+A+C"));
        QVERIFY(r.view->cover()->isHidden());
        QTRY_VERIFY(!r.view->keyComboDialog());

        // Close leaves the assignment alone and uncovers the window too; Clear empties everything.
        dialog = qobject_cast<KeyComboDialogView*>(r.view->openKeyComboDialog());
        QVERIFY(dialog && r.view->cover()->isVisible());
        QTest::mouseClick(dialog->modifierBox(KeyComboDialog::kAlt), Qt::LeftButton);
        QTest::keyClick(dialog->edit(), Qt::Key_F5);
        QCOMPARE(dialog->edit()->text(), QStringLiteral("Alt+F5"));
        QTest::mouseClick(dialog->clearButton(), Qt::LeftButton);
        QCOMPARE(dialog->edit()->text(), QString());
        QVERIFY(!dialog->modifierBox(KeyComboDialog::kAlt)->isChecked());
        QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
        QVERIFY(r.view->cover()->isHidden());
        QVERIFY((r.mouseCode(1, 4) == CodeBytes{0x02, 0x03, 0x04, 0x06}));
    }

    void everyCaptionFitsInEveryLanguage() {
        KeyPageRig r;
        for (int language = 1; language <= 3; ++language) {
            r.rig.session.setLanguage(language);
            applySkin(loadSkin(language), language, SkinBranding{}, PictureSizes::fromResources(), r.layout);
            r.skin(language);
            auto fits = [&](const QLabel* label, const QString& text, int reserved) {
                const int needed = label->fontMetrics().horizontalAdvance(text) + reserved;
                if (needed <= label->width()) return true;
                qWarning() << "language" << language << label->objectName() << text << needed << ">"
                           << label->width();
                return false;
            };
            // Menu items, with room for the submenu arrow.
            for (QWidget* panel :
                 r.window.findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(Pnl_|LB_)"))))
                for (const FunctionMenuItem* item : panel->findChildren<FunctionMenuItem*>())
                    QVERIFY(fits(item, item->text(), 16));
            // Every function name on a key label, right of the label's marker bar.
            const TextSource& texts = r.rig.session.texts();
            for (const CatalogueEntry& e : functionCatalogue())
                QVERIFY(fits(r.view->keyLabel(1), QString::fromStdString(texts.text(e.nameId)), 14 + 4));
            for (int n = 1; n <= 8; ++n)
                QVERIFY(fits(r.view->toggleLabel(n), r.view->toggleLabel(n)->text(), 0));
            r.view->openMenuPath(1, {2, 10});
            test::saveShot(r.window, QStringLiteral("key-menu-language%1").arg(language));
            r.view->hideMenus();
        }
    }

    void aToggleTicksAndUnticks() {
        KeyPageRig r;
        QVERIFY(r.connected);
        QCOMPARE(r.view->toggleLabel(2)->text(),
                 QStringLiteral("Press 'Middle Key' 3sec to switch Mode A/B"));
        QVERIFY(showsPicture(r.view->togglePicture(2), "CbS_D"));

        QTest::mouseClick(r.view->toggleLabel(2), Qt::LeftButton);
        QVERIFY(showsPicture(r.view->togglePicture(2), "CbS_E"));
        QCOMPARE(r.rig.session.editorState().gameModeTrigger, 1);
        QTest::mouseClick(r.view->togglePicture(3), Qt::LeftButton); // the tick picture is clickable too
        QVERIFY(showsPicture(r.view->togglePicture(2), "CbS_D"));
        QVERIFY(showsPicture(r.view->togglePicture(3), "CbS_E"));
        QTest::mouseClick(r.view->toggleLabel(3), Qt::LeftButton);
        QVERIFY(showsPicture(r.view->togglePicture(3), "CbS_D"));
        QCOMPARE(r.rig.session.editorState().gameModeTrigger, 0);
    }
};

QTEST_MAIN(KeyPageTest)
#include "KeyPageTest.moc"
