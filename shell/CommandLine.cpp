#include "shell/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tabulo {
namespace {

// Qt's own options for a window, which it reads from the command line itself: those
// that take a value and those that stand alone. Each may be written with one dash or
// two, and a value may also follow "=".
constexpr std::array<std::string_view, 14> kQtWithValue{
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
    "title", "qmljsdebugger"};
constexpr std::array<std::string_view, 6> kQtAlone{"reverse", "widgetcount", "nograb",
                                                   "dograb", "sync", "testability"};

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

Launch ReadCommandLine(const std::vector<std::string>& args) {
    Launch launch;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            launch.kind = LaunchKind::Help;
            return launch;  // the help answers whatever else was asked
        }
        if (a == "--version") {
            launch.kind = LaunchKind::Version;
            continue;
        }
        if (a == "--check-install") {
            if (launch.kind == LaunchKind::Window) launch.kind = LaunchKind::CheckInstall;
            continue;
        }
        std::string_view name(a);
        if (name.size() > 1 && name[0] == '-') {
            name.remove_prefix(name.size() > 2 && name[1] == '-' ? 2 : 1);
            const std::size_t equals = name.find('=');
            const bool joined = equals != std::string_view::npos;
            if (joined) name = name.substr(0, equals);
            if (OneOf(kQtWithValue, name)) {
                if (!joined) {
                    if (i + 1 >= args.size()) return {LaunchKind::Refused, a};
                    ++i;
                }
                continue;
            }
            if (!joined && OneOf(kQtAlone, name)) continue;
        }
        // The program opens no files: anything else is a mistake.
        return {LaunchKind::Refused, a};
    }
    return launch;
}

std::string TabuloUsage(bool japanese) {
    if (japanese) {
        return "使い方: tabulo [--check-install | --help | --version]\n"
               "\n"
               "会計処理 Tabulo: 青色申告のための出納帳・申告書作成プログラム。\n"
               "オプションなしでウィンドウを開きます。\n"
               "\n"
               "  --check-install  添付のファイル（印刷レイアウト、ヘルプ）をプログラムフォルダーに"
               "写し、\n"
               "                   見つけたものを示して、ウィンドウを開かずに終わります"
               "（0 正常、1 不足あり）。\n"
               "  -h, --help       この説明\n"
               "  --version        版\n"
               "\n"
               "プログラムフォルダーは $TABULO_HOME、なければ ~/.local/share/tabulo です。\n"
               "年度のデータを端末で調べ、CSV や PDF にするには tabulo-cli を使います。\n";
    }
    return "Usage: tabulo [--check-install | --help | --version]\n"
           "\n"
           "Tabulo (会計処理): the cash book and the blue-return statement of a small business.\n"
           "Without options it opens its window.\n"
           "\n"
           "  --check-install  copy the shipped files (print layouts, help book) into the\n"
           "                   program folder, say what was found and exit without a window\n"
           "                   (status 0 when everything is in place, 1 otherwise)\n"
           "  -h, --help       this help\n"
           "  --version        the version\n"
           "\n"
           "The program folder is $TABULO_HOME, else ~/.local/share/tabulo.\n"
           "To check the year's books, or turn them into CSV or PDF files from a terminal,\n"
           "use tabulo-cli.\n";
}

std::string TabuloVersionLine() { return std::string("tabulo ") + TABULO_VERSION + "\n"; }

}  // namespace tabulo
