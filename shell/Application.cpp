#include "shell/Application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Drives.h"
#include "platform/Fonts.h"
#include "platform/PrinterHost.h"
#include "platform/QtPrompt.h"
#include "platform/ShippedFiles.h"
#include "platform/SingleInstance.h"
#include "shell/StartupWindow.h"
#include "shell/CheckStartup.h"
#include "shell/HelpWindow.h"
#include "shell/ProgramInfo.h"
#include "shell/MainWindow.h"
#include "shell/ToolIcons.h"
#include "store/SharedState.h"

namespace tabulo {

namespace {

// An exception that escapes an event handler ends only that action, with a message;
// the program and the books stay as they were before it.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv, Prompt& prompt)
        : QApplication(argc, argv), prompt_(prompt) {}
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            Report(e.what());
        } catch (...) {
            Report("");
        }
        return false;
    }

private:
    void Report(const std::string& what) {
        std::string text = "エラーが発生したため、この操作を中止しました。";
        if (!what.empty()) text += "\r\n" + what;
        prompt_.MsgBox(text, MsgStyle::Exclamation, "エラー確認");
    }
    Prompt& prompt_;
};

}  // namespace

struct Application::Parts {
    Parts(int& argc, char** argv) : app(argc, argv, prompt) {}
    QtPrompt prompt;  // before the application object, which refers to it
    GuardedApplication app;
    QTranslator qtTranslation;
    SharedState state;
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<PrinterHost> printer;
    std::unique_ptr<HelpOnDemand> help;
    std::unique_ptr<StartupWindow> startup;
    std::unique_ptr<MainWindow> main;
};

Application::Application(int& argc, char** argv)
    : parts_(std::make_unique<Parts>(argc, argv)) {}

Application::~Application() = default;

int Application::Run() {
    Parts& p = *parts_;
    // The name stands in for the title of a message box that has none. No display name
    // is set: it would be appended to every caption.
    QApplication::setApplicationName(QString::fromUtf8(kMainCaption));
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.tabulo.Tabulo"));
    RegisterFontSubstitutions();
    QFont uiFont(QStringLiteral("IPAPGothic"));
    uiFont.setPointSize(10);
    QApplication::setFont(uiFont);

    const EnvLookup env = ProcessEnvironment();
    p.state.ProgramFolder = ProgramFolderPath(env);
    std::error_code ec;
    std::filesystem::create_directories(p.state.ProgramFolder, ec);
    if (ec) {
        p.prompt.MsgBox("プログラムのフォルダー " + p.state.ProgramFolder.string() +
                            " を作成できません。\r\n" + ec.message(),
                        48, "エラー確認");
        return 1;
    }
    const std::filesystem::path exeFolder = QApplication::applicationDirPath().toStdString();

    // A second copy hands over to the first and ends without a window.
    p.instance = std::make_unique<SingleInstance>(SingleInstance::ServerNameFor(p.state.ProgramFolder));
    if (!p.instance->BecomePrimary()) return 0;

    // The start-up window is shown first; what only the main window and the start-up's
    // checks need is read and built once it is there.
    int exitCode = 0;
    p.startup = std::make_unique<StartupWindow>([&p, &exitCode, env, exeFolder] {
        // The installed icon when the desktop's theme has it; the drawn one in a build tree.
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tabulo"), QIcon(ProgramIcon(32))));
        // Qt's own dialogs and menus (printer set-up, edit menus) speak Japanese too.
        if (p.qtTranslation.load(QStringLiteral("qtbase_ja"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&p.qtTranslation);
        CopyShippedFiles(ShippedFilesFolder(exeFolder), p.state.ProgramFolder);
        p.printer = std::make_unique<PrinterHost>(p.state.ProgramFolder);
        p.help = std::make_unique<HelpOnDemand>(p.state.ProgramFolder / "help");
        if (CheckStartup(p.state, p.prompt, env) != StartupResult::Ready) {
            // The program ends here. The start-up may run before the event loop does
            // (showing the splash window processes events), where exit() is lost, so
            // Run() also looks at exitCode before it enters the loop.
            exitCode = 1;
            p.startup->hide();
            QApplication::exit(1);
            return;
        }
        p.main = std::make_unique<MainWindow>(p.state, p.prompt, p.printer.get(), p.help.get());
        QObject::connect(p.instance.get(), &SingleInstance::activationRequested, p.main.get(),
                         &MainWindow::Activate);
        QObject::connect(p.main.get(), &MainWindow::ended, &p.app, &QApplication::quit,
                         Qt::QueuedConnection);
        p.main->show();
        p.startup->hide();
    });
    QApplication::setQuitOnLastWindowClosed(false);
    p.startup->show();
    if (exitCode != 0) return exitCode;
    const int code = QApplication::exec();
    return exitCode != 0 ? exitCode : code;
}

}  // namespace tabulo
