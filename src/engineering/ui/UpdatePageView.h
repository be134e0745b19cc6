#pragma once

#include "session/ImageOperations.h"
#include "widgets/PageView.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QWidget;

namespace krm::gui {

class ClickLabel;

// The update page: the caption, the path of the chosen patch file, "Load BIN" and "Program" with their
// hover pictures. Opening the page forgets a file loaded before; "Program" stays dimmed until a file
// of the right size for the mouse is loaded. The operations show the busy window, restart the mouse
// and say what went wrong.
class UpdatePageView : public QObject, public PageView {
    Q_OBJECT
public:
    UpdatePageView(const PageContext& context, std::unique_ptr<ImageOperations> operations);
    ~UpdatePageView() override;

    void applySkin(const PageSkin& skin) override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;
    void shown(Page page) override;

    // The file dialog, replaceable for tests.
    void setFileChooser(ChooseFile choose) { choose_ = std::move(choose); }
    void loadBin();
    void program();

    ClickLabel* loadButton() const { return loadLabel_; }
    ClickLabel* programButton() const { return programLabel_; }
    QLabel* pathLabel() const { return path_; }
    const ImageOperations& operations() const { return *operations_; }

private:
    ClickLabel* makeButton(const QString& role, const QString& labelName, QLabel*& picture);
    void place(QWidget* w, const std::string& name);

    PageContext context_;
    std::unique_ptr<ImageOperations> operations_;
    ChooseFile choose_;
    const SkinLayout* layout_ = nullptr;
    QString fontFamily_;
    QLabel* caption_ = nullptr;
    QLabel* path_ = nullptr;
    QLabel* loadPicture_ = nullptr;
    QLabel* programPicture_ = nullptr;
    ClickLabel* loadLabel_ = nullptr;
    ClickLabel* programLabel_ = nullptr;
    std::vector<std::pair<QWidget*, std::string>> placed_;
};

} // namespace krm::gui
