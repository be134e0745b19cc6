// The small dialogs in the window's look: the value dialogs and the password prompt in the skinned frame
// of the key-combination dialog, used from the keyboard as that one is; the colour chooser in the look's
// colours and the language.
#include "shell/LanguageTables.h"
#include "shell/Skin.h"
#include "widgets/ColourChooser.h"
#include "widgets/ImageButton.h"
#include "widgets/ValueDialogView.h"

#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

using krm::gui::ImageButton;
using krm::gui::ValueDialogView;

namespace {

// Runs `check` on the modal dialog that `open` shows, then lets `open` return.
template <typename Check> void whileOpen(Check check) {
    QTimer::singleShot(0, [check] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        check(dialog);
    });
}

double darkness(const QImage& shown) {
    // The share of pixels darker than mid grey.
    int dark = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) dark += qGray(shown.pixel(x, y)) < 96;
    return static_cast<double>(dark) / (shown.width() * shown.height());
}

} // namespace

class DialogLookTest : public QObject {
    Q_OBJECT
private slots:
    void valueDialogsAreSkinnedAndTakeTheKeyboard() {
        QWidget window;
        window.resize(1030, 662);
        auto* name = new ValueDialogView(&window, ValueDialogView::Mode::Name, {QStringLiteral("Macro Name")},
                                         QStringLiteral("OK"), QStringLiteral("Cancel"), 2,
                                         QStringLiteral("DejaVu Sans"));
        QSignalSpy accepted(name, &QDialog::accepted);
        name->show();
        QVERIFY(QTest::qWaitForWindowExposed(name));
        QCOMPARE(name->objectName(), QStringLiteral("TForm3"));
        QVERIFY(name->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(name->size(), QSize(530, 200)); // the "MSG" picture
        QVERIFY(darkness(name->grab().toImage()) > 0.6);
        QCOMPARE(name->findChild<QLabel*>(QStringLiteral("lbl_Title"))->text(), QStringLiteral("Macro Name"));
        QCOMPARE(name->findChild<ImageButton*>(QStringLiteral("IB_Confirm"))->text(), QStringLiteral("OK"));
        // Eight characters at most; Tab walks to the buttons, Clear empties and goes back to the edit.
        QCOMPARE(name->focusWidget(), name->edit());
        QTest::keyClicks(name->edit(), QStringLiteral("Fire1234x"));
        QCOMPARE(name->edit()->text(), QStringLiteral("Fire1234"));
        QTest::keyClick(name->edit(), Qt::Key_Tab);
        QCOMPARE(name->focusWidget()->objectName(), QStringLiteral("IB_Confirm"));
        QTest::keyClick(name->focusWidget(), Qt::Key_Tab);
        QCOMPARE(name->focusWidget()->objectName(), QStringLiteral("IB_Cancel"));
        QTest::keyClick(name->focusWidget(), Qt::Key_Space);
        QCOMPARE(name->edit()->text(), QString());
        QCOMPARE(name->focusWidget(), name->edit());
        QTest::keyClicks(name->edit(), QStringLiteral("Fire"));
        QTest::keyClick(name->edit(), Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);

        // The X/Y dialog pulls each edit into -128..127; Esc closes it without a result.
        auto* xy = new ValueDialogView(
            &window, ValueDialogView::Mode::Xy,
            {QStringLiteral("Input X/Y Value"), QStringLiteral("X Value"), QStringLiteral("Y Value")},
            QStringLiteral("OK"), QStringLiteral("Cancel"), 1, QStringLiteral("DejaVu Sans"));
        QSignalSpy rejected(xy, &QDialog::rejected);
        xy->show();
        QVERIFY(QTest::qWaitForWindowExposed(xy));
        QTest::keyClicks(xy->edit(0), QStringLiteral("200"));
        QCOMPARE(xy->edit(0)->text(), QStringLiteral("127"));
        QCOMPARE(xy->findChild<QLabel*>(QStringLiteral("lbl_YTitle"))->text(), QStringLiteral("Y Value"));
        QTest::keyClick(xy->edit(1), Qt::Key_Escape);
        QCOMPARE(rejected.count(), 1);
    }

    void thePasswordPromptSaysPasswordMasksAndCancels() {
        QWidget window;
        window.resize(1030, 662);
        whileOpen([](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("dlgPass"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Password"));
            QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("lbl_Title"))->text(),
                     QStringLiteral("PASSWORD:"));
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Value"));
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
            QTest::keyClicks(edit, QStringLiteral("MbrQelnVd"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QCOMPARE(krm::gui::askPassword(&window, 3, QStringLiteral("DejaVu Sans")),
                 QStringLiteral("MbrQelnVd"));
        whileOpen([](QWidget* dialog) {
            auto* cancel = dialog->findChild<ImageButton*>(QStringLiteral("IB_Cancel"));
            QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        QCOMPARE(krm::gui::askPassword(&window, 1, QStringLiteral("DejaVu Sans")), std::nullopt);
    }

    // The chooser is the program's own, in the look and the language: no part of it stays English in the
    // Chinese window, and it has no screen-picking mode to be caught in.
    void theColourChooserWearsTheLookAndTheLanguage() {
        QWidget window;
        window.resize(1030, 662);
        krm::SkinLayout layout;
        krm::applySkin(krm::loadSkin(2), 2, krm::SkinBranding{}, krm::PictureSizes::fromResources(), layout);
        krm::LanguageTables texts;
        texts.setLanguage(2);
        whileOpen([](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("dlgColour"));
            QVERIFY(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
            QVERIFY(!dialog->findChild<QColorDialog*>());
            QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("lbl_Title"))->text(),
                     QStringLiteral("颜色表"));
            QStringList captions;
            for (QLabel* l : dialog->findChildren<QLabel*>())
                if (!l->text().isEmpty()) captions << l->text();
            for (const char* chinese : {"基本颜色", "红", "绿", "蓝", "颜色代码"})
                QVERIFY2(captions.contains(QString::fromUtf8(chinese)), chinese);
            QCOMPARE(dialog->findChild<ImageButton*>(QStringLiteral("Btn_OK"))->text(),
                     QStringLiteral("确定"));
            QVERIFY(darkness(dialog->grab().toImage()) > 0.5);
            // The initial colour in every box; a basic colour, then a typed code, each shown in the others.
            auto* code = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_ColourCode"));
            auto* red = dialog->findChild<QSpinBox*>(QStringLiteral("SpinR"));
            QCOMPARE(code->text(), QStringLiteral("#ff0000"));
            QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("Basic7")), Qt::LeftButton);
            QCOMPARE(code->text(), QStringLiteral("#0000ff"));
            QCOMPARE(red->value(), 0);
            code->clear();
            QTest::keyClicks(code, QStringLiteral("123456"));
            QCOMPARE(red->value(), 0x12);
            QTest::keyClick(code, Qt::Key_Return);
        });
        const auto chosen =
            krm::gui::chooseColour(&window, Qt::red, layout, QStringLiteral("DejaVu Sans"), &texts, "Str855");
        QCOMPARE(chosen, std::optional<QColor>(QColor(0x12, 0x34, 0x56)));
        // Esc keeps the colour as it was.
        whileOpen([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(krm::gui::chooseColour(&window, Qt::red, layout, QString(), &texts, "Str855"), std::nullopt);
    }
};

QTEST_MAIN(DialogLookTest)
#include "DialogLookTest.moc"
