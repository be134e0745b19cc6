#include "app/gui/MainWindow.h"
#include "app/gui/PageStack.h"
#include "buttons/ui/KeyPageView.h"
#include "engineering/ui/EngineeringPageView.h"
#include "image/ImageFields.h"
#include "shell/EngineeringCaptions.h"
#include "shell/EngineeringLocale.h"
#include "widgets/BusyWindow.h"
#include "widgets/MessageBox.h"
#include "widgets/QtImages.h"

#include <QDir>
#include <QTabWidget>

namespace krm::gui {

namespace {

struct Shot {
    Page page;
    const char* name;
};

constexpr Shot kPages[] = {
    {Page::Profile1, "key-page-profile1"},   {Page::Profile2, "key-page-profile2"},
    {Page::Profile3, "key-page-profile3"},   {Page::Performance, "performance-page"},
    {Page::Lighting, "lighting-page"},       {Page::Macro, "macro-page"},
    {Page::Update, "update-page"},           {Page::Gun, "gun-page"},
    {Page::Engineering, "engineering-page"},
};

// The LED types by their type byte (mode bits 3:0 clear; NT with four LEDs), each offering its own modes.
struct LedTypeShot {
    std::uint8_t typeByte;
    const char* name;
};
constexpr LedTypeShot kLedTypes[] = {{0x00, "rgb"}, {0x40, "sync"}, {0xB0, "nt"}, {0x80, "mculed"}};

} // namespace

bool MainWindow::renderScreenshots(const QString& dir, QStringList* written) {
    QDir().mkpath(dir);
    bool ok = true;
    auto save = [&](QWidget& window, const QString& name) {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (!cutToMask(window.grab().toImage(), window.mask()).save(path, "PNG"))
            ok = false;
        else if (written)
            written->push_back(path);
    };
    // With a mouse whose image has been read the pages are shown as their buttons show them (a profile
    // page makes its profile current); otherwise only drawn.
    auto show = [&](Page page) {
        const bool ready = session_.mouseOpen() && !session_.presence().noDevice();
        if (ready && page != Page::Gun)
            pageButtonClicked(page);
        else
            showPage(page);
    };

    // The lighting page once for each LED type. Only the editors' copies take the type, nothing is
    // written to the mouse, and the copies are put back.
    auto eachLedType = [&](int look) {
        const SectionCopies copies = session_.image().copies;
        const auto mode = static_cast<std::uint8_t>(copies.user[user::kLedType] & 0x0F);
        for (const LedTypeShot& type : kLedTypes) {
            session_.image().copies.user[user::kLedType] = static_cast<std::uint8_t>(type.typeByte | mode);
            session_.reloadEditors();
            save(*this, QStringLiteral("look%1-lighting-page-%2").arg(look).arg(QLatin1String(type.name)));
        }
        session_.image().copies = copies;
        session_.reloadEditors();
    };

    for (int look = 1; look <= 3; ++look) {
        languageButtonClicked(look);
        for (const Shot& shot : kPages) {
            show(shot.page);
            save(*this, QStringLiteral("look%1-%2").arg(look).arg(QLatin1String(shot.name)));
            if (shot.page == Page::Lighting) eachLedType(look);
        }
    }
    languageButtonClicked(1);
    show(Page::Profile1);

    if (KeyPageView* keys = keyPage()) {
        keys->openMenuPath(4, kThreeLevelMenuPath);
        save(*this, QStringLiteral("key-menu-three-levels"));
        keys->hideMenus();
        if (QWidget* dialog = keys->openKeyComboDialog()) {
            save(*dialog, QStringLiteral("key-combination-dialog"));
            dialog->close();
        }
    }

    show(Page::Engineering);
    if (auto* engineering = pageMap_->find<EngineeringPageView>(PageStack::containerOf(Page::Engineering))) {
        // The hidden mode, opened as the user opens it, in both caption columns; then hidden again.
        auto* panel =
            static_cast<EngineeringPanel*>(pages_->container(PageStack::containerOf(Page::Engineering)));
        const auto prompt = engineering->passwordPrompt();
        const int column = engineering->captionColumn();
        engineering->setPasswordPrompt([] { return std::optional<std::string>("MbrQelnVdWKP"); });
        for (int i = 0; i < 5 && !session_.engineering().hiddenMode().factoryControlsShown(); ++i)
            engineering->logoDoubleClicked();
        for (int c : {0, 2}) {
            engineering->setCaptionColumn(c);
            panel->setCaption(QString::fromUtf8(std::string(engineeringCaption(7, c)).c_str()),
                              QString::fromUtf8(std::string(engineeringFontFamily(c)).c_str()));
            const QString suffix = c == 0 ? QStringLiteral("") : QStringLiteral("-chinese");
            engineering->tabs()->setCurrentIndex(0);
            save(*this, QStringLiteral("engineering-page-hidden-mode") + suffix);
            engineering->tabs()->setCurrentIndex(2);
            save(*this, QStringLiteral("engineering-page-advanced") + suffix);
        }
        engineering->logoDoubleClicked();
        save(*this, QStringLiteral("engineering-page-chinese"));
        engineering->setCaptionColumn(column);
        panel->setCaption(QString::fromUtf8(std::string(engineeringCaption(7, column)).c_str()),
                          QString::fromUtf8(std::string(engineeringFontFamily(column)).c_str()));
        engineering->setPasswordPrompt(prompt);
    }
    show(Page::Profile1);

    const LanguageSlots& texts = session_.textSlots();
    MessageBox message(
        this, QString::fromStdString(DevicePresence::reconnectMessage(texts.messages[0], texts.messages[1])),
        fontFamily_);
    save(message, QStringLiteral("reconnect-message"));

    if (!busy_) createBusyWindow(false);
    save(*busy_, QStringLiteral("busy-window"));
    return ok;
}

} // namespace krm::gui
