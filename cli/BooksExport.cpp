#include "cli/BooksExport.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "books/BooksPrint.h"
#include "cli/Commands.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

const char* SideName(AccountSide side) {
    switch (side) {
        case AccountSide::Asset: return "資産";
        case AccountSide::Liability: return "負債";
        case AccountSide::Capital: return "資本";
        case AccountSide::Income: return "収益";
        case AccountSide::Expense: return "費用";
    }
    return "";
}

// Text for a ledger tool's line: no control characters, no comment mark, no run of
// blanks (two blanks end an account name).
std::string Plain(std::string_view text) {
    // Most texts have nothing to replace: they are only trimmed.
    bool plain = true;
    for (std::size_t i = 0; i < text.size() && plain; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        plain = c >= 0x20 && c != ';' && !(c == ' ' && i > 0 && text[i - 1] == ' ');
    }
    if (plain) return Trim(text);
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        if (c == ';') {
            out += "；";
            continue;
        }
        out += c;
    }
    return Trim(out);
}

void AppendNumber(std::string& out, std::int64_t value) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, end);
}

// YYYY-MM-DD of a stored YYMMDD, or "" when it names no day of the era.
std::string IsoDate(const SharedState& s, const std::string& date) {
    if (date.size() != 6 || WeekdayText(date, s.EraName).empty()) return {};
    auto year = WesternYear(s.EraName, date.substr(0, 2));
    if (!year || *year < 0 || *year > 9999) return {};
    std::string out = "0000-00-00";
    for (int at = 3, y = *year; at >= 0; --at, y /= 10) out[static_cast<std::size_t>(at)] = static_cast<char>('0' + y % 10);
    out.replace(5, 2, date, 2, 2);
    out.replace(8, 2, date, 4, 2);
    return out;
}

std::string Where(const BookEntry& e) {
    return std::string(EntrySourceName(e.source)) + " " + std::to_string(e.number);
}

FileError DateError(const SharedState& s, const BookEntry& e) {
    // A closing entry is dated by the fiscal year, which the tables name.
    const auto path = e.source == BookEntry::CashBook ? s.LedgerPath
                      : e.source == BookEntry::Slip   ? SlipBookPath(s)
                                                      : s.FiscalYearPath;
    return BadFormatError(path.string(), Where(e) + " の日付が読めません。");
}

std::string Yen(std::int64_t amount) { return std::to_string(amount) + " 円"; }

std::string ItemName(const SharedState& s, int itemNo) {
    if (itemNo < 1 || itemNo > kItemCount) return {};
    return TrimRight(s.ItemTable[static_cast<std::size_t>(itemNo)].ItemName);
}

// The first day of the fiscal year: 1 January of its Western year.
std::string YearStart(const SharedState& s) {
    const std::string yy = YearTag(s.FiscalYear);
    auto year = WesternYear(s.EraName, yy);
    if (!year) return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-01-01", *year);
    return buf;
}

}  // namespace

Result<YearBooks> LoadYearBooks(const SharedState& s) {
    YearBooks books;
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    auto accounts = LoadItemAccounts(ItemAccountsPath(s));
    if (!accounts) return accounts.error();
    books.book = std::move(*book);
    books.accounts = *accounts;
    // The exports read the books as the trial balance does: a year without kept
    // opening balances starts its cash account from the cash book's.
    if (Status st = StartFromYearOpenings(s, books.book); !st) return st.error();
    return books;
}

std::string LedgerAccountName(int code, const ItemTableArray& items) {
    const Account* a = FindAccount(code);
    const char* side = a != nullptr ? SideName(a->side) : "資産";
    // A colon in an item's name would make a sub-account of it.
    std::string name;
    for (char c : Plain(AccountName(code, items))) {
        if (c == ':') {
            name += "：";
        } else {
            name += c;
        }
    }
    return std::string(side) + ":" + name;
}

Result<std::string> HledgerJournal(const SharedState& s, const YearBooks& books,
                                   const std::vector<BookEntry>& journal) {
    std::string out = "; " + Plain(s.ReportTitleName) + " " + s.EraName +
                      std::to_string(s.FiscalYear) + "年 仕訳帳\n\n";
    if (!books.book.Openings.empty()) {
        const std::string start = YearStart(s);
        if (start.empty())
            return BadFormatError(s.FiscalYearPath.string(), "年度の西暦が分かりません。");
        out += start + " 期首残高\n";
        std::int64_t sum = 0;
        for (const Account& a : ChartOfAccounts()) {
            const Amount opening = SignedOpening(books.book, a.code);
            if (opening == 0) continue;
            out += "    " + LedgerAccountName(a.code, s.ItemTable) + "  " + Yen(opening) + "\n";
            sum += opening;
        }
        // Opening balances that differ: the difference stands apart, as the trial
        // balance shows it.
        if (sum != 0) out += "    資本:期首残高差額  " + Yen(-sum) + "\n";
        out += "\n";
    }
    // The same few accounts, items and days come again and again: each is put into
    // words once.
    std::unordered_map<int, std::string> accountNames;
    const auto account = [&](int code) -> const std::string& {
        auto [at, added] = accountNames.try_emplace(code);
        if (added) at->second = LedgerAccountName(code, s.ItemTable);
        return at->second;
    };
    std::array<std::optional<std::string>, kItemCount + 1> itemNames;
    const auto item = [&](int itemNo) -> std::string_view {
        if (itemNo < 1 || itemNo > kItemCount) return {};
        auto& name = itemNames[static_cast<std::size_t>(itemNo)];
        if (!name) name = Plain(ItemName(s, itemNo));
        return *name;
    };
    // Keyed by a view of the entry's own date, which lives as long as the journal.
    std::unordered_map<std::string_view, std::string> days;
    const auto isoDate = [&](const EntryDate& date) -> const std::string& {
        auto [at, added] = days.try_emplace(date.view());
        if (added) at->second = IsoDate(s, date);
        return at->second;
    };
    out.reserve(out.size() + journal.size() * 160);
    for (const BookEntry& e : journal) {
        const std::string& date = isoDate(e.date);
        if (date.empty()) return DateError(s, e);
        const std::string_view description =
            e.source == BookEntry::CashBook ? item(e.itemNo) : std::string_view(EntrySourceName(e.source));
        out += date;
        out += ' ';
        out += description.empty() ? std::string_view("出納簿") : description;
        out += "  ; ";
        out += EntrySourceName(e.source);
        out += ' ';
        AppendNumber(out, e.number);
        const std::string remarks = Plain(e.remarks);
        if (!remarks.empty()) {
            out += ' ';
            out += remarks;
        }
        // The amount on the debit side, and negated on the credit side.
        char digits[24];
        char* const last = digits + sizeof digits;
        char* first = std::to_chars(digits + 1, last, std::int64_t{e.posting.amount}).ptr;
        const std::string_view amount(digits + 1, static_cast<std::size_t>(first - (digits + 1)));
        out += "\n    ";
        out += account(e.posting.debit);
        out += "  ";
        out += amount;
        out += " 円\n    ";
        out += account(e.posting.credit);
        out += "  ";
        if (amount.front() == '-') {
            out += amount.substr(1);
        } else if (amount == "0") {
            out += amount;
        } else {
            out += '-';
            out += amount;
        }
        out += " 円\n\n";
    }
    return out;
}

Result<CsvRows> JournalCsv(const SharedState& s, const YearBooks& books,
                           const std::vector<BookEntry>& journal) {
    CsvRows rows{{"日付", "借方コード", "借方科目", "貸方コード", "貸方科目", "金額", "摘要",
                  "出所", "番号", "項目"}};
    const std::string start = books.book.Openings.empty() ? std::string() : YearStart(s);
    for (const Account& a : ChartOfAccounts()) {
        for (const OpeningBalance& o : books.book.Openings) {
            if (o.AccountCode != a.code) continue;
            const std::string code = std::to_string(a.code), name = AccountName(a.code, s.ItemTable);
            const bool debit = DebitNormal(a.code);
            rows.push_back({start, debit ? code : "", debit ? name : "", debit ? "" : code,
                            debit ? "" : name, std::to_string(o.Balance), "", "期首残高", "",
                            ""});
        }
    }
    for (const BookEntry& e : journal) {
        const std::string date = IsoDate(s, e.date);
        if (date.empty()) return DateError(s, e);
        rows.push_back({date, std::to_string(e.posting.debit),
                        AccountName(e.posting.debit, s.ItemTable),
                        std::to_string(e.posting.credit),
                        AccountName(e.posting.credit, s.ItemTable),
                        std::to_string(e.posting.amount), e.remarks,
                        EntrySourceName(e.source),
                        std::to_string(e.number),
                        e.source == BookEntry::CashBook ? ItemName(s, e.itemNo) : ""});
    }
    return rows;
}

CsvRows TrialBalanceCsv(const SharedState& s, const TrialBalance& tb) {
    CsvRows rows{{"コード", "勘定科目", "区分", "期首残高", "借方", "貸方", "期末残高"}};
    std::int64_t opening = 0, closing = 0;
    for (const TrialBalanceRow& r : tb.rows) {
        const Account* a = FindAccount(r.code);
        rows.push_back({std::to_string(r.code), AccountName(r.code, s.ItemTable),
                        a != nullptr ? SideName(a->side) : "", std::to_string(r.opening),
                        std::to_string(r.debit), std::to_string(r.credit),
                        std::to_string(r.closing)});
        opening += r.opening;
        closing += r.closing;
    }
    rows.push_back({"", "合計", "", std::to_string(opening), std::to_string(tb.debitTotal),
                    std::to_string(tb.creditTotal), std::to_string(closing)});
    return rows;
}

Result<std::vector<std::byte>> BooksExportBytes(const ExportRequest& request,
                                                const SharedState& s) {
    auto books = LoadYearBooks(s);
    if (!books) return books.error();
    if (request.what == "trial-balance") {
        auto tb = BuildTrialBalance(s, books->book, books->accounts);
        if (!tb) return tb.error();
        return EncodeCsv(TrialBalanceCsv(s, *tb), request.encoding);
    }
    auto journal = BuildJournal(s, books->book, books->accounts);
    if (!journal) return journal.error();
    if (request.format == "hledger") {
        auto text = HledgerJournal(s, *books, *journal);
        if (!text) return text.error();
        const auto* p = reinterpret_cast<const std::byte*>(text->data());
        return std::vector<std::byte>(p, p + text->size());
    }
    auto rows = JournalCsv(s, *books, *journal);
    if (!rows) return rows.error();
    return EncodeCsv(*rows, request.encoding);
}

Result<PrintDocument> BooksPrintout(const SharedState& s, const PrintRequest& request) {
    auto books = LoadYearBooks(s);
    if (!books) return books.error();
    auto journal = BuildJournal(s, books->book, books->accounts);
    if (!journal) return journal.error();
    if (request.what == "journal") return PrintJournal(s, books->book, *journal);
    const int code = AccountNamed(request.account, s.ItemTable);
    if (code == 0)
        return FileError{FileErrorCode::BadFormat, {}, "勘定科目がありません: " + request.account};
    auto ledger = BuildGeneralLedger(*journal, books->book, code);
    if (!ledger) return ledger.error();
    return PrintGeneralLedger(s, *ledger);
}

}  // namespace tabulo
