// The window's edits against a mouse that takes no writes: each says so once, sends nothing after the
// refused report, and leaves every page drawn as it was (the pixels of the window before and after).

#include "app/WindowRig.h"
#include "widgets/ImageButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <functional>

using krm::Page;
using krm::SimFault;
using krm::test::WindowRig;

namespace {

struct Edit {
    const char* name;
    Page page;
    std::function<void(WindowRig&)> act;
};

// A click on a control, `along` its width (the middle when not given).
void click(WindowRig& rig, const char* name, double along = 0.5) {
    auto* w = rig.window.findChild<QWidget*>(QString::fromLatin1(name));
    if (!w || !w->isVisible()) qFatal("no visible control %s", name);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(static_cast<int>(w->width() * along), w->height() / 2));
}

// Key 4 of profile 1 gets Middle Click through the function menu.
void assignMiddleClick(WindowRig& rig) {
    click(rig, "Key4");
    auto* standard = rig.window.findChild<QWidget*>(QStringLiteral("Key_Standard"));
    QTest::mouseMove(standard, standard->rect().center());
    auto* middle = rig.window.findChild<QWidget*>(QStringLiteral("Key_Middle"));
    QTest::mouseMove(middle, middle->rect().center());
    QTest::mouseClick(middle, Qt::LeftButton);
}

void typeInto(WindowRig& rig, const char* name, const QString& text) {
    auto* box = rig.window.findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!box || !box->isVisible()) qFatal("no visible box %s", name);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

const Edit kEdits[] = {
    {"a key's function", Page::Profile1, assignMiddleClick},
    {"a combo key", Page::Profile1, [](WindowRig& r) { click(r, "IB_ComboKey2"); }},
    {"a DPI level's value", Page::Performance, [](WindowRig& r) { click(r, "slider_DPI1", 0.75); }},
    {"the current DPI level", Page::Performance, [](WindowRig& r) { click(r, "Img_DPI4"); }},
    {"the report rate", Page::Performance, [](WindowRig& r) { click(r, "lbl_Rep2"); }},
    {"a fire key's interval", Page::Performance, [](WindowRig& r) { typeInto(r, "Edt_DelayTime1", "100"); }},
    {"the light mode", Page::Lighting, [](WindowRig& r) { click(r, "lbl_LED3"); }},
    {"the mouse's USB VID", Page::Engineering, [](WindowRig& r) { typeInto(r, "edt_VID", "1234"); }},
};

} // namespace

class WriteFailuresTest : public QObject {
    Q_OBJECT
private slots:
    void aRefusedEditLooksUndone() {
        for (const Edit& e : kEdits) {
            WindowRig rig;
            rig.window.devTimerTimer();
            QVERIFY(!rig.window.pagesCovered());
            rig.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
            rig.window.showPage(e.page);
            const QImage before = rig.window.grab().toImage();
            const auto imageBefore = rig.mouse.image();
            rig.messages.clear();
            rig.clearTrace();
            // Neither single writes nor block writes are taken from now on.
            rig.mouse.addFault({SimFault::Kind::RefuseCommand, 0x05, 0});
            rig.mouse.addFault({SimFault::Kind::RefuseCommand, 0x07, 0});

            e.act(rig);

            QVERIFY2(!rig.commands().empty(), e.name); // the edit was tried
            QVERIFY2(rig.mouse.image() == imageBefore, e.name);
            QVERIFY2(
                rig.messages.size() == 1,
                qPrintable(
                    QStringLiteral("%1: %2 messages").arg(QLatin1String(e.name)).arg(rig.messages.size())));
            QVERIFY2(rig.messages.front().contains(QStringLiteral("did not take")),
                     qPrintable(rig.messages.front()));
            QCoreApplication::processEvents();
            QVERIFY2(rig.window.grab().toImage() == before, e.name);
        }
    }
};

QTEST_MAIN(WriteFailuresTest)
#include "WriteFailuresTest.moc"
