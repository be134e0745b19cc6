// The yardsticks of the start-up benchmark, started the same way as krmconfig:
//   krm_bare_window                                 a bare Qt 6 frameless window of the configurator's size,
//                                                   doing nothing else;
//   krm_bare_window --picture PNG --caption TEXT    the same window drawing what any skinned window must:
//                                                   its background picture and one line of text (software
//                                                   drawing, as krmconfig draws).

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const char* picture = nullptr;
    const char* caption = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--picture") == 0) picture = argv[i + 1];
        if (std::strcmp(argv[i], "--caption") == 0) caption = argv[i + 1];
    }
    if (picture || caption) setenv("QT_XCB_GL_INTEGRATION", "none", 0);
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::Window);
    window.setFixedSize(1030, 662);
    if (picture) {
        auto* background = new QLabel(&window);
        background->setPixmap(QPixmap(QString::fromLocal8Bit(picture)));
        background->setGeometry(window.rect());
    }
    if (caption) {
        auto* text = new QLabel(QString::fromUtf8(caption), &window);
        text->setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        text->setGeometry(620, 14, 110, 28);
    }
    window.show();
    return QApplication::exec();
}
