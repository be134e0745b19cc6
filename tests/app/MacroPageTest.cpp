// The session first: one of its members is named like a Qt keyword macro.
#include "app/PageContextRig.h"
#include "support/SessionRig.h"

#include "image/FunctionCode.h"
#include "macros/ui/MacroPageView.h"
#include "shell/Skin.h"
#include "widgets/ClickLabel.h"
#include "widgets/QtImages.h"
#include "widgets/ValueDialogView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QtTest>

#include <filesystem>

using namespace krm;
using namespace krm::gui;

namespace {

using test::NoHost;

// The macro page of a window against the simulated mouse, its recorder fed by a script.
struct MacroPageRig {
    MacroPageRig() {
        folder = std::filesystem::temp_directory_path() / "krm-macro-page";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        rig.session.macros().openLibrary((folder / "lib.bin").string());
        window.setFixedSize(1030, 662);
        page = new QWidget(&window);
        page->setGeometry(0, 0, 1030, 662);
        applySkin(loadSkin(1), 1, SkinBranding{}, PictureSizes::fromResources(), layout);
        const PageContext context = test::pageContext(rig, page, &window, host);
        view = std::make_unique<MacroPageView>(context, rig.session.macros(), [this](std::string& note) {
            note = "scripted";
            auto c = std::make_unique<ScriptedInputCapture>();
            capture = c.get();
            return c;
        });
        connected = rig.session.connectNow();
        view->applySkin(PageSkin{&layout, QStringLiteral("DejaVu Sans"), 1});
        view->setTexts(rig.session.texts());
        view->shown(Page::Macro);
        window.show();
    }
    ~MacroPageRig() { std::filesystem::remove_all(folder); }

    // Records `events` into the selected library macro through the page's buttons.
    void record(const std::vector<InputEvent>& events) {
        QTest::mouseClick(view->button("Btn_Start"), Qt::LeftButton);
        capture->play(events);
        QCoreApplication::processEvents(); // the events are handed over to the UI thread
        QTest::mouseClick(view->button("Btn_Start"), Qt::LeftButton);
    }
    QStringList rowTexts() const {
        QStringList out;
        for (const MacroRow& r : view->rows()) out << QString::fromStdString(r.text());
        return out;
    }
    CodeBytes mouseCode(int profile, int button) const {
        const auto image = rig.mouse.image();
        const std::size_t at = codes::buttonOffset(profile, button);
        return {image[at], image[at + 1], image[at + 2], image[at + 3]};
    }

    std::filesystem::path folder;
    test::SessionRig rig;
    NoHost host;
    QWidget window;
    QWidget* page = nullptr;
    SkinLayout layout;
    std::unique_ptr<MacroPageView> view;
    ScriptedInputCapture* capture = nullptr;
    bool connected = false;
};

InputEvent key(InputEvent::Kind kind, unsigned v) {
    InputEvent e;
    e.kind = kind;
    e.virtualKey = v;
    return e;
}
const InputEvent kADown = key(InputEvent::Kind::KeyDown, 0x41), kAUp = key(InputEvent::Kind::KeyUp, 0x41);

} // namespace

class MacroPageTest : public QObject {
    Q_OBJECT
private slots:
    void recordRepeatAddAssignAndReadBack() {
        MacroPageRig r;
        QVERIFY(r.connected);
        QCOMPARE(r.view->libraryList()->objectName(), QStringLiteral("LB_PCMacroName"));
        QCOMPARE(r.view->button("Btn_Start")->text(), QStringLiteral("Record"));
        r.view->newMacro(QStringLiteral("A"));
        QCOMPARE(r.view->libraryList()->count(), 1);
        QTest::mouseClick(r.view->button("IB_NoDelay"), Qt::LeftButton);
        r.record({kADown, kADown, kAUp});
        QCOMPARE(r.rowTexts(), QStringList({"1 A CODE:8204", "2 A CODE:0204"}));
        QCOMPARE(r.view->shownHex(), QStringLiteral("8204020400"));
        QCOMPARE(r.view->captureNote(), QStringLiteral("scripted"));

        // "Number of cycles" 3.
        r.view->stopCountEdit()->setText(QStringLiteral("3"));
        QTest::mouseClick(r.view->button("Img_ReleaseStopCount"), Qt::LeftButton);
        QCOMPARE(r.view->shownHex(), QStringLiteral("FD0382040204FC00"));

        // Add to Mouse: written through with the busy window, then on the device list.
        r.rig.clearTrace();
        r.rig.ui.clear();
        QTest::mouseClick(r.view->button("Btn_Add_Mouse"), Qt::LeftButton);
        const auto writes = test::commandSummary(r.rig.lines());
        // Three blocks, each read back; before the first that carries them, the two bytes at 0x1F0 no
        // checksum covers are read again.
        QCOMPARE(writes.size(), std::size_t{7});
        QCOMPARE(QString::fromStdString(writes[2]), QStringLiteral("set 40 09 01 f0 02 00 00 00"));
        QCOMPARE(QString::fromStdString(writes[3]), QStringLiteral("set 40 07 01 f0 01 00 00 00 +37"));
        QCOMPARE(QString::fromStdString(writes[4]), QStringLiteral("set 40 09 01 f0 01 00 00 00"));
        const auto calls = r.rig.ui.calls();
        QVERIFY(std::find(calls.begin(), calls.end(), "busy+") != calls.end());
        QCOMPARE(QString::fromStdString(calls.back()), QStringLiteral("uncover"));
        QCOMPARE(r.view->deviceList()->count(), 1);
        QCOMPARE(r.view->deviceList()->item(0)->text(), QStringLiteral("A"));
        // A second add is refused with the language's text, and sends nothing.
        r.rig.clearTrace();
        QTest::mouseClick(r.view->button("Btn_Add_Mouse"), Qt::LeftButton);
        QVERIFY(r.rig.lines().empty());
        QCOMPARE(QString::fromStdString(r.rig.ui.messages().back()),
                 QStringLiteral("This macro already exists"));

        // The key page's "Base Macro" list offers it; choosing it puts its code on the button.
        QCOMPARE(QString::fromStdString(r.rig.session.editorState().deviceMacros[0].name),
                 QStringLiteral("A"));
        r.rig.session.assignments().openFromMainPage(4);
        r.rig.session.apply(r.rig.session.assignments().chooseDeviceMacro(0));
        QVERIFY((r.mouseCode(1, 4) == CodeBytes{0x10, 0x02, 0x00, 0x00}));

        // Shown from the mouse: read-only rows, the delay box off.
        r.view->selectDeviceMacro(0);
        QCOMPARE(r.rowTexts(), QStringList({"1 A CODE:8204", "2 A CODE:0204"}));
        QVERIFY(!r.view->delayBox()->isEnabled());

        // Deleting it on the mouse frees the button.
        r.view->deleteDeviceMacro();
        QCOMPARE(r.view->deviceList()->count(), 0);
        QVERIFY((r.mouseCode(1, 4) == CodeBytes{0, 0, 0, 0}));
    }

    // The page's New chooses "until the macro key is released" for the new macro, shown once its name is
    // given and taken by its recording; the macro shown before keeps its own repeat.
    void newFromThePageChoosesUntilReleasedForTheNewMacro() {
        MacroPageRig r;
        r.view->newMacro(QStringLiteral("A"));
        QTest::mouseClick(r.view->button("IB_NoDelay"), Qt::LeftButton);
        r.record({kADown, kAUp});
        r.view->stopCountEdit()->setText(QStringLiteral("3"));
        QTest::mouseClick(r.view->button("Img_ReleaseStopCount"), Qt::LeftButton);
        QCOMPARE(r.view->shownHex(), QStringLiteral("FD0382040204FC00"));

        QTest::mouseClick(r.view->button("Btn_New"), Qt::LeftButton);
        ValueDialogView* name = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<ValueDialogView*>(w); d && d->isVisible()) name = d;
        QVERIFY(name);
        QTest::keyClicks(name->edit(), QStringLiteral("B"));
        QTest::keyClick(name->edit(), Qt::Key_Return);
        QCOMPARE(r.view->libraryList()->currentItem()->text(), QStringLiteral("B"));
        auto* untilReleased =
            r.view->delayBox()->findChild<ClickLabel*>(QStringLiteral("lbl_ReleaseStopEnter"));
        auto* cycles = r.view->delayBox()->findChild<ClickLabel*>(QStringLiteral("lbl_ReleaseStopCount"));
        QVERIFY(untilReleased->isChecked());
        QVERIFY(!cycles->isChecked());
        QCOMPARE(r.rig.session.macros().library().at(0).events.front(), std::uint8_t{0xFD});
        QCOMPARE(r.rig.session.macros().library().at(0).events.at(1), std::uint8_t{0x03});
        r.record({kADown, kAUp});
        QCOMPARE(r.view->shownHex(), QStringLiteral("FD0082040204FC00"));
    }

    void rowsAreEditedDeletedAndInserted() {
        MacroPageRig r;
        r.view->newMacro(QStringLiteral("Copy"));
        QTest::mouseClick(r.view->button("IB_NoDelay"), Qt::LeftButton);
        r.record({key(InputEvent::Kind::KeyDown, 0x11), key(InputEvent::Kind::KeyDown, 0x43),
                  key(InputEvent::Kind::KeyUp, 0x43), key(InputEvent::Kind::KeyUp, 0x11)});
        QCOMPARE(r.rowTexts(),
                 QStringList({"1 Ctrl CODE:8101", "1 C CODE:8206", "2 C CODE:0206", "2 Ctrl CODE:0101"}));

        // Insert X -1, Y 5 after row 0.
        r.view->rowList()->setCurrentRow(0);
        r.view->openInsertPanel();
        QVERIFY(r.view->insertBox()->isVisible() && !r.view->delayBox()->isVisible());
        r.view->insertBox()->findChild<QComboBox*>(QStringLiteral("CB_Insert"))->setCurrentIndex(5);
        r.view->xEdit()->setText(QStringLiteral("-1"));
        r.view->yEdit()->setText(QStringLiteral("5"));
        QTest::mouseClick(r.view->button("Btn_OK"), Qt::LeftButton);
        QCOMPARE(r.rowTexts().at(1), QStringLiteral("3 04FF05"));
        QVERIFY(!r.view->insertBox()->isVisible());

        // Deleting the Ctrl press takes its release; a release without a press is refused.
        r.view->deleteRow(0);
        QCOMPARE(r.rowTexts(), QStringList({"3 04FF05", "1 C CODE:8206", "2 C CODE:0206"}));
        QCOMPARE(r.view->shownHex(), QStringLiteral("04FF058206020600"));
        r.view->replaceRow(1, MacroRow::keyEvent(0x82, 0x07));
        r.view->deleteRow(2);
        QCOMPARE(QString::fromStdString(r.rig.ui.messages().back()), QStringLiteral("Macro Content Error"));
        QCOMPARE(r.rowTexts().size(), 3);

        // The library file holds what is shown.
        MacroLibrary reread;
        QVERIFY(reread.open((r.folder / "lib.bin").string()));
        QCOMPARE(QString::fromStdString(macroHex(terminatedEvents(reread.at(0).events))),
                 QStringLiteral("04FF058207020600"));

        // The context menus carry the language's texts.
        QCOMPARE(r.view->rowMenu()->actions().at(0)->text(), QStringLiteral("Edit"));
        QCOMPARE(r.view->libraryMenu()->actions().at(0)->text(), QStringLiteral("New Macro"));
    }
};

QTEST_MAIN(MacroPageTest)
#include "MacroPageTest.moc"
