// A bare Qt main window, the floor the program's start-up is measured against
// (bench_Startup): the application object and one empty main window shown.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
