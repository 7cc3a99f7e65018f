// tabulo-cli-print: the print command of tabulo-cli, which starts it with the
// request already checked: WHAT NUMBER DATAFOLDER FILE.pdf [--force] [--account=ACCOUNT]
// (the general ledger's account). The pages are painted on
// Qt's offscreen platform; no window is ever shown.

#include <QGuiApplication>
#include <iostream>
#include <string>

#include "cli/Commands.h"
#include "cli/PdfOutput.h"
#include "platform/Memory.h"

namespace {

// Qt's own chatter (a missing runtime folder and the like) is no concern of a user
// of the command line; real failures are reported by the command itself.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    tabulo::KeepFreedMemoryForReuse();
    using namespace tabulo;
    bool force = false, known = argc >= 5;
    std::string account;
    for (int i = 5; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--force" && !force) {
            force = true;
        } else if (arg.starts_with("--account=") && account.empty()) {
            account = arg.substr(10);
        } else {
            known = false;
        }
    }
    if (!known) {
        std::cerr << "tabulo-cli-print: tabulo-cli print を使ってください / use tabulo-cli print\n";
        return ExitStatus::Refused;
    }
    PrintRequest request{argv[1], std::atoi(argv[2]), argv[3], argv[4], force, account};
    qInstallMessageHandler(QuietQt);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    int status = ExitStatus::Refused;
    auto doc = BuildPrintout(request, std::cerr, status);
    if (!doc) return ExitStatus::Refused;
    if (Status st = WritePdf(*doc, request.output); !st) {
        std::cerr << CliErrorText(st.error());
        return ExitStatus::Refused;
    }
    return status;
}
