#include "statements/Preview.h"

#include <map>

#include "statements/StatementText.h"

namespace tabulo::statements {

namespace {

// FNV-1a, 64 bits, over the fields with a separator byte between them.
struct Hash {
    std::uint64_t h = 0xcbf29ce484222325ull;
    void Add(std::string_view s) {
        for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ull;
        h = (h ^ 0x1F) * 0x100000001b3ull;
    }
    void Add(std::int64_t v) { Add(std::to_string(v)); }
};

}  // namespace

std::uint64_t RowFingerprint(std::string_view target, const StatementRow& row) {
    Hash h;
    h.Add(target);
    h.Add(row.date.year * 10000 + row.date.month * 100 + row.date.day);
    h.Add(MatchKey(row.description));
    h.Add(row.in);
    h.Add(row.out);
    h.Add(row.hasBalance ? std::to_string(row.balance) : std::string("-"));
    return h.h;
}

std::vector<RowKey> KeyRows(std::string_view target, const std::vector<StatementRow>& rows) {
    std::vector<RowKey> keys;
    keys.reserve(rows.size());
    std::map<std::uint64_t, std::uint32_t> seen;
    for (const StatementRow& r : rows) {
        const std::uint64_t f = RowFingerprint(target, r);
        keys.push_back(RowKey{f, ++seen[f]});
    }
    return keys;
}

const char* RowStateName(RowState s) {
    switch (s) {
    case RowState::New: return "新規";
    case RowState::InBooks: return "既存";
    case RowState::Unsure: return "要確認";
    case RowState::OutsideYear: return "年度外";
    }
    return "";
}

std::vector<RowState> ClassifyRows(const std::vector<StatementRow>& rows,
                                   const std::vector<RowKey>& keys,
                                   const std::set<RowKey>& imported,
                                   const std::vector<BookEntry>& books,
                                   const std::vector<BookEntry>& importedEntries, int year) {
    // Lines of the books that no import accounts for, by date and amounts.
    std::map<BookEntry, long> unclaimed;
    for (const BookEntry& e : books) ++unclaimed[e];
    for (const BookEntry& e : importedEntries) --unclaimed[e];
    std::vector<RowState> out;
    out.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const StatementRow& r = rows[i];
        if (r.date.year != year) {
            out.push_back(RowState::OutsideYear);
            continue;
        }
        if (i < keys.size() && imported.count(keys[i])) {
            out.push_back(RowState::InBooks);
            continue;
        }
        auto it = unclaimed.find(BookEntry{r.date, r.in, r.out});
        if (it != unclaimed.end() && it->second > 0) {
            --it->second;
            out.push_back(RowState::Unsure);
            continue;
        }
        out.push_back(RowState::New);
    }
    return out;
}

Assignment AssignRow(const std::vector<ImportRule>& rules, const std::map<std::string, int>& lastChoice,
                     std::string_view description) {
    const std::string key = MatchKey(description);
    for (const ImportRule& rule : rules) {
        const std::string want = MatchKey(rule.contains);
        if (!want.empty() && key.find(want) != std::string::npos)
            return Assignment{rule.target, rule.remarks, true, false};
    }
    if (auto it = lastChoice.find(key); it != lastChoice.end())
        return Assignment{it->second, "", false, true};
    return Assignment{};
}

}  // namespace tabulo::statements
