#include "app/gui/KeyPage.h"

#include "app/gui/MainWindow.h"

#if __has_include("buttons/ui/KeyPageView.h")
#include "buttons/ui/KeyPageView.h"

#include <QLabel>

namespace krm::gui {

namespace {

class KeyPageAdapter final : public KeyPage {
public:
    KeyPageAdapter(QWidget* page1, MainWindow& window, Session& session, SkinLayout& layout, UiPort& ui)
        : view_(page1, &window, session, layout, ui) {
        QObject::connect(&view_, &KeyPageView::labelEntered, &window, &MainWindow::rollingLabelEntered);
        QObject::connect(&view_, &KeyPageView::labelLeft, &window, &MainWindow::rollingLabelLeft);
        QObject::connect(&view_, &KeyPageView::gunPageRequested, &window, &MainWindow::showGunPage);
    }
    void applySkin(const QString& fontFamily) override { view_.applySkin(fontFamily); }
    void refresh() override { view_.refresh(); }
    void setPageMenuSizes(Page page) override { view_.setPageMenuSizes(page); }
    void hideAllMenus() override { view_.hideAllMenus(); }
    void openMenuPath(int button, const std::vector<int>& tags) override { view_.openMenuPath(button, tags); }
    QWidget* openKeyComboDialog() override { return view_.openKeyComboDialog(); }

private:
    KeyPageView view_;
};

} // namespace

std::unique_ptr<KeyPage> createKeyPage(QWidget* page1, MainWindow& window, Session& session,
                                       SkinLayout& layout, UiPort& ui) {
    return std::make_unique<KeyPageAdapter>(page1, window, session, layout, ui);
}

} // namespace krm::gui

#else

namespace krm::gui {

std::unique_ptr<KeyPage> createKeyPage(QWidget*, MainWindow&, Session&, SkinLayout&, UiPort&) {
    return nullptr;
}

} // namespace krm::gui

#endif
