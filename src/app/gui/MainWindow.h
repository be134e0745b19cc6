#pragma once

#include "shell/GlobalOptions.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <memory>

namespace krm {
class InputReader;
class HidBackend;
}

namespace krm::gui {

class BusyWindow;
class ImageButton;

// The borderless, skinned main window. It owns the pages, the three timers and the busy window,
// and runs the start-up steps in their fixed order.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kWindowTitle = "KRMR210B Gaming Mouse v1.0";
    static constexpr int kPageCount = 7; // six user pages and the engineering container
    static constexpr int kCoverCount = 5;

    explicit MainWindow(const GlobalOptions& options);
    ~MainWindow() override;

    // The start-up sequence of the window, step by step.
    void formCreate();
    // Creates the busy window hidden; its creation starts the first presence timer.
    void createBusyWindow();

    // Renders every page that exists to DIR/<page>.png. Returns false when a file could not be written.
    bool renderScreenshots(const QString& dir, QStringList* written = nullptr);

    QTimer& devTimer() { return devTimer_; }
    QTimer& devTimerFirst() { return devTimerFirst_; }
    QTimer& labelRun() { return labelRun_; }
    BusyWindow* busyWindow() const;
    bool pagesCovered() const;
    void setPagesCovered(bool covered);
    void restoreAndRaise();
    // Hides every open pop-up menu of the editors.
    void closeMenus();
    // Font family of the current language (its FontName text).
    QString fontFamily() const { return fontFamily_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // Start-up steps (formCreate runs them in this order).
    void disableTimers();
    void clearSharedState();
    void loadStartBackground();
    void sizeWindowAndPages();
    void centreOnScreen();
    void makeBorderless();
    void invalidateDeviceHandles();
    void recordProgramDirectory();
    void showCovers();
    void loadFirstPicturesAndBranding();
    void openMacroLibraryAndFireMacros();
    void setEngineeringCaptions();
    void applySkinForLanguage1();
    void readPointerSettings();
    void setApplicationTitle();
    void setDeviceIdEntry0();
    void showFirstPage();
    void centreNumericFields();
    void runLanguageButton();
    void loadDefaultImages();
    void startInputReader();

    void devTimerTimer();
    void labelRunTimer();
    void minimize();

    GlobalOptions options_;
    QImage background_;
    QVector<QWidget*> pages_;
    QVector<QWidget*> covers_;
    ImageButton* exit_ = nullptr;
    ImageButton* minimize_ = nullptr;
    QPointer<BusyWindow> busy_;
    QTimer devTimer_, devTimerFirst_, labelRun_;
    QString programDirectory_;
    QString fontFamily_ = QStringLiteral("DejaVu Sans");
    std::unique_ptr<HidBackend> backend_;
    std::unique_ptr<InputReader> reader_;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace krm::gui
