// The window, its dialog, message box and menus on a 200 % desktop (QT_SCALE_FACTOR=2).
#include "app/WindowRig.h"
#include "base/ResourceTable.h"
#include "widgets/QtImages.h"

#include <QtTest>

using krm::test::WindowRig;

namespace {

// A pixel where the colour key shows through: the key's red without the window's blue-grey.
bool keyTinted(QRgb p) {
    return qAlpha(p) > 0 && qRed(p) > qGreen(p) + 30 && qRed(p) > qBlue(p) + 30;
}

} // namespace

class HighDpiTest : public QObject {
    Q_OBJECT
private slots:
    void windowsAreDrawnAtTwiceThePixelsWithoutTheColourKey() {
        WindowRig rig;
        rig.window.devTimerTimer();
        QTemporaryDir dir;
        QStringList written;
        QVERIFY(rig.window.renderScreenshots(dir.path(), &written));

        // Look 2's accent is cyan: any red at its cut corners is the key blended into the edge.
        const struct {
            const char* name;
            QSize size;
        } shots[] = {{"look2-key-page-profile1", {2060, 1324}},
                     {"look2-performance-page", {2060, 1324}},
                     {"key-menu-three-levels", {2060, 1324}},
                     {"key-combination-dialog", {1060, 400}},
                     {"reconnect-message", {1060, 400}}};
        for (const auto& shot : shots) {
            const QString path = QDir(dir.path()).filePath(QLatin1String(shot.name) + QStringLiteral(".png"));
            if (!written.contains(path)) continue; // the key page's shots come with the key page
            const QImage image(path);
            QCOMPARE(image.size(), shot.size);
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            if (QLatin1String(shot.name).startsWith(QLatin1String("key-menu"))) continue; // look 1
            int tinted = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x)
                    for (const QPoint p :
                         {QPoint(x, y), QPoint(image.width() - 1 - x, image.height() - 1 - y)})
                        tinted += keyTinted(image.pixel(p));
            QVERIFY2(tinted == 0, shot.name);
        }
    }

    void picturesComeAtTwiceThePixelsWithTheirLogicalSize() {
        // Skins place controls by these sizes; the window and dialogs take the background's.
        for (const char* name : {"L1_BackGround", "MSG", "CbS_D", "WebS_01", "Slider_Thumb", "WaitGif_01"}) {
            const QString n = QString::fromLatin1(name);
            const QSize single = krm::gui::resourceImage(n).size();
            const QPixmap pixmap = krm::gui::resourcePixmap(n);
            QCOMPARE(pixmap.devicePixelRatio(), 2.0);
            QCOMPARE(pixmap.size(), single * 2);
            QCOMPARE(pixmap.deviceIndependentSize().toSize(), single);
            // The shape is cut in logical pixels, from the 1x picture.
            QCOMPARE(krm::gui::resourceMask(n).size(), single);
        }
    }

    void drawingsAt2xAreTwiceTheSizeWithThe1xColourKeyShapeDoubled() {
        // A key pixel inside the 1x shape would show as a red rim at 200 %; one outside it would be drawn
        // where the window is cut away.
        int pairs = 0;
        for (const std::string& name : krm::ResourceTable::names()) {
            if (!name.ends_with("@2x")) continue;
            const QString sharpName = QString::fromStdString(name);
            const QImage sharp = krm::gui::resourceImage(sharpName);
            const QImage single = krm::gui::resourceImage(sharpName.chopped(3));
            QVERIFY2(!single.isNull() && !sharp.isNull(), name.c_str());
            QVERIFY2(sharp.size() == single.size() * 2, name.c_str());
            int wrong = 0;
            for (int y = 0; y < sharp.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(sharp.constScanLine(y));
                const auto* below = reinterpret_cast<const QRgb*>(single.constScanLine(y / 2));
                for (int x = 0; x < sharp.width(); ++x)
                    wrong += (line[x] == krm::gui::kColourKey) != (below[x / 2] == krm::gui::kColourKey);
            }
            QVERIFY2(wrong == 0, name.c_str());
            ++pairs;
        }
        QVERIFY(pairs > 0);
    }

    void colourKeyTakesTheColourOfTheWindowBesideIt() {
        const QRgb key = krm::gui::kColourKey, a = qRgb(44, 50, 61), b = qRgb(200, 10, 10);
        // A corner two pixels deep, and a picture that is all key (nothing to take a colour from).
        QImage corner(3, 3, QImage::Format_ARGB32_Premultiplied);
        const QRgb start[3][3] = {{key, key, a}, {key, a, b}, {a, b, b}};
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) corner.setPixel(x, y, start[y][x]);
        const QImage filled = krm::gui::fillColourKey(corner);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) QCOMPARE(filled.pixel(x, y), start[y][x] == key ? a : start[y][x]);

        QImage allKey(2, 2, QImage::Format_ARGB32_Premultiplied);
        allKey.fill(key);
        QCOMPARE(krm::gui::fillColourKey(allKey).pixel(1, 1), key);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    HighDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HighDpiTest.moc"
