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
    "  tabulo-cli export ledger|summary|item N|deposits|trial-balance|balance-sheet|assets|"
    "private-shares [DATAFOLDER] "
    "[-o FILE] "
    "[--encoding cp932|utf-8]\n"
    "  tabulo-cli export consumption-tax [DATAFOLDER] [--method 2wari|kani|gensoku] "
    "[--class N] [-o FILE] [--encoding cp932|utf-8]\n"
    "  tabulo-cli export journal [DATAFOLDER] [--format csv|hledger] [-o FILE] [--encoding "
    "cp932|utf-8]\n"
    "  tabulo-cli print month M|income M|summary|item N|statement 1|2|3|4 [DATAFOLDER] -o "
    "FILE.pdf\n"
    "  tabulo-cli print journal|ledger ACCOUNT [DATAFOLDER] -o FILE.pdf\n"
    "  tabulo-cli print assets|private-shares [DATAFOLDER] -o FILE.pdf\n"
    "  tabulo-cli restore COPY DATAFOLDER\n"
    "  tabulo-cli search [DATAFOLDER] [--from DATE] [--to DATE] [--min N] [--max N] [--amount N]\n"
    "                    [--text T] [--account A] [--item I] [--format table|csv] [--encoding "
    "utf-8|cp932]\n"
    "  tabulo-cli history [DATAFOLDER] [--line N] [--from DATE] [--to DATE] [--format table|csv]\n"
    "                     [--encoding utf-8|cp932]\n"
    "  tabulo-cli import-preview [DATAFOLDER] FILE [--profile NAME] [--account N | --card NAME]\n"
    "                            [--format table|csv] [--encoding utf-8|cp932]\n"
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
    "          trial-balance: 試算表; balance-sheet: 貸借対照表（申告書４ページ、製造原価の計算を含む）;\n"
    "          assets: 固定資産台帳（本年分の償却費と期末帳簿価額）; private-shares: 家事按分。\n"
    "          consumption-tax: 消費税の申告書（第一表と付表）の欄ごとの金額。計算方法はその年の\n"
    "          設定のもの、--method で 2wari（2割特例）、kani（簡易課税）、gensoku（原則課税）。\n"
    "          --class N: 簡易課税で事業区分の決まっていない売上の事業区分（1〜6）。\n"
    "          --encoding cp932（既定）: Windows の Excel など、日本語の表計算ソフトがそのまま開きます。\n"
    "          --encoding utf-8: 先頭に BOM を付けます。LibreOffice Calc など Linux や Mac の表計算\n"
    "          ソフトは、これで文字コードを選ばずに開けます。\n",
    "\n"
    "print     画面の印刷と同じ帳票を、全ページまとめて PDF にします（ページごとの確認はありません）。\n"
    "          month M: 月度出納簿; income M: 月度収入項目別データ; summary: 月別の集計表;\n"
    "          item N: 項目別集計; statement 1|2|3|4: 申告書。\n"
    "          journal: 仕訳帳; ledger ACCOUNT: 総勘定元帳（ACCOUNT は勘定科目のコードか名前）。\n"
    "          assets: 固定資産台帳（償却費の計算の根拠つき）; private-shares: 家事按分。\n",
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
    "          sheet of statement page 4 (with the manufacturing cost when kept); assets: the\n"
    "          fixed-asset register with the year's depreciation and closing book values;\n"
    "          private-shares: each expense item's business and private parts;\n"
    "          consumption-tax: the lines of the consumption-tax return by the year's method,\n"
    "          or by --method 2wari|kani|gensoku; --class N: the business class 1..6 of sales\n"
    "          without one of their own (simplified method).\n"
    "          --encoding cp932 (default): for Japanese office software such as Excel on Windows.\n"
    "          --encoding utf-8: with a byte-order mark, which LibreOffice Calc and other\n"
    "          spreadsheets on Linux or a Mac recognise without being told the character set.\n",
    "\n"
    "print     Prints the window's reports into one PDF, all pages at once.\n"
    "          month M: the cash book of month M; income M: the income of month M by item;\n"
    "          summary: the monthly summary table; item N: the lines of item N;\n"
    "          statement 1|2|3|4: the statement pages.\n"
    "          journal: the journal; ledger ACCOUNT: the general ledger of one account\n"
    "          (ACCOUNT by its code or its name).\n"
    "          assets: the fixed-asset register with the rules its figures rest on;\n"
    "          private-shares: the business shares of the expense items.\n",
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

// cp932 (also shift_jis, sjis) or utf-8 (utf8), in any case; nothing for another word.
std::optional<CsvEncoding> EncodingNamed(const std::string& word) {
    std::string e;
    for (char ch : word) e += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    if (e == "cp932" || e == "shift_jis" || e == "sjis") return CsvEncoding::Cp932;
    if (e == "utf-8" || e == "utf8") return CsvEncoding::Utf8;
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
    auto e = EncodingNamed(*encoding);
    if (!e) return Refuse("--encoding は cp932 か utf-8 です / --encoding takes cp932 or utf-8");
    chosen = *e;
    if (!csv)
        return Refuse("--encoding は --format csv のときだけです / --encoding goes with --format csv");
    return std::nullopt;
}

// search's conditions (and history's --line), each with its value.
struct Condition {
    const char* name;
    std::optional<std::string> value;
};
enum ConditionIndex { kFrom, kTo, kMin, kMax, kAmount, kText, kAccount, kItem, kLine, kProfile, kCard };

// The command line split into its words and its options.
struct Options {
    std::vector<std::string> words;
    std::optional<std::string> output, encoding, format;
    std::optional<std::string> method, taxClass;  // export consumption-tax
    bool help = false, version = false, verbose = false;
    bool force = false;  // an existing output file may be replaced
    std::array<Condition, 11> conditions{{{"--from", {}}, {"--to", {}}, {"--min", {}},
                                          {"--max", {}}, {"--amount", {}}, {"--text", {}},
                                          {"--account", {}}, {"--item", {}}, {"--line", {}},
                                          {"--profile", {}}, {"--card", {}}}};
    const std::optional<std::string>& Value(ConditionIndex i) const {
        return conditions[static_cast<std::size_t>(i)].value;
    }
    bool AnyCondition() const {
        return std::any_of(conditions.begin(), conditions.end(),
                           [](const Condition& c) { return c.value.has_value(); });
    }
};

// Reads the options wherever they stand into `o`; a refusal, or nothing.
std::optional<ParsedArguments> ReadOptions(const std::vector<std::string>& args, Options& o) {
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnd || a.size() < 2 || a[0] != '-') {
            o.words.push_back(a);
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
            o.help = true;
        } else if (a == "-V" || a == "--version") {
            o.version = true;
        } else if (a == "-v" || a == "--verbose") {
            o.verbose = true;
        } else if (a == "--force") {
            o.force = true;
        } else if (auto out = a.size() > 2 && a[1] == '-' ? joinedTo("--output")
                                                           : joinedTo("-o")) {
            if (!take(o.output, *out))
                return Refuse("-o にはファイル名を一つ付けます / -o takes one file name");
        } else if (auto e = joinedTo("--encoding")) {
            if (!take(o.encoding, *e))
                return Refuse(
                    "--encoding には cp932 か utf-8 を付けます / --encoding takes cp932 or utf-8");
        } else if (auto f = joinedTo("--format")) {
            if (!take(o.format, *f))
                return Refuse(
                    "--format には csv か hledger を付けます / --format takes csv or hledger");
        } else if (auto m = joinedTo("--method")) {
            if (!take(o.method, *m))
                return Refuse("--method には 2wari か kani か gensoku を付けます / --method takes "
                              "2wari, kani or gensoku");
        } else if (auto k = joinedTo("--class")) {
            if (!take(o.taxClass, *k))
                return Refuse("--class には事業区分 1〜6 を付けます / --class takes a class 1..6");
        } else if (auto c = std::find_if(o.conditions.begin(), o.conditions.end(),
                                         [&](const Condition& c) { return joinedTo(c.name); });
                   c != o.conditions.end()) {
            if (!take(c->value, *joinedTo(c->name)))
                return Refuse(std::string(c->name) + " には値を一つ付けます",
                              std::string(c->name) + " takes one value");
        } else {
            return Refuse("知らないオプションです: " + a, "unknown option: " + a);
        }
    }
    return std::nullopt;
}

// A condition given empty would quietly match everything.
std::optional<ParsedArguments> RefuseEmptyConditions(const Options& o) {
    for (const Condition& c : o.conditions)
        if (c.value && Trim(*c.value).empty())
            return Refuse(std::string(c.name) + " の値が空です",
                          std::string(c.name) + " is given an empty value");
    return std::nullopt;
}

ParsedArguments ParseSearch(const Options& o) {
    const auto& words = o.words;
    if (words.size() > 2)
        return Refuse("search [DATAFOLDER] [--from DATE] [--to DATE] [--min N] [--max N] "
                      "[--amount N] [--text T] [--account A] [--item I] [--format table|csv]");
    if (o.verbose || o.output || o.force)
        return Refuse("search は結果を標準出力に示します（-v、-o、--force はありません） / "
                      "search prints to standard output (no -v, -o or --force)");
    CliRequest r;
    r.kind = CliRequest::Search;
    SearchRequest& q = r.searchRequest;
    if (words.size() == 2) q.folder = words[1];
    if (o.Value(kAmount) && (o.Value(kMin) || o.Value(kMax)))
        return Refuse("--amount と --min/--max は一緒に使えません / --amount cannot go with "
                      "--min or --max");
    q.input.from = o.Value(kFrom).value_or("");
    q.input.to = o.Value(kTo).value_or("");
    q.input.min = o.Value(kAmount).value_or(o.Value(kMin).value_or(""));
    q.input.max = o.Value(kAmount).value_or(o.Value(kMax).value_or(""));
    q.input.text = o.Value(kText).value_or("");
    q.input.account = o.Value(kAccount).value_or("");
    q.input.item = o.Value(kItem).value_or("");
    if (auto refused = RefuseEmptyConditions(o)) return *refused;
    if (o.Value(kLine))
        return Refuse("--line は history だけのオプションです / --line is for history");
    if (auto refused = ReadListingFormat("search", o.format, o.encoding, q.csv, q.encoding))
        return *refused;
    return {r, {}};
}

ParsedArguments ParseHistory(const Options& o) {
    const auto& words = o.words;
    if (words.size() > 2)
        return Refuse("history [DATAFOLDER] [--line N] [--from DATE] [--to DATE] "
                      "[--format table|csv]");
    if (o.verbose || o.output || o.force)
        return Refuse("history は結果を標準出力に示します（-v、-o、--force はありません） / "
                      "history prints to standard output (no -v, -o or --force)");
    CliRequest r;
    r.kind = CliRequest::History;
    HistoryRequest& q = r.historyRequest;
    if (words.size() == 2) q.folder = words[1];
    for (std::size_t i = kMin; i < kLine; ++i)
        if (o.conditions[i].value)
            return Refuse(std::string(o.conditions[i].name) + " は search だけのオプションです",
                          std::string(o.conditions[i].name) + " is for search");
    if (auto refused = RefuseEmptyConditions(o)) return *refused;
    if (const auto& line = o.Value(kLine)) {
        auto n = NumberIn(Trim(*line), 1, 32767);
        if (!n)
            return Refuse("--line は 1〜32767 の行番号です: " + *line,
                          "--line takes a line number 1..32767: " + *line);
        q.filter.Line = *n;
    }
    for (auto [value, day] : {std::pair{&o.Value(kFrom), &q.filter.From},
                              std::pair{&o.Value(kTo), &q.filter.To}}) {
        if (!*value) continue;
        *day = HistoryDay(Trim(**value));
        if (day->empty())
            return Refuse("日付が正しくありません: " + **value + "（2026-04-01 のように）",
                          "not a date: " + **value + " (write it as 2026-04-01)");
    }
    if (!q.filter.From.empty() && !q.filter.To.empty() && q.filter.From > q.filter.To)
        return Refuse("--from の日付が --to の日付より後です / --from is after --to");
    if (auto refused = ReadListingFormat("history", o.format, o.encoding, q.csv, q.encoding))
        return *refused;
    return {r, {}};
}

ParsedArguments ParseImportPreview(const Options& o) {
    const auto& words = o.words;
    if (words.size() < 2 || words.size() > 3)
        return Refuse("import-preview [DATAFOLDER] FILE [--profile NAME] [--account N | --card NAME] "
                      "[--format table|csv]");
    if (o.verbose || o.output || o.force)
        return Refuse("import-preview は結果を標準出力に示します（-v、-o、--force はありません） / "
                      "import-preview prints to standard output (no -v, -o or --force)");
    for (std::size_t i = 0; i < o.conditions.size(); ++i)
        if (o.conditions[i].value && i != kAccount && i != kProfile && i != kCard)
            return Refuse(std::string(o.conditions[i].name) + " は import-preview のオプションではありません",
                          std::string(o.conditions[i].name) + " is not for import-preview");
    if (auto refused = RefuseEmptyConditions(o)) return *refused;
    CliRequest r;
    r.kind = CliRequest::ImportPreview;
    ImportPreviewRequest& q = r.importPreviewRequest;
    if (words.size() == 3) q.folder = words[1];
    q.file = words.back();
    if (o.Value(kAccount) && o.Value(kCard))
        return Refuse("--account と --card はどちらか一つです / give --account or --card, not both");
    if (const auto& account = o.Value(kAccount)) {
        auto n = NumberIn(Trim(*account), 1, 20);
        if (!n)
            return Refuse("--account は 1〜20 の口座番号です: " + *account,
                          "--account takes an account number 1..20: " + *account);
        q.account = *n;
    }
    if (const auto& card = o.Value(kCard)) q.card = Trim(*card);
    if (const auto& profile = o.Value(kProfile)) q.profile = Trim(*profile);
    if (auto refused = ReadListingFormat("import-preview", o.format, o.encoding, q.csv, q.encoding))
        return *refused;
    return {r, {}};
}

ParsedArguments ParseCheck(const Options& o) {
    if (o.words.size() > 2) return Refuse("check [DATAFOLDER] [-v]");
    if (o.output || o.encoding || o.format || o.force)
        return Refuse("check にオプションは -v だけです / check takes no option but -v");
    CliRequest r;
    r.kind = CliRequest::Check;
    if (o.words.size() == 2) r.folder = o.words[1];
    r.verbose = o.verbose;
    return {r, {}};
}

ParsedArguments ParseRestore(const Options& o) {
    if (o.words.size() != 3) return Refuse("restore COPY DATAFOLDER");
    if (o.output || o.encoding || o.format || o.force)
        return Refuse("restore にオプションはありません / restore takes no options");
    CliRequest r;
    r.kind = CliRequest::Restore;
    r.copy = o.words[1];
    r.folder = o.words[2];
    return {r, {}};
}

// export's --encoding and --format into `q`: a refusal, or nothing.
std::optional<ParsedArguments> ReadExportFormat(const Options& o, ExportRequest& q) {
    if (o.encoding) {
        auto e = EncodingNamed(*o.encoding);
        if (!e) return Refuse("--encoding は cp932 か utf-8 です / --encoding takes cp932 or utf-8");
        q.encoding = *e;
    }
    if (!o.format) return std::nullopt;
    if (q.what != "journal")
        return Refuse("--format は export journal だけのオプションです / --format is for "
                      "export journal");
    if (*o.format != "csv" && *o.format != "hledger")
        return Refuse("--format は csv か hledger です / --format takes csv or hledger");
    // hledger and ledger read UTF-8 only.
    if (*o.format == "hledger" && q.encoding != CsvEncoding::Utf8) {
        if (o.encoding)
            return Refuse("hledger の形式は UTF-8 だけです / the hledger format is UTF-8 only");
        q.encoding = CsvEncoding::Utf8;
    }
    q.format = *o.format;
    return std::nullopt;
}

// export WHAT ... and print WHAT ...: what, its number or account, and the folder.
ParsedArguments ParseExportOrPrint(const Options& o) {
    const auto& words = o.words;
    const bool print = words[0] == "print";
    const char* usage =
        print
            ? "print month M|income M|summary|item N|statement 1|2|3|4|journal|ledger ACCOUNT|"
              "assets|private-shares [DATAFOLDER] -o FILE.pdf"
            : "export ledger|summary|item N|deposits|journal|trial-balance|balance-sheet|"
              "consumption-tax|assets|private-shares [DATAFOLDER] [-o FILE] "
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
    } else if (!(what == "summary" || what == "assets" || what == "private-shares" ||
                 (print && what == "journal") ||
                 (!print && (what == "ledger" || what == "deposits" || what == "journal" ||
                             what == "trial-balance" || what == "balance-sheet" ||
                             what == "consumption-tax" || what == "assets" ||
                             what == "private-shares")))) {
        return Refuse(usage);
    }
    if (words.size() > next + 1) return Refuse(usage);
    const std::filesystem::path folder =
        words.size() == next + 1 ? std::filesystem::path(words[next]) : std::filesystem::path();

    CliRequest r;
    if (print) {
        if (!o.output) return Refuse("print には -o FILE.pdf が要ります / print needs -o FILE.pdf");
        if (o.encoding)
            return Refuse("--encoding は export だけのオプションです / --encoding is for export");
        if (o.format)
            return Refuse("--format は export journal だけのオプションです / --format is for "
                          "export journal");
        r.kind = CliRequest::Print;
        r.printRequest = {what, number, folder, *o.output, o.force, account};
        return {r, {}};
    }
    r.kind = CliRequest::Export;
    r.exportRequest.what = what;
    r.exportRequest.item = number;
    r.exportRequest.folder = folder;
    if (o.output) r.exportRequest.output = *o.output;
    r.exportRequest.force = o.force;
    if (o.method) {
        if (*o.method != "2wari" && *o.method != "kani" && *o.method != "gensoku" &&
            *o.method != "3wari")
            return Refuse("--method は 2wari か kani か gensoku です / --method takes 2wari, kani "
                          "or gensoku");
        r.exportRequest.method = *o.method;
    }
    if (o.taxClass) {
        const std::string& k = *o.taxClass;
        if (k.size() != 1 || k[0] < '1' || k[0] > '6')
            return Refuse("--class は事業区分 1〜6 です / --class takes a class 1..6");
        r.exportRequest.businessClass = k[0] - '0';
    }
    if (auto refused = ReadExportFormat(o, r.exportRequest)) return *refused;
    return {r, {}};
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
    Options o;
    if (auto refused = ReadOptions(args, o)) return *refused;
    const auto& words = o.words;
    CliRequest r;
    // `help [COMMAND]` is --help, for that command.
    if (!words.empty() && words[0] == "help") {
        if (words.size() > 2 || (words.size() == 2 && words[1] != "check" &&
                                 words[1] != "export" && words[1] != "print" &&
                                 words[1] != "restore" && words[1] != "search" &&
                                 words[1] != "history"))
            return Refuse("help [check|export|print|restore|search|history]");
        o.help = true;
        if (words.size() == 2) r.helpTopic = words[1];
    }
    if (o.help) return {r, {}};
    if (o.version) {
        r.kind = CliRequest::Version;
        return {r, {}};
    }
    if (words.empty()) return Refuse("コマンドがありません / no command given");
    const std::string& command = words[0];
    if (command == "import-preview") return ParseImportPreview(o);
    if (o.Value(kProfile) || o.Value(kCard))
        return Refuse("--profile と --card は import-preview だけのオプションです / --profile and "
                      "--card are for import-preview");
    if ((o.method || o.taxClass) && !(command == "export" && words.size() > 1 &&
                                      words[1] == "consumption-tax"))
        return Refuse("--method と --class は export consumption-tax だけのオプションです / "
                      "--method and --class are for export consumption-tax");
    if (command == "search") return ParseSearch(o);
    if (command == "history") return ParseHistory(o);
    if (o.AnyCondition())
        return Refuse("--from などの条件は search と history だけのオプションです / --from and the "
                      "other conditions are for search and history");
    if (command == "check") return ParseCheck(o);
    if (o.verbose) return Refuse("-v は check だけのオプションです / -v is for check");
    if (command == "restore") return ParseRestore(o);
    if (command != "export" && command != "print")
        return Refuse("知らないコマンドです: " + command, "unknown command: " + command);
    return ParseExportOrPrint(o);
}

}  // namespace tabulo
