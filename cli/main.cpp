// tabulo-cli: the year's books checked, exported to CSV and printed into PDF files
// without the window.

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <iostream>

#include "cli/Commands.h"
#include "cli/PdfOutput.h"

namespace {

using namespace tabulo;

constexpr const char* kHelp =
    "使い方 / Usage:\n"
    "  tabulo-cli check DATAFOLDER\n"
    "  tabulo-cli export ledger|summary|item N|deposits DATAFOLDER [-o FILE] [--encoding "
    "cp932|utf-8]\n"
    "  tabulo-cli print month M|income M|summary|item N|statement 1|2|3 DATAFOLDER -o FILE.pdf\n"
    "\n"
    "DATAFOLDER はデータフォルダー（DATE.DAT のあるフォルダー、またはその上の KEIRIDATA "
    "を含むフォルダー）です。\n"
    "データフォルダーには何も書き込みません。\n"
    "DATAFOLDER is the data folder (the one holding DATE.DAT, or the folder above its KEIRIDATA).\n"
    "Nothing is ever written into it.\n"
    "\n"
    "check     "
    "年度のファイル（DATE.DAT、MASTER.DAT、SHINKOKU."
    "DAT、出納簿、預金）を調べ、誤りを行ごとに示します。\n"
    "          Reads the year's files as the program does and reports each fault line by line.\n"
    "export    CSV（見出し行つき、CR LF、既定は Shift-JIS）を FILE または標準出力に書きます。\n"
    "          ledger: 出納簿の全行 / every ledger line; summary: 月別集計表 / the monthly "
    "summary;\n"
    "          item N: 項目 N の行 / the lines of item N (1..50); deposits: 預金 / the deposit "
    "accounts.\n"
    "print     画面の印刷と同じ帳票を、全ページまとめて PDF "
    "にします（ページごとの確認はありません）。\n"
    "          month M: 月度出納簿 / the cash book of month M; income M: 月度収入項目別データ;\n"
    "          summary: 月別の集計表; item N: 項目別集計; statement 1|2|3: 申告書 / statement "
    "pages.\n"
    "          Prints the window's reports into one PDF, all pages at once.\n"
    "\n"
    "オプション / Options:\n"
    "  -o, --output FILE        出力ファイル / output file (export: standard output when omitted)\n"
    "  --encoding cp932|utf-8   CSV の文字コード（既定 cp932）/ CSV encoding (default cp932)\n"
    "  -h, --help               この説明 / this help\n"
    "  -v, --version            版 / version\n"
    "\n"
    "終了状態 / Exit status: 0 成功 / success; 1 check が誤りを見つけた / check found a fault;\n"
    "  2 引数の誤り、読めないフォルダーやファイル / bad arguments, or an unreadable folder or "
    "file.\n";

int Usage(const std::string& why) {
    std::cerr << "tabulo-cli: " << why << "\n"
              << "詳しくは tabulo-cli --help / see tabulo-cli --help\n";
    return ExitStatus::Refused;
}

// A whole number within [lo, hi], or nullopt.
std::optional<int> NumberIn(const QString& text, int lo, int hi) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi) return std::nullopt;
    return v;
}

std::filesystem::path PathOf(const QString& arg) { return QFile::encodeName(arg).toStdString(); }

// Qt's own chatter (a missing runtime folder and the like) is no concern of a user
// of the command line; real failures are reported by the commands themselves.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << "\n";
}

int RunPrint(int argc, char** argv, const PrintRequest& request) {
    qInstallMessageHandler(QuietQt);
    // Pages need the painter and fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int status = ExitStatus::Refused;
    auto doc = BuildPrintout(request, std::cerr, status);
    if (!doc) return ExitStatus::Refused;
    if (Status st = WritePdf(*doc, request.output); !st) {
        std::cerr << CliErrorText(st.error());
        return ExitStatus::Refused;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QString(), QStringLiteral("FILE"));
    const QCommandLineOption encoding(QStringLiteral("encoding"), QString(),
                                      QStringLiteral("ENCODING"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({output, encoding, help, version});
    if (!parser.parse(args)) return Usage(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::cout << kHelp;
        return ExitStatus::Ok;
    }
    if (parser.isSet(version)) {
        std::cout << "tabulo-cli " << TABULO_VERSION << "\n";
        return ExitStatus::Ok;
    }
    const QStringList pos = parser.positionalArguments();
    if (pos.isEmpty()) return Usage("コマンドがありません / no command given");
    const QString command = pos[0];

    if (command == QStringLiteral("check")) {
        if (pos.size() != 2) return Usage("check DATAFOLDER");
        if (parser.isSet(output) || parser.isSet(encoding))
            return Usage("check にオプションはありません / check takes no options");
        return RunCheck(PathOf(pos[1]), std::cout, std::cerr);
    }

    if (command == QStringLiteral("export")) {
        ExportRequest r;
        if (pos.size() < 3) return Usage("export ledger|summary|item N|deposits DATAFOLDER");
        r.what = pos[1].toStdString();
        int next = 2;
        if (r.what == "item") {
            auto n = pos.size() > 3 ? NumberIn(pos[2], 1, 50) : std::nullopt;
            if (!n) return Usage("item の番号は 1〜50 です / item takes a number 1..50");
            r.item = *n;
            next = 3;
        } else if (r.what != "ledger" && r.what != "summary" && r.what != "deposits") {
            return Usage("export ledger|summary|item N|deposits DATAFOLDER");
        }
        if (pos.size() != next + 1)
            return Usage("export ledger|summary|item N|deposits DATAFOLDER");
        r.folder = PathOf(pos[next]);
        if (parser.isSet(output)) r.output = PathOf(parser.value(output));
        if (parser.isSet(encoding)) {
            const QString e = parser.value(encoding).toLower();
            if (e == QStringLiteral("cp932") || e == QStringLiteral("shift_jis") ||
                e == QStringLiteral("sjis")) {
                r.encoding = CsvEncoding::Cp932;
            } else if (e == QStringLiteral("utf-8") || e == QStringLiteral("utf8")) {
                r.encoding = CsvEncoding::Utf8;
            } else {
                return Usage("--encoding は cp932 か utf-8 です / --encoding takes cp932 or utf-8");
            }
        }
        return RunExport(r, std::cout, std::cerr);
    }

    if (command == QStringLiteral("print")) {
        PrintRequest r;
        const char* usage =
            "print month M|income M|summary|item N|statement 1|2|3 DATAFOLDER -o FILE.pdf";
        if (pos.size() < 3) return Usage(usage);
        r.what = pos[1].toStdString();
        int next = 2;
        if (r.what == "month" || r.what == "income" || r.what == "item" || r.what == "statement") {
            const int hi = r.what == "item" ? 50 : r.what == "statement" ? 3 : 12;
            auto n = pos.size() > 3 ? NumberIn(pos[2], 1, hi) : std::nullopt;
            if (!n)
                return Usage(r.what + " の番号は 1〜" + std::to_string(hi) + " です / " + r.what +
                             " takes a number 1.." + std::to_string(hi));
            r.number = *n;
            next = 3;
        } else if (r.what != "summary") {
            return Usage(usage);
        }
        if (pos.size() != next + 1) return Usage(usage);
        if (!parser.isSet(output))
            return Usage("print には -o FILE.pdf が要ります / print needs -o FILE.pdf");
        if (parser.isSet(encoding))
            return Usage("--encoding は export だけのオプションです / --encoding is for export");
        r.folder = PathOf(pos[next]);
        r.output = PathOf(parser.value(output));
        return RunPrint(argc, argv, r);
    }
    return Usage("知らないコマンドです / unknown command: " + command.toStdString());
}
