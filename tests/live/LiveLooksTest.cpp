// Every page of the live window in each of the three looks, as the X server shows it (at 100 %, and at
// 200 % under QT_SCALE_FACTOR=2): its headings drawn, every entry box readable (4.5:1 on the screen's
// own pixels), every caption whole inside its label, the check and option pictures in no colour of the
// window's colour key. With KRM_LIVE_SHOTS=DIR each page is kept as DIR/<scale>x-look<N>-<page>.png.

#include "live/LiveRig.h"

#include "widgets/ClickLabel.h"
#include "widgets/QtImages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>

using namespace krm;
using namespace krm::test;
using krm::gui::resourcePixmap;

namespace {

struct PageVisit {
    const char* name;   // of the screenshot
    const char* button; // the page button clicked, or null for the gun page (opened from a key's menu)
    Page page;
    std::vector<const char*> headings;
};

const PageVisit kVisits[] = {
    {"key-page", "Btn_Main_1", Page::Profile1, {"Key1", "Key4", "IB_ComboKey1"}},
    {"performance-page",
     "Btn_Adv_1",
     Page::Performance,
     {"DPI_Setting_Lable", "Rating_Setting_Lable", "Fire_Key_Lable", "Mouse_Speed_Lable"}},
    {"lighting-page",
     "Btn_Breath_1",
     Page::Lighting,
     {"LED_Mode_Lable", "LED_Effect_Setting_Lable", "LED_Color_Lable"}},
    {"macro-page",
     "Btn_Macro_1",
     Page::Macro,
     {"Marco_List_Lable", "Marco_Content_Lable", "Marco_Mouse_List_Lable"}},
    {"update-page", "Btn_Update_1", Page::Update, {"lbl_LoadBin"}},
    {"engineering-page", "Btn_Engineer_1", Page::Engineering, {"Img_Logo4"}},
    // The last: it covers the navigation until it is left.
    {"gun-page", nullptr, Page::Gun, {"Gun_Marco_Fire_Count_Lable", "Gun_Marco_Color_Lable"}},
};

// The widgets of the page shown: the shown container's, and the navigation's.
template <typename W> std::vector<W*> shownOnPage(QWidget& window) {
    std::vector<W*> out;
    for (W* w : window.findChildren<W*>())
        if (w->isVisible() && w->window() == &window) out.push_back(w);
    return out;
}

bool reddish(QRgb c) {
    return qRed(c) - qGreen(c) > 70 && qRed(c) - qBlue(c) > 50;
}

} // namespace

class LiveLooksTest : public QObject {
    Q_OBJECT
private slots:
    void everyPageInEveryLook() {
        LiveProgram p({"--engineering"});
        Hands hands;
        const QString scale = QString::number(qRound(p.window().devicePixelRatioF())) + QLatin1Char('x');
        const QPixmap options[] = {
            resourcePixmap(QStringLiteral("CbS_D")), resourcePixmap(QStringLiteral("CbS_E")),
            resourcePixmap(QStringLiteral("RdS_D")), resourcePixmap(QStringLiteral("RdS_E"))};
        for (int look = 1; look <= 3; ++look) {
            QVERIFY(hands.click(p.find(qPrintable(QStringLiteral("Btn_Lang%1_1").arg(look)))));
            for (const PageVisit& v : kVisits) {
                const QString where = QStringLiteral("look %1, %2").arg(look).arg(QLatin1String(v.name));
                if (v.button) {
                    QVERIFY2(hands.clickAndRest(p.find(v.button), &p.window()), qPrintable(where));
                } else {
                    p.window().showPage(v.page);
                    Hands::settle();
                }
                QCOMPARE(p.window().shownPage(), v.page);
                // The whole window shows, the engineering page's wider one too.
                QVERIFY2(p.window().screen()->availableGeometry().contains(p.window().frameGeometry()),
                         qPrintable(where));
                keepShot(p.window(),
                         QStringLiteral("%1-look%2-%3").arg(scale).arg(look).arg(QLatin1String(v.name)));

                for (const char* heading : v.headings) {
                    auto* label = p.find<QLabel>(heading);
                    QVERIFY2(label && captionShown(label) > 0.9,
                             qPrintable(where + QStringLiteral(": ") + heading));
                }
                // Every entry box with a value is readable on the screen.
                for (QLineEdit* box : shownOnPage<QLineEdit>(p.window()))
                    if (box->isEnabled() && !box->text().isEmpty())
                        QVERIFY2(textContrast(box) >= 4.5,
                                 qPrintable(where + QStringLiteral(": ") + box->objectName()));
                for (QComboBox* box : shownOnPage<QComboBox>(p.window()))
                    if (box->isEnabled() && !box->currentText().isEmpty())
                        QVERIFY2(textContrast(box) >= 4.5,
                                 qPrintable(where + QStringLiteral(": ") + box->objectName()));
                // The captions of check boxes read as well as the boxes do.
                for (QCheckBox* box : shownOnPage<QCheckBox>(p.window())) {
                    if (!box->isEnabled() || box->text().isEmpty()) continue;
                    QStyleOptionButton option;
                    option.initFrom(box);
                    option.text = box->text();
                    const QRect caption =
                        box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
                    QVERIFY2(textContrast(box, caption) >= 4.5,
                             qPrintable(where + QStringLiteral(": ") + box->text()));
                }
                // Captions show whole.
                for (QLabel* label : shownOnPage<QLabel>(p.window())) {
                    if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull()) continue;
                    const int needed = label->fontMetrics().horizontalAdvance(label->text());
                    QVERIFY2(needed <= label->contentsRect().width(),
                             qPrintable(where + QStringLiteral(": ") + label->objectName() +
                                        QStringLiteral(" '") + label->text() +
                                        QStringLiteral("' needs %1 of %2")
                                            .arg(needed)
                                            .arg(label->contentsRect().width())));
                }
                // Colour swatches keep inside their rounded frames: a corner shows no swatch colour.
                for (QLabel* swatch : shownOnPage<QLabel>(p.window())) {
                    if (!swatch->objectName().startsWith(QStringLiteral("cs_"))) continue;
                    const QRgb colour = swatch->palette().color(QPalette::Window).rgb();
                    QVERIFY2(colourDistance(onScreen(swatch).pixel(0, 0), colour) > 60,
                             qPrintable(where + QStringLiteral(": ") + swatch->objectName()));
                }
                // Check and option pictures keep their own colours, switched off or not.
                for (auto* picture : shownOnPage<gui::ClickLabel>(p.window())) {
                    const QPixmap shown = picture->pixmap();
                    if (shown.isNull() ||
                        std::none_of(std::begin(options), std::end(options),
                                     [&](const QPixmap& o) { return o.cacheKey() == shown.cacheKey(); }))
                        continue;
                    const QImage screen = onScreen(picture);
                    int red = 0;
                    for (int y = 0; y < screen.height(); ++y)
                        for (int x = 0; x < screen.width(); ++x) red += reddish(screen.pixel(x, y));
                    QVERIFY2(red == 0, qPrintable(where + QStringLiteral(": ") + picture->objectName()));
                }
            }
            QVERIFY(hands.click(p.find("Btn_FireExit")));
        }
    }
};

KRM_LIVE_TEST_MAIN(LiveLooksTest)
#include "LiveLooksTest.moc"
