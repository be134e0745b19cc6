#include "app/WindowRig.h"
#include "image/ImageFields.h"
#include "widgets/ImageButton.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <QtTest>

using krm::gui::ImageButton;
using krm::test::WindowRig;

// The Save and Load buttons with settings files: the file dialogs offer them beside profile images,
// and a name ending in ".ini" goes to export and apply.
class SettingsFilesTest : public QObject {
    Q_OBJECT

    // Clicks the navigation button `name`; when its dialog is up, checks its filters and chooses `path`.
    static void chooseThrough(WindowRig& rig, const char* name, const QString& path,
                              const QStringList& filters) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = true;
            QCOMPARE(dialog->nameFilters(), filters);
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        });
        QTest::mouseClick(rig.window.findChild<ImageButton*>(QString::fromLatin1(name)), Qt::LeftButton);
        QVERIFY(seen);
    }

private slots:
    void aNameTypedUnderTheSettingsFilterIsSavedAsSettings() {
        QTemporaryDir dir;
        WindowRig rig;
        rig.window.devTimerTimer();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = true;
            // The user picks the second file type, then types a bare name.
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            QTest::keyClick(types, Qt::Key_Down);
            QCOMPARE(types->currentText(), QStringLiteral("Settings (*.ini)"));
            dialog->selectFile(dir.filePath(QStringLiteral("mine")));
            QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        });
        QTest::mouseClick(rig.window.findChild<ImageButton*>(QStringLiteral("Btn_Save_1")), Qt::LeftButton);
        QVERIFY(seen);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("mine.ini"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("mine.bin"))));
    }

    void saveWritesSettingsAndLoadAppliesThem() {
        QTemporaryDir dir;
        WindowRig rig;
        rig.window.devTimerTimer();
        QVERIFY(rig.session.mouseOpen());
        const QString file = dir.filePath(QStringLiteral("mouse.ini"));

        chooseThrough(rig, "Btn_Save_1", file,
                      {QStringLiteral("SaveFile (*.bin)"), QStringLiteral("Settings (*.ini)")});
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(saved.readAll());
        saved.close();
        QVERIFY(text.startsWith(QStringLiteral("; KRM mouse settings of an R210B mouse")));
        QVERIFY(text.contains(QStringLiteral("\ncolour4 = #ff007f\n")));
        QVERIFY(rig.messages.isEmpty());

        // Edited and loaded: the colour reaches the mouse.
        text.replace(QStringLiteral("\ncolour4 = #ff007f\n"), QStringLiteral("\ncolour4 = #010203\n"));
        QVERIFY(saved.open(QIODevice::WriteOnly | QIODevice::Truncate));
        saved.write(text.toUtf8());
        saved.close();
        rig.clearTrace();
        chooseThrough(rig, "Btn_Load_1", file,
                      {QStringLiteral("LoadFile (*.bin)"), QStringLiteral("Settings (*.ini)")});
        QVERIFY(rig.messages.isEmpty());
        QCOMPARE(krm::colourTableEntry(rig.session.image().copies.vendor, 4), (krm::Rgb{1, 2, 3}));
        const auto image = rig.mouse.image();
        QCOMPARE(krm::colourTableEntry(std::span(image).first(krm::image::kVendorLength), 4),
                 (krm::Rgb{1, 2, 3}));

        // A broken file: one message names its lines, nothing is sent.
        QVERIFY(saved.open(QIODevice::WriteOnly | QIODevice::Truncate));
        saved.write("[lighting]\ncolour4 = #010204\nspeed = 11\n");
        saved.close();
        rig.clearTrace();
        chooseThrough(rig, "Btn_Load_1", file,
                      {QStringLiteral("LoadFile (*.bin)"), QStringLiteral("Settings (*.ini)")});
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY2(rig.messages[0].contains(
                     QStringLiteral("was not applied; nothing was sent:\nline 3: speed: '11'")),
                 qPrintable(rig.messages[0]));
        QVERIFY(rig.commands().empty());
    }
};

QTEST_MAIN(SettingsFilesTest)
#include "SettingsFilesTest.moc"
