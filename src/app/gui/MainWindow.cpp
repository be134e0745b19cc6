#include "app/gui/MainWindow.h"

#include "app/gui/BusyWindow.h"
#include "app/gui/ImageButton.h"
#include "app/gui/QtImages.h"
#include "device/HidBackend.h"
#include "device/InputReader.h"
#include "shell/WindowGeometry.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace krm::gui {

namespace {

constexpr QRgb kColourKey = qRgb(128, 0, 0); // clMaroon: pixels of this colour are not part of the window

// Stands in for the HID stack until a mouse link is configured.
class NoHidDevices final : public HidBackend {
public:
    std::vector<std::string> enumerate() override { return {}; }
    HidHandle open(const std::string&, bool) override { return kInvalidHandle; }
    void close(HidHandle) override {}
    bool attributes(HidHandle, HidAttributes&) override { return false; }
    bool capabilities(HidHandle, HidCapabilities&) override { return false; }
    bool setFeature(HidHandle, std::span<const std::uint8_t>) override { return false; }
    bool getFeature(HidHandle, std::span<std::uint8_t>) override { return false; }
    int readInput(HidHandle, std::span<std::uint8_t>) override { return -1; }
    void cancelReads() override {}
};

// A full-page transparent label that swallows clicks while no configuration image has been read.
class CoverLabel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
};

} // namespace

MainWindow::MainWindow(const GlobalOptions& options)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Window), options_(options) {
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    devTimer_.setInterval(3500);
    devTimerFirst_.setInterval(1000);
    labelRun_.setInterval(200);
    connect(&devTimer_, &QTimer::timeout, this, &MainWindow::devTimerTimer);
    connect(&devTimerFirst_, &QTimer::timeout, this, &MainWindow::devTimerTimer);
    connect(&labelRun_, &QTimer::timeout, this, &MainWindow::labelRunTimer);
}

MainWindow::~MainWindow() {
    if (reader_) reader_->stop();
    delete busy_;
}

void MainWindow::formCreate() {
    disableTimers();
    clearSharedState();
    loadStartBackground();
    sizeWindowAndPages();
    centreOnScreen();
    makeBorderless();
    invalidateDeviceHandles();
    recordProgramDirectory();
    showCovers();
    loadFirstPicturesAndBranding();
    openMacroLibraryAndFireMacros();
    setEngineeringCaptions();
    applySkinForLanguage1();
    readPointerSettings();
    setApplicationTitle();
    setDeviceIdEntry0();
    showFirstPage();
    centreNumericFields();
    runLanguageButton();
    loadDefaultImages();
    startInputReader();
    update();
}

void MainWindow::disableTimers() {
    devTimerFirst_.stop();
    devTimer_.stop();
}

void MainWindow::clearSharedState() {}

void MainWindow::loadStartBackground() {
    background_ = resourceImage(QStringLiteral("L1_BackGround"));
    if (background_.isNull()) background_ = QImage(1030, 662, QImage::Format_ARGB32_Premultiplied);
}

void MainWindow::sizeWindowAndPages() {
    setFixedSize(background_.size());
    for (int i = 0; i < kPageCount; ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("gbPage%1").arg(i + 1));
        // The engineering container is larger than the user pages.
        page->setGeometry(0, 0, i == kPageCount - 1 ? 1256 : width(), i == kPageCount - 1 ? 680 : height());
        if (i < kPageCount - 1) {
            auto* base = new QLabel(page);
            base->setObjectName(QStringLiteral("Img_Base_%1").arg(i + 1));
            base->setPixmap(QPixmap::fromImage(background_));
            base->setGeometry(0, 0, width(), height());
            base->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        pages_.push_back(page);
    }
}

void MainWindow::centreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect s = screen->geometry();
    move(s.left() + centredOffset(s.width(), width()), s.top() + centredOffset(s.height(), height()));
}

void MainWindow::makeBorderless() {
    // The skin's pictures are the window: pixels in the colour key are cut out of it.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(kColourKey));
    setPalette(pal);
    setAutoFillBackground(true);
    const QImage rgb = background_.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (kColourKey & 0xFFFFFF)) {
                setMask(QBitmap::fromImage(rgb.createMaskFromColor(kColourKey, Qt::MaskOutColor)));
                return;
            }
        }
    }
}

void MainWindow::invalidateDeviceHandles() {}

void MainWindow::recordProgramDirectory() {
    programDirectory_ = QCoreApplication::applicationDirPath() + QDir::separator();
}

void MainWindow::showCovers() {
    for (int i = 0; i < kCoverCount; ++i) {
        auto* cover = new CoverLabel(pages_[i]);
        cover->setObjectName(QStringLiteral("Disable_All_%1").arg(i + 1));
        cover->setGeometry(0, 0, width(), height());
        cover->show();
        covers_.push_back(cover);
    }
}

void MainWindow::loadFirstPicturesAndBranding() {
    // Window buttons; their places come from the skin once it is applied.
    exit_ = new ImageButton(this);
    exit_->setObjectName(QStringLiteral("Btn_Exit_1"));
    exit_->setPictures(resourcePixmap(QStringLiteral("ExitS_01")), resourcePixmap(QStringLiteral("ExitS_02")));
    minimize_ = new ImageButton(this);
    minimize_->setObjectName(QStringLiteral("Btn_Mini_1"));
    minimize_->setPictures(resourcePixmap(QStringLiteral("MiniS_01")), resourcePixmap(QStringLiteral("MiniS_02")));
    for (ImageButton* b : {exit_, minimize_}) {
        if (b->pixmap().isNull() && b->size() == QSize(100, 30)) b->resize(20, 20);
        b->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    }
    if (resourcePixmap(QStringLiteral("ExitS_01")).isNull()) exit_->setText(QStringLiteral("\u00d7"));
    if (resourcePixmap(QStringLiteral("MiniS_01")).isNull()) minimize_->setText(QStringLiteral("\u2013"));
    exit_->setGeometry(width() - 30, 10, 20, 20);
    minimize_->setGeometry(width() - 56, 10, 20, 20);
    connect(exit_, &ImageButton::clicked, this, &QWidget::close);
    connect(minimize_, &ImageButton::clicked, this, &MainWindow::minimize);
}

void MainWindow::openMacroLibraryAndFireMacros() {}
void MainWindow::setEngineeringCaptions() {}
void MainWindow::applySkinForLanguage1() {}
void MainWindow::readPointerSettings() {}

void MainWindow::setApplicationTitle() { QGuiApplication::setApplicationDisplayName(QStringLiteral("Gaming Mouse")); }

void MainWindow::setDeviceIdEntry0() {}

void MainWindow::showFirstPage() {
    for (int i = 0; i < pages_.size(); ++i) pages_[i]->setVisible(i == 0);
    exit_->raise();
    minimize_->raise();
}

void MainWindow::centreNumericFields() {}
void MainWindow::runLanguageButton() {}
void MainWindow::loadDefaultImages() {}

void MainWindow::startInputReader() {
    if (!backend_) backend_ = std::make_unique<NoHidDevices>();
    reader_ = std::make_unique<InputReader>(
        *backend_, [] { return InputReader::Source{}; }, [](std::span<const std::uint8_t>) {});
    reader_->start();
}

void MainWindow::createBusyWindow() {
    busy_ = new BusyWindow(this);
    busy_->placeOverMainWindow(40);
    devTimerFirst_.start();
}

void MainWindow::devTimerTimer() {}
void MainWindow::labelRunTimer() {}

void MainWindow::minimize() { showMinimized(); }

void MainWindow::closeMenus() {}

BusyWindow* MainWindow::busyWindow() const { return busy_; }

bool MainWindow::pagesCovered() const { return !covers_.isEmpty() && !covers_.front()->isHidden(); }

void MainWindow::setPagesCovered(bool covered) {
    for (QWidget* c : covers_) c->setVisible(covered);
}

void MainWindow::restoreAndRaise() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // The device handles are marked invalid and the reader is stopped; the close is never refused.
    if (reader_) reader_->stop();
    if (busy_) busy_->hide();
    e->accept();
}

void MainWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    closeMenus();
    // Dragging the background moves the borderless window.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) move(e->globalPosition().toPoint() - dragOffset_);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

bool MainWindow::renderScreenshots(const QString& dir, QStringList* written) {
    QDir().mkpath(dir);
    bool ok = true;
    auto save = [&](QWidget* w, const QString& name) {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (!w->grab().save(path, "PNG")) ok = false;
        else if (written) written->push_back(path);
    };
    save(this, QStringLiteral("start"));
    return ok;
}

} // namespace krm::gui
