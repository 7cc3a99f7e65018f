#include "cli/Arguments.h"

#include <charconv>

namespace tabulo {
namespace {

const char* const kHelp =
    "使い方 / Usage:\n"
    "  tabulo-cli check DATAFOLDER\n"
    "  tabulo-cli export ledger|summary|item N|deposits DATAFOLDER [-o FILE] [--encoding "
    "cp932|utf-8]\n"
    "  tabulo-cli print month M|income M|summary|item N|statement 1|2|3 DATAFOLDER -o FILE.pdf\n"
    "  tabulo-cli restore COPY DATAFOLDER\n"
    "\n"
    "DATAFOLDER はデータフォルダー（DATE.DAT のあるフォルダー、またはその上の KEIRIDATA "
    "を含むフォルダー）です。\n"
    "データフォルダーには何も書き込みません（restore だけはファイルを置き換えます）。\n"
    "DATAFOLDER is the data folder (the one holding DATE.DAT, or the folder above its KEIRIDATA).\n"
    "Nothing is ever written into it (restore alone replaces its files).\n"
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
    "restore   自動バックアップのコピー COPY（backup/20261208-091500 など）をデータフォルダーに戻します。\n"
    "          中断された操作の記録を先に片づけ、置き換える前のファイルは新しいコピーとして残します。\n"
    "          Brings back an automatic copy: the folder's journal is settled first, and the files\n"
    "          replaced are kept as one more copy beside it.\n"
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

ParsedArguments Refuse(std::string why) { return {std::nullopt, std::move(why)}; }

// A whole number within [lo, hi].
std::optional<int> NumberIn(const std::string& text, int lo, int hi) {
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
        return std::nullopt;
    return v;
}

// Words that take a number after them, and its range.
std::optional<int> RangeOf(const std::string& what, bool print) {
    if (what == "item") return 50;
    if (print && (what == "month" || what == "income")) return 12;
    if (print && what == "statement") return 3;
    return std::nullopt;
}

}  // namespace

const char* HelpText() { return kHelp; }

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    std::optional<std::string> output, encoding;
    bool help = false, version = false, optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnd || a.size() < 2 || a[0] != '-') {
            words.push_back(a);
            continue;
        }
        // An option's value follows it, or is joined to it (-oFILE, --output=FILE).
        auto take = [&](std::optional<std::string>& into, std::string joined) {
            if (into) return false;  // given twice
            if (!joined.empty()) {
                into = std::move(joined);
                return true;
            }
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        auto joinedTo = [&](const std::string& name) -> std::optional<std::string> {
            if (a == name) return std::string();
            if (name.size() == 2 && a.rfind(name, 0) == 0) return a.substr(2);
            if (a.rfind(name + "=", 0) == 0) return a.substr(name.size() + 1);
            return std::nullopt;
        };
        if (a == "--") {
            optionsEnd = true;
        } else if (a == "-h" || a == "--help") {
            help = true;
        } else if (a == "-v" || a == "--version") {
            version = true;
        } else if (auto o = a.size() > 2 && a[1] == '-' ? joinedTo("--output") : joinedTo("-o")) {
            if (!take(output, *o))
                return Refuse("-o にはファイル名を一つ付けます / -o takes one file name");
        } else if (auto e = joinedTo("--encoding")) {
            if (!take(encoding, *e))
                return Refuse(
                    "--encoding には cp932 か utf-8 を付けます / --encoding takes cp932 or utf-8");
        } else {
            return Refuse("知らないオプションです / unknown option: " + a);
        }
    }
    CliRequest r;
    if (help) return {r, {}};
    if (version) {
        r.kind = CliRequest::Version;
        return {r, {}};
    }
    if (words.empty()) return Refuse("コマンドがありません / no command given");
    const std::string& command = words[0];

    if (command == "check") {
        if (words.size() != 2) return Refuse("check DATAFOLDER");
        if (output || encoding)
            return Refuse("check にオプションはありません / check takes no options");
        r.kind = CliRequest::Check;
        r.folder = words[1];
        return {r, {}};
    }

    if (command == "restore") {
        if (words.size() != 3) return Refuse("restore COPY DATAFOLDER");
        if (output || encoding)
            return Refuse("restore にオプションはありません / restore takes no options");
        r.kind = CliRequest::Restore;
        r.copy = words[1];
        r.folder = words[2];
        return {r, {}};
    }

    const bool print = command == "print";
    if (command != "export" && !print)
        return Refuse("知らないコマンドです / unknown command: " + command);
    const char* usage =
        print
            ? "print month M|income M|summary|item N|statement 1|2|3 DATAFOLDER -o FILE.pdf"
            : "export ledger|summary|item N|deposits DATAFOLDER [-o FILE] [--encoding cp932|utf-8]";
    if (words.size() < 3) return Refuse(usage);
    const std::string what = words[1];
    std::size_t next = 2;
    int number = 0;
    if (auto hi = RangeOf(what, print)) {
        auto n = words.size() > 3 ? NumberIn(words[2], 1, *hi) : std::nullopt;
        if (!n) {
            return Refuse(what + " の番号は 1〜" + std::to_string(*hi) + " です / " + what +
                          " takes a number 1.." + std::to_string(*hi));
        }
        number = *n;
        next = 3;
    } else if (!(what == "summary" || (!print && (what == "ledger" || what == "deposits")))) {
        return Refuse(usage);
    }
    if (words.size() != next + 1) return Refuse(usage);
    const std::filesystem::path folder = words[next];

    if (print) {
        if (!output) return Refuse("print には -o FILE.pdf が要ります / print needs -o FILE.pdf");
        if (encoding)
            return Refuse("--encoding は export だけのオプションです / --encoding is for export");
        r.kind = CliRequest::Print;
        r.printRequest = {what, number, folder, *output};
        return {r, {}};
    }
    r.kind = CliRequest::Export;
    r.exportRequest.what = what;
    r.exportRequest.item = number;
    r.exportRequest.folder = folder;
    if (output) r.exportRequest.output = *output;
    if (encoding) {
        std::string e;
        for (char c : *encoding) e += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (e == "cp932" || e == "shift_jis" || e == "sjis") {
            r.exportRequest.encoding = CsvEncoding::Cp932;
        } else if (e == "utf-8" || e == "utf8") {
            r.exportRequest.encoding = CsvEncoding::Utf8;
        } else {
            return Refuse("--encoding は cp932 か utf-8 です / --encoding takes cp932 or utf-8");
        }
    }
    return {r, {}};
}

}  // namespace tabulo
