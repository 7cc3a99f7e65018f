#include "ebooks/Search.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <limits>

#include "books/Accounts.h"
#include "books/BooksFiles.h"
#include "ebooks/SearchText.h"
#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    return n;
}

// The day as yyyymmdd, or nullopt when the calendar has no such day.
std::optional<int> Day(int y, int m, int d) {
    using namespace std::chrono;
    if (y < 1900 || y > 2199) return std::nullopt;
    const year_month_day ymd{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (m < 1 || m > 12 || d < 1 || !ymd.ok()) return std::nullopt;
    return y * 10000 + m * 100 + d;
}

// A typed date (see SearchInput); a month alone stands for its first day, or for its
// last when it ends the range.
std::optional<int> ReadDate(const std::string& folded, const std::string& eraName, bool end) {
    if (AllDigits(folded)) {
        if (folded.size() == 8)
            return Day(Number(folded.substr(0, 4)), Number(folded.substr(4, 2)),
                       Number(folded.substr(6, 2)));
        if (folded.size() == 6) {  // the cash book's YYMMDD in the year's era
            auto y = WesternYear(eraName, std::string_view(folded).substr(0, 2));
            if (!y) return std::nullopt;
            return Day(*y, Number(folded.substr(2, 2)), Number(folded.substr(4, 2)));
        }
        return std::nullopt;
    }
    std::vector<std::string> parts(1);
    for (char c : folded) {
        if (c == '-' || c == '/' || c == '.')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() < 2 || parts.size() > 3 || parts[0].size() != 4) return std::nullopt;
    for (const std::string& p : parts)
        if (!AllDigits(p) || p.size() > 4 || (&p != &parts[0] && p.size() > 2)) return std::nullopt;
    const int y = Number(parts[0]), m = Number(parts[1]);
    if (parts.size() == 3) return Day(y, m, Number(parts[2]));
    if (m < 1 || m > 12) return std::nullopt;
    if (!end) return Day(y, m, 1);
    using namespace std::chrono;
    const year_month_day_last last{year{y}, month_day_last{month{static_cast<unsigned>(m)}}};
    return Day(y, m, static_cast<int>(static_cast<unsigned>(last.day())));
}

// A whole number of yen: digits with commas where the screens put them, a sign, "円"
// after it.
std::optional<Amount> ReadAmount(std::string folded) {
    if (folded.ends_with("円")) folded.resize(folded.size() - std::string_view("円").size());
    folded = Trim(folded);
    bool negative = false;
    std::size_t i = 0;
    if (!folded.empty() && (folded[0] == '-' || folded[0] == '+')) {
        negative = folded[0] == '-';
        i = 1;
    }
    std::int64_t v = 0;
    bool digits = false;
    for (; i < folded.size(); ++i) {
        const char c = folded[i];
        if (c == ',') continue;
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        digits = true;
        if (v > std::int64_t{std::numeric_limits<Amount>::max()} + 1) return std::nullopt;
    }
    if (!digits) return std::nullopt;
    if (negative) v = -v;
    if (v > std::numeric_limits<Amount>::max() || v < std::numeric_limits<Amount>::min())
        return std::nullopt;
    return static_cast<Amount>(v);
}

struct Named {
    int code;
    std::string name;
};

// The one entry of `candidates` that `folded` names: its code (or number), its whole
// name, or the only name that holds it. When several names hold it, they go into
// `several` and there is none.
std::optional<int> Resolve(const std::string& folded, const std::vector<Named>& candidates,
                           std::vector<std::string>& several) {
    if (AllDigits(folded)) {
        if (folded.size() > 4) return std::nullopt;
        const int n = Number(folded);
        for (const Named& c : candidates)
            if (c.code == n) return n;
        return std::nullopt;
    }
    std::vector<const Named*> partial;
    for (const Named& c : candidates) {
        const std::string name = FoldForSearch(c.name);
        if (name == folded) return c.code;
        if (HoldsFolded(name, folded)) partial.push_back(&c);
    }
    if (partial.size() == 1) return partial[0]->code;
    for (const Named* c : partial) several.push_back(c->name);
    return std::nullopt;
}

std::string Joined(const std::vector<std::string>& names, const char* separator) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : separator) + n;
    return out;
}

}  // namespace

ReadConditions ReadSearchConditions(const SearchInput& input, const std::string& eraName,
                                    const ItemTableArray& items) {
    SearchConditions c;
    auto refuse = [](SearchRefusal::Field field, std::string ja, std::string en) {
        return ReadConditions{std::nullopt, {field, std::move(ja), std::move(en)}};
    };
    auto typed = [](const std::string& text) { return Trim(FoldForSearch(text)); };

    const struct {
        const std::string& text;
        std::optional<int>& into;
        SearchRefusal::Field field;
        bool end;
    } dates[] = {{input.from, c.from, SearchRefusal::From, false},
                 {input.to, c.to, SearchRefusal::To, true}};
    for (const auto& d : dates) {
        const std::string t = typed(d.text);
        if (t.empty()) continue;
        d.into = ReadDate(t, eraName, d.end);
        if (!d.into) {
            return refuse(d.field,
                          "日付が正しくありません: " + Trim(d.text) +
                              "（2026-04-01 か、出納簿と同じ 080401 の形で入れてください）",
                          "not a date: " + Trim(d.text) +
                              " (write 2026-04-01, or 080401 as the cash book does)");
        }
    }
    if (c.from && c.to && *c.from > *c.to)
        return refuse(SearchRefusal::To, "期間の始めの日付が終わりの日付より後です。",
                      "the start date is after the end date");

    const struct {
        const std::string& text;
        std::optional<Amount>& into;
        SearchRefusal::Field field;
    } amounts[] = {{input.min, c.min, SearchRefusal::Min}, {input.max, c.max, SearchRefusal::Max}};
    for (const auto& a : amounts) {
        const std::string t = typed(a.text);
        if (t.empty()) continue;
        a.into = ReadAmount(t);
        if (!a.into) {
            return refuse(a.field, "金額が正しくありません: " + Trim(a.text) + "（円の整数で入れてください）",
                          "not an amount in whole yen: " + Trim(a.text));
        }
    }
    if (c.min && c.max && *c.min > *c.max)
        return refuse(SearchRefusal::Max, "金額の下限が上限より大きくなっています。",
                      "the lower amount is above the upper one");

    c.text = typed(input.text);

    if (const std::string t = typed(input.account); !t.empty()) {
        std::vector<Named> accounts;
        for (const Account& a : ChartOfAccounts()) accounts.push_back({a.code, AccountName(a.code, items)});
        std::vector<std::string> several;
        c.account = Resolve(t, accounts, several);
        if (!c.account && !several.empty()) {
            return refuse(SearchRefusal::Account,
                          "勘定科目を一つに絞れません: " + Trim(input.account) + "（" +
                              Joined(several, "、") + "）",
                          "more than one account fits " + Trim(input.account) + ": " +
                              Joined(several, ", "));
        }
        if (!c.account)
            return refuse(SearchRefusal::Account, "その勘定科目はありません: " + Trim(input.account),
                          "no such account: " + Trim(input.account));
    }

    if (const std::string t = typed(input.item); !t.empty()) {
        std::vector<Named> named;
        for (int i = 1; i <= kItemCount; ++i) {
            const ItemEntry& e = items[static_cast<std::size_t>(i)];
            std::string name = TrimRight(e.ItemName);
            if (!name.empty() || e.ItemKubun != 0) named.push_back({i, std::move(name)});
        }
        std::vector<std::string> several;
        c.item = Resolve(t, named, several);
        if (!c.item && !several.empty()) {
            return refuse(SearchRefusal::Item,
                          "項目を一つに絞れません: " + Trim(input.item) + "（" + Joined(several, "、") +
                              "）",
                          "more than one item fits " + Trim(input.item) + ": " + Joined(several, ", "));
        }
        if (!c.item)
            return refuse(SearchRefusal::Item, "その項目はありません: " + Trim(input.item),
                          "no such item: " + Trim(input.item));
    }
    return {c, {}};
}

std::vector<SearchRow> FilterEntries(std::vector<BookEntry> journal, const SearchConditions& c,
                                     const std::string& eraName) {
    // The Western year of each era year, looked up once.
    std::array<int, 100> years;
    years.fill(-1);
    auto western = [&](const std::string& date) {
        if (date.size() != 6 || !AllDigits(date)) return 0;
        int& y = years[static_cast<std::size_t>(Number(std::string_view(date).substr(0, 2)))];
        if (y < 0) y = WesternYear(eraName, std::string_view(date).substr(0, 2)).value_or(0);
        if (y == 0) return 0;
        return y * 10000 + Number(std::string_view(date).substr(2, 4));
    };
    const bool byDate = c.from || c.to;
    std::vector<SearchRow> rows;
    for (BookEntry& e : journal) {
        // The year-end entries are made from the statement, not typed: no source to show.
        if (e.source == BookEntry::Closing) continue;
        const Posting& p = e.posting;
        if (c.item && (e.source != BookEntry::CashBook || e.itemNo != *c.item)) continue;
        if (c.account && p.debit != *c.account && p.credit != *c.account) continue;
        if (c.min && p.amount < *c.min) continue;
        if (c.max && p.amount > *c.max) continue;
        const int day = western(e.date);
        if (byDate && (day == 0 || (c.from && day < *c.from) || (c.to && day > *c.to))) continue;
        if (!c.text.empty() && !HoldsFolded(FoldForSearch(e.remarks), c.text)) continue;
        rows.push_back({std::move(e), day});
    }
    return rows;
}

Result<std::vector<SearchRow>> SearchYear(const SharedState& s, const SearchConditions& c) {
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    auto chosen = LoadItemAccounts(ItemAccountsPath(s));
    if (!chosen) return chosen.error();
    auto journal = BuildJournal(s, *book, *chosen);
    if (!journal) return journal.error();
    return FilterEntries(std::move(*journal), c, s.EraName);
}

std::string SourceLabel(const BookEntry& e) {
    return (e.source == BookEntry::Slip ? "振替:" : "出納簿:") + std::to_string(e.number);
}

std::string WesternDateText(int d) {
    if (d <= 0) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d / 10000, d / 100 % 100, d % 100);
    return text;
}

std::vector<std::string> SearchRowTexts(const SearchRow& row, const ItemTableArray& items) {
    const BookEntry& e = row.entry;
    return {SourceLabel(e),
            row.western != 0 ? WesternDateText(row.western) : std::string(e.date),
            AccountName(e.posting.debit, items),
            AccountName(e.posting.credit, items),
            FormatAmount(e.posting.amount, false),
            e.remarks};
}

std::vector<std::string> SearchHeaders(bool japanese) {
    if (japanese) return {"出所", "日付", "借方", "貸方", "金額", "摘要"};
    return {"Source", "Date", "Debit", "Credit", "Amount", "Text"};
}

}  // namespace tabulo
