#include "books/BooksPrint.h"

#include <cstdlib>

#include "books/BookRows.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

// A4 portrait inside the printout margins, in millimetres.
constexpr double kScaleWidth = 200;
constexpr double kScaleHeight = 287;
constexpr double kLeft = 5, kRight = 195;
constexpr double kHeadTop = 22;       // the column heads' rule
constexpr double kRowTop = 28;        // the first row's rule
constexpr double kRowHeight = 5.2;
constexpr const char* kMincho = "ＭＳ 明朝";
constexpr double kTextSize = 9;

struct Column {
    const char* head;
    double x;       // the column's left rule
    int chars = 0;  // half-width places a right-aligned column fills; 0: left-aligned
};

using Row = std::vector<std::string>;

// The first `places` half-width places of a UTF-8 text (a character beyond ASCII
// takes two), so that a long name stays inside its column.
std::string Fit(std::string_view text, int places) {
    std::string out;
    int used = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        const int width = len == 1 ? 1 : 2;
        if (used + width > places) break;
        out.append(text.substr(i, len));
        used += width;
        i += len;
    }
    return out;
}

std::string RightAligned(const std::string& text, int places) {
    const int pad = places - static_cast<int>(text.size());  // amounts are ASCII
    return pad > 0 ? std::string(static_cast<std::size_t>(pad), ' ') + text : text;
}

std::string Yen(Amount a) { return FormatAmount(a, true); }

// "MM/DD" of a YYMMDD date.
std::string MonthDay(const std::string& date) {
    return date.size() == 6 ? date.substr(2, 2) + "/" + date.substr(4, 2) : date;
}

// The title, the business, the year and the page number over ruled columns, then the
// rows, kBookRowsPerPage a page; a book without rows still prints its empty page.
PrintDocument PrintTable(const SharedState& s, const std::string& name, const std::string& title,
                         const std::vector<Column>& columns, const std::vector<Row>& rows) {
    PrintDocument doc;
    doc.name = name;
    PageWriter w(doc);
    const std::string year = Trim(s.EraName) + std::to_string(s.FiscalYear) + "年分";
    const std::size_t pages =
        rows.empty() ? 1 : (rows.size() + kBookRowsPerPage - 1) / kBookRowsPerPage;
    for (std::size_t page = 0; page < pages; ++page) {
        w.NewPage(kScaleWidth, kScaleHeight);
        w.FontName = kMincho;
        w.ForeColor = 0;
        w.FontSize = 16;
        w.PrintAt(kLeft + 75, 5, title);
        w.FontSize = 10.5;
        w.PrintAt(kLeft, 14, s.ReportTitleName);
        w.PrintAt(kRight - 30, 14, year);
        const std::size_t first = page * kBookRowsPerPage;
        const std::size_t count = std::min<std::size_t>(kBookRowsPerPage, rows.size() - std::min(first, rows.size()));
        const double bottom = kRowTop + kRowHeight * kBookRowsPerPage;
        w.DrawStyle = 0;
        w.DrawWidth = 5;
        w.Box(kLeft, kHeadTop, kRight, bottom);
        w.Line(kLeft, kRowTop, kRight, kRowTop);
        w.DrawWidth = 3;
        for (std::size_t c = 1; c < columns.size(); ++c)
            w.Line(columns[c].x, kHeadTop, columns[c].x, bottom);
        w.DrawStyle = 2;
        for (int k = 1; k < kBookRowsPerPage; ++k)
            w.Line(kLeft, kRowTop + kRowHeight * k, kRight, kRowTop + kRowHeight * k);
        w.DrawStyle = 0;
        w.FontSize = kTextSize;
        for (const Column& c : columns) w.PrintAt(c.x + 1.5, kHeadTop + 1.2, c.head);
        for (std::size_t i = 0; i < count; ++i) {
            const Row& row = rows[first + i];
            const double y = kRowTop + kRowHeight * static_cast<double>(i) + 1;
            for (std::size_t c = 0; c < columns.size() && c < row.size(); ++c) {
                if (row[c].empty()) continue;
                const double right = c + 1 < columns.size() ? columns[c + 1].x : kRight;
                // A column's width in half-width places at this size: about 1.6 mm each.
                const int places = static_cast<int>((right - columns[c].x - 2) / 1.6);
                const std::string text = columns[c].chars > 0 ? RightAligned(row[c], columns[c].chars)
                                                              : Fit(row[c], places);
                w.PrintAt(columns[c].x + 1, y, text);
            }
        }
        w.FontSize = 10.5;
        w.PrintAt(kLeft + 88, bottom + 4,
                  "- " + std::to_string(page + 1) + " / " + std::to_string(pages) + " -");
    }
    return doc;
}

}  // namespace

PrintDocument PrintJournal(const SharedState& s, const SlipBook& book,
                           const std::vector<BookEntry>& journal) {
    const std::vector<Column> columns = {{"日付", kLeft},          {"借方科目", kLeft + 14},
                                         {"貸方科目", kLeft + 50}, {"金額", kLeft + 86, 14},
                                         {"摘要", kLeft + 111},    {"出所", kLeft + 165}};
    std::vector<Row> rows;
    for (const Account& a : ChartOfAccounts()) {
        for (const OpeningBalance& o : book.Openings) {
            if (o.AccountCode != a.code) continue;
            const std::string account = AccountName(a.code, s.ItemTable);
            const bool debit = DebitNormal(a.code);
            rows.push_back({"01/01", debit ? account : "", debit ? "" : account, Yen(o.Balance),
                            "期首残高", ""});
        }
    }
    for (const BookEntry& e : journal) {
        rows.push_back({MonthDay(e.date), AccountName(e.posting.debit, s.ItemTable),
                        AccountName(e.posting.credit, s.ItemTable), Yen(e.posting.amount),
                        e.remarks,
                        std::string(EntrySourceName(e.source)) + " " + std::to_string(e.number)});
    }
    return PrintTable(s, "仕訳帳", "仕　訳　帳", columns, rows);
}

PrintDocument PrintGeneralLedger(const SharedState& s, const GeneralLedger& ledger) {
    const std::vector<Column> columns = {{"日付", kLeft},           {"相手科目", kLeft + 14},
                                         {"摘要", kLeft + 48},      {"借方", kLeft + 98, 14},
                                         {"貸方", kLeft + 122, 14}, {"残高", kLeft + 146, 14},
                                         {"出所", kLeft + 170}};
    std::vector<Row> rows;
    rows.push_back({"01/01", "", "前期繰越", "", "", Yen(ledger.opening), ""});
    std::int64_t debit = 0, credit = 0;
    for (const GeneralLedgerRow& r : ledger.rows) {
        debit += r.debit;
        credit += r.credit;
        const BookEntry& e = *r.entry;
        rows.push_back({MonthDay(e.date), AccountName(r.counterpart, s.ItemTable), e.remarks,
                        Yen(r.debit), Yen(r.credit), FormatAmount(r.balance, false),
                        std::string(EntrySourceName(e.source)) + " " + std::to_string(e.number)});
    }
    rows.push_back({"12/31", "", "合計", FormatAmount(debit, false), FormatAmount(credit, false),
                    FormatAmount(ledger.closing, false), ""});
    const std::string account = AccountName(ledger.code, s.ItemTable);
    return PrintTable(s, "総勘定元帳 " + account,
                      "総勘定元帳　" + account + "（" + std::to_string(ledger.code) + "）", columns,
                      rows);
}

PrintDocument PrintTrialBalance(const SharedState& s, const TrialBalance& tb) {
    const std::vector<Column> columns = {{"勘定科目", kLeft},        {"期首残高", kLeft + 50, 16},
                                         {"借方", kLeft + 85, 16},     {"貸方", kLeft + 120, 16},
                                         {"期末残高", kLeft + 155, 16}};
    std::vector<Row> rows;
    for (const TrialBalanceViewRow& r : TrialBalanceViewRows(tb, s.ItemTable)) rows.emplace_back(r.begin(), r.end());
    return PrintTable(s, "試算表", "試　算　表", columns, rows);
}

int AccountNamed(std::string_view text, const ItemTableArray& items) {
    const std::string t = Trim(text);
    if (t.empty()) return 0;
    if (t.find_first_not_of("0123456789") == std::string::npos && t.size() <= 4) {
        const int code = std::atoi(t.c_str());
        return FindAccount(code) != nullptr ? code : 0;
    }
    for (const Account& a : ChartOfAccounts())
        if (AccountName(a.code, items) == t) return a.code;
    return 0;
}

}  // namespace tabulo
