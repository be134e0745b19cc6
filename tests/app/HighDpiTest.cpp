// The window, its dialog, message box and menus on a 200 % desktop (QT_SCALE_FACTOR=2).
#include "app/WindowRig.h"
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
