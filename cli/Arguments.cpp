#include "cli/Arguments.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "ebooks/HistoryText.h"
#include "store/Text.h"

namespace tabulo {
namespace {

// The help, one part per command, in each language; the commands' forms are the same
// in both.
const char* const kSynopsis =
    "  tabulo-cli check [DATAFOLDER] [-v]\n"
    "  tabulo-cli export ledger|summary|item N|deposits|trial-balance|balance-sheet [DATAFOLDER] "
    "[-o FILE] "
    "[--encoding cp932|utf-8]\n"
    "  tabulo-cli export journal [DATAFOLDER] [--format csv|hledger] [-o FILE] [--encoding "
    "cp932|utf-8]\n"
    "  tabulo-cli print month M|income M|summary|item N|statement 1|2|3|4 [DATAFOLDER] -o "
    "FILE.pdf\n"
    "  tabulo-cli print journal|ledger ACCOUNT [DATAFOLDER] -o FILE.pdf\n"
    "  tabulo-cli restore COPY DATAFOLDER\n"
    "  tabulo-cli search [DATAFOLDER] [--from DATE] [--to DATE] [--min N] [--max N] [--amount N]\n"
    "                    [--text T] [--account A] [--item I] [--format table|csv] [--encoding "
    "utf-8|cp932]\n"
    "  tabulo-cli history [DATAFOLDER] [--line N] [--from DATE] [--to DATE] [--format table|csv]\n"
    "                     [--encoding utf-8|cp932]\n"
    "  tabulo-cli help [check|export|print|restore|search|history]\n";

struct HelpParts {
    const char* usage;  // the heading of the synopsis
    const char* folder;
    const char* check;
    const char* exportCsv;
    const char* print;
    const char* restore;
    const char* options;
    const char* search;
    const char* history;
};

const HelpParts kJapanese{
    "使い方:\n",
    "\n"
    "DATAFOLDER はデータフォルダー（DATE.DAT のあるフォルダー）、その上の KEIRIDATA を含むフォルダー、\n"
    "またはプログラムフォルダー（TAB_SET3.DAT のあるフォルダー）です。省略すると $TABULO_DATA を、\n"
    "それもなければプログラムのデータドライブ（ウィンドウが読むフォルダー。ふつうは\n"
    "~/.local/share/tabulo/drives/A/KEIRIDATA）を読み、読んだフォルダーを標準エラーに示します。\n"
    "データフォルダーには何も書き込みません（restore だけはファイルを置き換えます）。\n",
    "\n"
    "check     年度のファイル（DATE.DAT、MASTER.DAT、SHINKOKU.DAT、出納簿、預金）を調べ、誤りを\n"
    "          行ごとに標準エラーに示します（一つの誤りは一度だけ）。誤りがなければ何も表示しません。\n"
    "          -v を付けると、誤りがないときも結果と注記を標準出力に示します。\n",
    "\n"
    "export    CSV（見出し行つき、CR LF）を FILE または標準出力に書きます。\n"
    "          ledger: 出納簿の全行; summary: 月別集計表; item N: 項目 N（1〜50）の行;\n"
    "          deposits: 預金; journal: 仕訳帳（--format hledger: hledger・ledger の形式、UTF-8）;\n"
    "          trial-balance: 試算表; balance-sheet: 貸借対照表（申告書４ページ、製造原価の計算を含む）。\n"
    "          --encoding cp932（既定）: Windows の Excel など、日本語の表計算ソフトがそのまま開きます。\n"
    "          --encoding utf-8: 先頭に BOM を付けます。LibreOffice Calc など Linux や Mac の表計算\n"
    "          ソフトは、これで文字コードを選ばずに開けます。\n",
    "\n"
    "print     画面の印刷と同じ帳票を、全ページまとめて PDF にします（ページごとの確認はありません）。\n"
    "          month M: 月度出納簿; income M: 月度収入項目別データ; summary: 月別の集計表;\n"
    "          item N: 項目別集計; statement 1|2|3|4: 申告書。\n"
    "          journal: 仕訳帳; ledger ACCOUNT: 総勘定元帳（ACCOUNT は勘定科目のコードか名前）。\n",
    "\n"
    "restore   自動バックアップのコピー COPY（backup/20261208-091500 など）をデータフォルダーに戻します。\n"
    "          中断された操作の記録を先に片づけ、置き換える前のファイルは新しいコピーとして残します。\n"
    "          データフォルダーに書き込むのは restore だけです。\n",
    "\n"
    "オプション:\n"
    "  -o, --output FILE        出力ファイル（export で省略すると標準出力）。データフォルダーの中、\n"
    "                           シンボリックリンク、通常のファイルでないものには書きません\n"
    "  --force                  既にある出力ファイルを置き換えます（無いと置き換えません）\n"
    "  --encoding cp932|utf-8   CSV の文字コード（既定 cp932）\n"
    "  --format csv|hledger     journal の形式（既定 csv）\n"
    "  -v, --verbose            check: 誤りがなくても結果を示す\n"
    "  -h, --help               この説明\n"
    "  -V, --version            版\n"
    "\n"
    "終了状態: 0 成功; 1 check が誤りを見つけた、history が壊れた記録を見つけた; 2 引数の誤り、\n"
    "読めないフォルダーやファイル。\n",
    "\n"
    "search    出納簿の行（取引になる行。繰越の行と金額のない行は除く）と振替伝票を、条件で探して\n"
    "          表にします。条件はいくつでも組み合わせられ、すべてに合うものを示します。\n"
    "          --from/--to DATE: 取引の日付の範囲（両端を含む）。2026-04-01、2026/4/1、20260401、\n"
    "          出納簿と同じ 080401、月だけの 2026-04 のどれでも。\n"
    "          --min/--max N: 金額の範囲（両端を含む）; --amount N: その金額だけ。\n"
    "          --text T: 備考・摘要の一部（全角・半角、英字の大文字・小文字を区別しません）。\n"
    "          --account A: 勘定科目のコードか名前（借方・貸方のどちらか）。\n"
    "          --item I: 項目の番号か名前（出納簿の行だけ）。\n"
    "          --format csv: 見出し行と一件一行の CSV（先頭の列が 出納簿:123 や 振替:5）。UTF-8、\n"
    "          --encoding cp932 で Shift-JIS。\n",
    "\n"
    "history   年度の訂正・削除の履歴（RIREKI<nn>.DAT）を、新しいものから順に表にします。\n"
    "          --line N: 出納簿の N 行目への変更だけ（その時の行番号で）。\n"
    "          --from/--to DATE: 変更した日の範囲（両端を含む）。2026-04-01、2026/04/01、20260401。\n"
    "          --format csv: 見出し行と一件一行の CSV。先頭の列が変更の対象で、出納簿:123（出納簿の行）、\n"
    "          振替:5（振替伝票）、預金:3（預金の口座）、期首:現金（勘定科目の期首残高）、項目:12（項目の\n"
    "          勘定科目）、設定（電子帳簿の設定）。続いて日時、操作、変更前、変更後、取消対象（元に戻した\n"
    "          変更の番号）、番号、状態。UTF-8、--encoding cp932 で Shift-JIS。\n"
    "          壊れた記録は ※ の印（CSV では状態が 破損）を付けて示し、標準エラーにその番号と何が\n"
    "          おかしいかを示して、終了状態 1 で終わります。\n",
};

const HelpParts kEnglish{
    "Usage:\n",
    "\n"
    "DATAFOLDER is the data folder (the one holding DATE.DAT), the folder above its KEIRIDATA,\n"
    "or the program folder (the one holding TAB_SET3.DAT). Without it, $TABULO_DATA is read,\n"
    "else the program's data drive (the folder the window reads, normally\n"
    "~/.local/share/tabulo/drives/A/KEIRIDATA); standard error names the folder read.\n"
    "Nothing is ever written into it (restore alone replaces its files).\n",
    "\n"
    "check     Reads the year's files (DATE.DAT, MASTER.DAT, SHINKOKU.DAT, the ledger, the\n"
    "          deposits) as the program does and reports each fault once, line by line, on\n"
    "          standard error. Silent when there is none; -v reports the result and the notes\n"
    "          on standard output then too.\n",
    "\n"
    "export    Writes CSV (a header row, CR LF) to FILE or standard output.\n"
    "          ledger: every ledger line; summary: the monthly summary; item N: the lines of\n"
    "          item N (1..50); deposits: the deposit accounts; journal: the journal of the\n"
    "          double-entry books (--format hledger: a plain-text journal for hledger and\n"
    "          ledger, UTF-8); trial-balance: the trial balance; balance-sheet: the balance\n"
    "          sheet of statement page 4 (with the manufacturing cost when kept).\n"
    "          --encoding cp932 (default): for Japanese office software such as Excel on Windows.\n"
    "          --encoding utf-8: with a byte-order mark, which LibreOffice Calc and other\n"
    "          spreadsheets on Linux or a Mac recognise without being told the character set.\n",
    "\n"
    "print     Prints the window's reports into one PDF, all pages at once.\n"
    "          month M: the cash book of month M; income M: the income of month M by item;\n"
    "          summary: the monthly summary table; item N: the lines of item N;\n"
    "          statement 1|2|3|4: the statement pages.\n"
    "          journal: the journal; ledger ACCOUNT: the general ledger of one account\n"
    "          (ACCOUNT by its code or its name).\n",
    "\n"
    "restore   Brings back an automatic copy COPY (backup/20261208-091500, say) into the data\n"
    "          folder: its journal is settled first, and the files replaced are kept as one more\n"
    "          copy. restore is the only command that writes into the data folder.\n",
    "\n"
    "Options:\n"
    "  -o, --output FILE        output file (export: standard output when omitted); never\n"
    "                           inside the data folder, a symbolic link or a non-regular file\n"
    "  --force                  replace an output file that exists (never without it)\n"
    "  --encoding cp932|utf-8   CSV encoding (default cp932)\n"
    "  --format csv|hledger     journal format (default csv)\n"
    "  -v, --verbose            check: report even when nothing is wrong\n"
    "  -h, --help               this help\n"
    "  -V, --version            the version\n"
    "\n"
    "Exit status: 0 success; 1 check found a fault, or history a damaged record; 2 bad\n"
    "arguments, or a folder or file that cannot be read.\n",
    "\n"
    "search    Finds the cash-book lines that are transactions (not the carry-over lines, not\n"
    "          lines without an amount) and the transfer slips that meet every condition given.\n"
    "          --from/--to DATE: the transaction date range, both ends included: 2026-04-01,\n"
    "          2026/4/1, 20260401, 080401 as the cash book writes it, or a month 2026-04.\n"
    "          --min/--max N: the amount range, both ends included; --amount N: that amount.\n"
    "          --text T: part of the remarks (full-width and half-width forms and the case of\n"
    "          Latin letters alike). --account A: an account's code or name, on either side.\n"
    "          --item I: an item's number or name (cash-book lines only).\n"
    "          --format csv: a header row and one row per transaction, the first field naming\n"
    "          its source (出納簿:123, 振替:5); UTF-8, or Shift-JIS with --encoding cp932.\n",
    "\n"
    "history   Lists the year's history of corrections and deletions (RIREKI<nn>.DAT), newest\n"
    "          first. --line N: the changes made to cash-book line N (numbered as it was then).\n"
    "          --from/--to DATE: the days the changes were made, both ends included: 2026-04-01,\n"
    "          2026/04/01 or 20260401.\n"
    "          --format csv: a header row and one row per change, the first field naming what\n"
    "          was changed: 出納簿:123 (a cash-book line), 振替:5 (a transfer slip), 預金:3 (a\n"
    "          deposit account), 期首:現金 (an account's opening balance), 項目:12 (an item's\n"
    "          account), 設定 (the electronic-books setting); then the time, the operation, the\n"
    "          values before and after, the number of the change an undo undid, the number and\n"
    "          the state. UTF-8, or Shift-JIS with --encoding cp932.\n"
    "          A damaged record is listed marked ※ (state 破損 in the CSV), standard error names\n"
    "          it and what is wrong, and the exit status is 1.\n",
};

// A refusal in both languages; `error` keeps them together.
ParsedArguments Refuse(std::string ja, std::string en) {
    ParsedArguments p;
    p.error = ja + " / " + en;
    p.errorJa = std::move(ja);
    p.errorEn = std::move(en);
    return p;
}

// A refusal written "Japanese / English", or the same in both.
ParsedArguments Refuse(std::string why) {
    const std::size_t split = why.find(" / ");
    if (split == std::string::npos) return Refuse(why, why);
    return Refuse(why.substr(0, split), why.substr(split + 3));
}

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
    if (print && what == "statement") return 4;
    return std::nullopt;
}

// --format table|csv and --encoding of a command that lists on standard output: a
// refusal, or nothing with `csv` and `chosen` set.
std::optional<ParsedArguments> ReadListingFormat(const std::string& command,
                                                 const std::optional<std::string>& format,
                                                 const std::optional<std::string>& encoding, bool& csv,
                                                 CsvEncoding& chosen) {
    if (format && *format != "csv" && *format != "table")
        return Refuse(command + " の --format は table か csv です / " + command +
                      "'s --format takes table or csv");
    csv = format && *format == "csv";
    if (!encoding) return std::nullopt;
    std::string e;
    for (char ch : *encoding) e += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    if (e == "cp932" || e == "shift_jis" || e == "sjis")
        chosen = CsvEncoding::Cp932;
    else if (e != "utf-8" && e != "utf8")
        return Refuse("--encoding は cp932 か utf-8 です / --encoding takes cp932 or utf-8");
    if (!csv)
        return Refuse("--encoding は --format csv のときだけです / --encoding goes with --format csv");
    return std::nullopt;
}

}  // namespace

std::string HelpText(bool japanese, const std::string& topic) {
    const HelpParts& h = japanese ? kJapanese : kEnglish;
    const std::string head = std::string(h.usage) + kSynopsis + h.folder;
    if (topic == "check") return head + h.check + h.options;
    if (topic == "export") return head + h.exportCsv + h.options;
    if (topic == "print") return head + h.print + h.options;
    if (topic == "restore") return head + h.restore;
    if (topic == "search") return head + h.search + h.options;
    if (topic == "history") return head + h.history + h.options;
    return head + h.check + h.exportCsv + h.print + h.restore + h.search + h.history + h.options;
}

const std::string& RefusalIn(const ParsedArguments& parsed, bool japanese) {
    const std::string& one = japanese ? parsed.errorJa : parsed.errorEn;
    return one.empty() ? parsed.error : one;
}

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    std::optional<std::string> output, encoding, format;
    bool help = false, version = false, verbose = false, optionsEnd = false;
    bool force = false;  // an existing output file may be replaced
    // search's conditions, each with its value.
    struct Condition {
        const char* name;
        std::optional<std::string> value;
    };
    std::array<Condition, 9> conditions{{{"--from", {}}, {"--to", {}}, {"--min", {}},
                                         {"--max", {}}, {"--amount", {}}, {"--text", {}},
                                         {"--account", {}}, {"--item", {}}, {"--line", {}}}};
    constexpr std::size_t kLine = 8;  // history's alone
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
        } else if (a == "-V" || a == "--version") {
            version = true;
        } else if (a == "-v" || a == "--verbose") {
            verbose = true;
        } else if (a == "--force") {
            force = true;
        } else if (auto o = a.size() > 2 && a[1] == '-' ? joinedTo("--output") : joinedTo("-o")) {
            if (!take(output, *o))
                return Refuse("-o にはファイル名を一つ付けます / -o takes one file name");
        } else if (auto e = joinedTo("--encoding")) {
            if (!take(encoding, *e))
                return Refuse(
                    "--encoding には cp932 か utf-8 を付けます / --encoding takes cp932 or utf-8");
        } else if (auto f = joinedTo("--format")) {
            if (!take(format, *f))
                return Refuse(
                    "--format には csv か hledger を付けます / --format takes csv or hledger");
        } else if (auto c = std::find_if(conditions.begin(), conditions.end(),
                                         [&](const Condition& c) { return joinedTo(c.name); });
                   c != conditions.end()) {
            if (!take(c->value, *joinedTo(c->name)))
                return Refuse(std::string(c->name) + " には値を一つ付けます",
                              std::string(c->name) + " takes one value");
        } else {
            return Refuse("知らないオプションです: " + a, "unknown option: " + a);
        }
    }
    const bool anyCondition = std::any_of(conditions.begin(), conditions.end(),
                                          [](const Condition& c) { return c.value.has_value(); });
    CliRequest r;
    // `help [COMMAND]` is --help, for that command.
    if (!words.empty() && words[0] == "help") {
        if (words.size() > 2 || (words.size() == 2 && words[1] != "check" &&
                                 words[1] != "export" && words[1] != "print" &&
                                 words[1] != "restore" && words[1] != "search" &&
                                 words[1] != "history"))
            return Refuse("help [check|export|print|restore|search|history]");
        help = true;
        if (words.size() == 2) r.helpTopic = words[1];
    }
    if (help) return {r, {}};
    if (version) {
        r.kind = CliRequest::Version;
        return {r, {}};
    }
    if (words.empty()) return Refuse("コマンドがありません / no command given");
    const std::string& command = words[0];

    if (command == "search") {
        if (words.size() > 2)
            return Refuse("search [DATAFOLDER] [--from DATE] [--to DATE] [--min N] [--max N] "
                          "[--amount N] [--text T] [--account A] [--item I] [--format table|csv]");
        if (verbose || output || force)
            return Refuse("search は結果を標準出力に示します（-v、-o、--force はありません） / "
                          "search prints to standard output (no -v, -o or --force)");
        r.kind = CliRequest::Search;
        SearchRequest& q = r.searchRequest;
        if (words.size() == 2) q.folder = words[1];
        auto value = [&](int i) { return conditions[static_cast<std::size_t>(i)].value; };
        if (value(4) && (value(2) || value(3)))
            return Refuse("--amount と --min/--max は一緒に使えません / --amount cannot go with "
                          "--min or --max");
        q.input.from = value(0).value_or("");
        q.input.to = value(1).value_or("");
        q.input.min = value(4).value_or(value(2).value_or(""));
        q.input.max = value(4).value_or(value(3).value_or(""));
        q.input.text = value(5).value_or("");
        q.input.account = value(6).value_or("");
        q.input.item = value(7).value_or("");
        // A condition given empty would quietly match everything.
        for (const Condition& c : conditions)
            if (c.value && Trim(*c.value).empty())
                return Refuse(std::string(c.name) + " の値が空です",
                              std::string(c.name) + " is given an empty value");
        if (conditions[kLine].value)
            return Refuse("--line は history だけのオプションです / --line is for history");
        if (auto refused = ReadListingFormat("search", format, encoding, q.csv, q.encoding))
            return *refused;
        return {r, {}};
    }
    if (command == "history") {
        if (words.size() > 2)
            return Refuse("history [DATAFOLDER] [--line N] [--from DATE] [--to DATE] "
                          "[--format table|csv]");
        if (verbose || output || force)
            return Refuse("history は結果を標準出力に示します（-v、-o、--force はありません） / "
                          "history prints to standard output (no -v, -o or --force)");
        r.kind = CliRequest::History;
        HistoryRequest& q = r.historyRequest;
        if (words.size() == 2) q.folder = words[1];
        for (std::size_t i = 2; i < kLine; ++i)
            if (conditions[i].value)
                return Refuse(std::string(conditions[i].name) + " は search だけのオプションです",
                              std::string(conditions[i].name) + " is for search");
        for (const Condition& c : conditions)
            if (c.value && Trim(*c.value).empty())
                return Refuse(std::string(c.name) + " の値が空です",
                              std::string(c.name) + " is given an empty value");
        if (const auto& line = conditions[kLine].value) {
            auto n = NumberIn(Trim(*line), 1, 32767);
            if (!n)
                return Refuse("--line は 1〜32767 の行番号です: " + *line,
                              "--line takes a line number 1..32767: " + *line);
            q.filter.Line = *n;
        }
        for (auto [c, day] : {std::pair{&conditions[0], &q.filter.From}, std::pair{&conditions[1], &q.filter.To}}) {
            if (!c->value) continue;
            *day = HistoryDay(Trim(*c->value));
            if (day->empty())
                return Refuse("日付が正しくありません: " + *c->value + "（2026-04-01 のように）",
                              "not a date: " + *c->value + " (write it as 2026-04-01)");
        }
        if (!q.filter.From.empty() && !q.filter.To.empty() && q.filter.From > q.filter.To)
            return Refuse("--from の日付が --to の日付より後です / --from is after --to");
        if (auto refused = ReadListingFormat("history", format, encoding, q.csv, q.encoding))
            return *refused;
        return {r, {}};
    }
    if (anyCondition)
        return Refuse("--from などの条件は search と history だけのオプションです / --from and the "
                      "other conditions are for search and history");

    if (command == "check") {
        if (words.size() > 2) return Refuse("check [DATAFOLDER] [-v]");
        if (output || encoding || format || force)
            return Refuse("check にオプションは -v だけです / check takes no option but -v");
        r.kind = CliRequest::Check;
        if (words.size() == 2) r.folder = words[1];
        r.verbose = verbose;
        return {r, {}};
    }
    if (verbose) return Refuse("-v は check だけのオプションです / -v is for check");

    if (command == "restore") {
        if (words.size() != 3) return Refuse("restore COPY DATAFOLDER");
        if (output || encoding || format || force)
            return Refuse("restore にオプションはありません / restore takes no options");
        r.kind = CliRequest::Restore;
        r.copy = words[1];
        r.folder = words[2];
        return {r, {}};
    }

    const bool print = command == "print";
    if (command != "export" && !print)
        return Refuse("知らないコマンドです: " + command, "unknown command: " + command);
    const char* usage =
        print
            ? "print month M|income M|summary|item N|statement 1|2|3|4|journal|ledger ACCOUNT "
              "[DATAFOLDER] -o FILE.pdf"
            : "export ledger|summary|item N|deposits|journal|trial-balance|balance-sheet "
              "[DATAFOLDER] [-o FILE] "
              "[--encoding cp932|utf-8]";
    if (words.size() < 2) return Refuse(usage);
    const std::string what = words[1];
    std::size_t next = 2;
    int number = 0;
    std::string account;
    if (auto hi = RangeOf(what, print)) {
        auto n = words.size() > 2 ? NumberIn(words[2], 1, *hi) : std::nullopt;
        if (!n) {
            return Refuse(what + " の番号は 1〜" + std::to_string(*hi) + " です", what +
                          " takes a number 1.." + std::to_string(*hi));
        }
        number = *n;
        next = 3;
    } else if (print && what == "ledger") {
        // The account of the general ledger, by its code or its name.
        if (words.size() < 3 || words[2].empty() || words[2][0] == '-')
            return Refuse("ledger には勘定科目が要ります / ledger needs an account");
        account = words[2];
        next = 3;
    } else if (!(what == "summary" || (print && what == "journal") ||
                 (!print && (what == "ledger" || what == "deposits" || what == "journal" ||
                             what == "trial-balance" || what == "balance-sheet")))) {
        return Refuse(usage);
    }
    if (words.size() > next + 1) return Refuse(usage);
    const std::filesystem::path folder =
        words.size() == next + 1 ? std::filesystem::path(words[next]) : std::filesystem::path();

    if (print) {
        if (!output) return Refuse("print には -o FILE.pdf が要ります / print needs -o FILE.pdf");
        if (encoding)
            return Refuse("--encoding は export だけのオプションです / --encoding is for export");
        if (format)
            return Refuse("--format は export journal だけのオプションです / --format is for "
                          "export journal");
        r.kind = CliRequest::Print;
        r.printRequest = {what, number, folder, *output, force, account};
        return {r, {}};
    }
    r.kind = CliRequest::Export;
    r.exportRequest.what = what;
    r.exportRequest.item = number;
    r.exportRequest.folder = folder;
    if (output) r.exportRequest.output = *output;
    r.exportRequest.force = force;
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
    if (format) {
        if (what != "journal")
            return Refuse("--format は export journal だけのオプションです / --format is for "
                          "export journal");
        if (*format != "csv" && *format != "hledger")
            return Refuse("--format は csv か hledger です / --format takes csv or hledger");
        // hledger and ledger read UTF-8 only.
        if (*format == "hledger" && r.exportRequest.encoding != CsvEncoding::Utf8) {
            if (encoding)
                return Refuse("hledger の形式は UTF-8 だけです / the hledger format is UTF-8 only");
            r.exportRequest.encoding = CsvEncoding::Utf8;
        }
        r.exportRequest.format = *format;
    }
    return {r, {}};
}

}  // namespace tabulo
