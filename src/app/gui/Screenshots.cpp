#include "app/gui/MainWindow.h"
#include "buttons/ui/KeyPageView.h"
#include "widgets/BusyWindow.h"
#include "widgets/MessageBox.h"
#include "widgets/QtImages.h"

#include <QDir>

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

    for (int look = 1; look <= 3; ++look) {
        languageButtonClicked(look);
        for (const Shot& shot : kPages) {
            show(shot.page);
            save(*this, QStringLiteral("look%1-%2").arg(look).arg(QLatin1String(shot.name)));
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
