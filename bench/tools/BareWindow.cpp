// A bare Qt main window, the floor the program's start-up is measured against
// (bench_Startup): the application object and one empty main window shown. With
// TABULO_BARE_TEXT set, the window shows one line of Japanese text, so that the
// fonts a window with text needs are found and loaded too.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(640, 480);
    if (std::getenv("TABULO_BARE_TEXT") != nullptr)
        window.setCentralWidget(new QLabel(QStringLiteral("青色申告 出納帳 ¥1,234"), &window));
    window.show();
    return QApplication::exec();
}
