#include "app/WindowRig.h"
#include "image/ImageFields.h"

#include <QtTest>

using krm::test::WindowRig;

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void everyPageOfEveryLookAndTheTwoWindows() {
        WindowRig rig;
        rig.window.devTimerTimer();
        QTemporaryDir dir;
        QStringList written;
        const std::uint8_t ledType = rig.session.image().copies.user[krm::user::kLedType];
        QVERIFY(rig.window.renderScreenshots(dir.path(), &written));

        QStringList expected;
        for (int look = 1; look <= 3; ++look)
            for (const char* page :
                 {"key-page-profile1", "key-page-profile2", "key-page-profile3", "performance-page",
                  "lighting-page", "lighting-page-rgb", "lighting-page-sync", "lighting-page-nt",
                  "lighting-page-mculed", "macro-page", "update-page", "gun-page", "engineering-page"})
                expected << QStringLiteral("look%1-%2.png").arg(look).arg(QLatin1String(page));
        if (rig.window.keyPage())
            expected << QStringLiteral("key-menu-three-levels.png")
                     << QStringLiteral("key-combination-dialog.png");
        // The engineering page's hidden mode and its Chinese captions.
        for (const char* shot : {"engineering-page-hidden-mode", "engineering-page-advanced",
                                 "engineering-page-hidden-mode-chinese", "engineering-page-advanced-chinese",
                                 "engineering-page-chinese"})
            expected << QStringLiteral("%1.png").arg(QLatin1String(shot));
        expected << QStringLiteral("reconnect-message.png") << QStringLiteral("busy-window.png");
        QStringList names;
        for (const QString& path : written) names << QFileInfo(path).fileName();
        QCOMPARE(names, expected);

        // The colour key is cut out of the skinned pictures; the engineering page has none.
        const QImage keys(QDir(dir.path()).filePath(QStringLiteral("look2-key-page-profile2.png")));
        QCOMPARE(keys.size(), QSize(1030, 662));
        QCOMPARE(qAlpha(keys.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(keys.pixel(515, 331)), 255);
        const QImage engineering(QDir(dir.path()).filePath(QStringLiteral("look1-engineering-page.png")));
        QCOMPARE(engineering.size(), QSize(1256, 680));
        const QImage message(QDir(dir.path()).filePath(QStringLiteral("reconnect-message.png")));
        QCOMPARE(message.size(), QSize(530, 200));
        QCOMPARE(qAlpha(message.pixel(0, 0)), 0);

        // Each LED type shows its own set of modes; the image read is shown again afterwards.
        QSet<QByteArray> typePictures;
        for (const char* type : {"rgb", "sync", "nt", "mculed"}) {
            QFile f(QDir(dir.path())
                        .filePath(QStringLiteral("look1-lighting-page-%1.png").arg(QLatin1String(type))));
            QVERIFY(f.open(QIODevice::ReadOnly));
            typePictures.insert(f.readAll());
        }
        QCOMPARE(typePictures.size(), 4);
        QCOMPARE(rig.session.image().copies.user[krm::user::kLedType], ledType);

        // With the mouse read, the key pages were shown the way their buttons show them.
        QVERIFY(!rig.window.pagesCovered());
        QVERIFY(rig.messages.isEmpty());
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
