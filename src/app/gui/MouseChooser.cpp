#include "app/gui/MouseChooser.h"

#include "app/gui/MainWindow.h"
#include "widgets/SkinWidgets.h"

#include <QAction>

namespace krm::gui {

MouseChooser::MouseChooser(MainWindow& window) : ClickLabel(&window), window_(window) {
    setGeometry(kLeft, kTop, kWidth, kHeight);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    menu_ = new QMenu(this);
    connect(this, &ClickLabel::clicked, this, &MouseChooser::openMenu);
    hide();
}

QString MouseChooser::text(const char* id, const QString& a, const QString& b) const {
    QString t = QString::fromStdString(window_.session().texts().text(id));
    t = t.arg(a);
    return b.isNull() ? t : t.arg(b);
}

void MouseChooser::setMice(std::vector<Mouse> mice) {
    mice_ = std::move(mice);
    restyle();
}

void MouseChooser::restyle() {
    setVisible(mice_.size() > 1);
    if (mice_.size() < 2) return;
    int shown = 0;
    for (std::size_t i = 0; i < mice_.size(); ++i)
        if (mice_[i].shown) shown = static_cast<int>(i) + 1;
    const SkinLayout& layout = window_.layout();
    setFont(skinFont(window_.fontFamily(), 10));
    setStyleSheet(
        QStringLiteral("QLabel { color: %1; background: %2; border: 1px solid %3; border-radius: 4px;"
                       " padding: 0 8px; }")
            .arg(toQColor(layout.colour("Color_G")).name(), toQColor(layout.colour("Color_G_Back")).name(),
                 toQColor(layout.colour("Color_G_Border")).name()));
    const QString caption = text("Str942", QString::number(shown), QString::number(mice_.size()));
    setCaption(caption + QStringLiteral(" \u25BE"));
    setAccessibleName(caption);
    menu_->setStyleSheet(menuStyle(layout));
    menu_->setFont(font());
}

void MouseChooser::openMenu() {
    menu_->clear();
    for (std::size_t i = 0; i < mice_.size(); ++i) {
        const Mouse& m = mice_[i];
        QAction* a = menu_->addAction(text("Str943", QString::number(i + 1), QString::fromStdString(m.id)));
        a->setCheckable(true);
        a->setChecked(m.shown);
        if (!m.node.empty()) a->setToolTip(QString::fromStdString(m.node));
        connect(a, &QAction::triggered, this, [this, id = m.id, shown = m.shown] {
            if (!shown && chosen) chosen(id);
        });
    }
    menu_->popup(mapToGlobal(QPoint(0, height())));
}

} // namespace krm::gui
