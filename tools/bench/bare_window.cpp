// The yardstick of the start-up benchmark: a bare Qt 6 frameless window of the configurator's size,
// doing nothing else. krm_bench_startup starts it the same way as krmconfig and reports the ratio.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::Window);
    window.setFixedSize(1030, 662);
    window.show();
    return QApplication::exec();
}
