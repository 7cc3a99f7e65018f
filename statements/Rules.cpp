#include "statements/Rules.h"

#include <charconv>
#include <filesystem>

#include "books/Accounts.h"
#include "platform/AtomicFile.h"
#include "statements/StatementText.h"

namespace tabulo::statements {

namespace fs = std::filesystem;

namespace {

std::vector<std::string_view> SplitTabs(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t t = s.find('\t', start);
        out.push_back(s.substr(start, t == std::string_view::npos ? s.npos : t - start));
        if (t == std::string_view::npos) return out;
        start = t + 1;
    }
}

bool Number(std::string_view s, int& out) {
    int v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty()) return false;
    out = v;
    return true;
}

FileError Bad(const char* file, int line, const std::string& what) {
    FileError e = BadFormatError(file, std::to_string(line) + "行目: " + what);
    e.line = line;
    return e;
}

bool KindOf(std::string_view word, StatementKind& kind) {
    if (word == "bank") kind = StatementKind::Bank;
    else if (word == "card") kind = StatementKind::Card;
    else return false;
    return true;
}

const char* WordOf(StatementKind kind) { return kind == StatementKind::Bank ? "bank" : "card"; }

bool Clean(std::string_view s) { return s.find_first_of("\t\r\n") == std::string_view::npos; }

Result<std::string> ReadText(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return std::string();
    auto bytes = ReadWholeFile(path);
    if (!bytes) return bytes.error();
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

}  // namespace

std::string RuleFault(const ImportRule& rule, StatementKind kind) {
    if (MatchKey(rule.contains).empty()) return "摘要に含む文字がありません。";
    if (!Clean(rule.contains) || !Clean(rule.remarks)) return "タブや改行は使えません。";
    if (kind == StatementKind::Bank) {
        if (rule.target < 1 || rule.target > 50) return "項目は 1〜50 の番号です。";
    } else if (rule.target == kCardPayableAccount || !SlipAccount(rule.target)) {
        return "勘定科目のコードが正しくありません（未払金のほかの科目）。";
    }
    return {};
}

Result<RuleBook> ParseRuleBook(std::string_view rules, std::string_view choices) {
    RuleBook book;
    int n = 0;
    for (std::string_view line : SplitLines(rules)) {
        ++n;
        if (line.empty() || line.front() == '#') continue;
        const auto f = SplitTabs(line);
        StatementKind kind;
        ImportRule rule;
        if (f.size() < 3 || f.size() > 4 || !KindOf(f[0], kind) || !Number(f[2], rule.target))
            return Bad(kRulesFileName, n, "「bank または card、摘要に含む文字、番号、備考」をタブで区切って書きます。");
        rule.contains = std::string(f[1]);
        if (f.size() == 4) rule.remarks = std::string(f[3]);
        if (std::string why = RuleFault(rule, kind); !why.empty()) return Bad(kRulesFileName, n, why);
        (kind == StatementKind::Bank ? book.bank : book.card).push_back(std::move(rule));
    }
    n = 0;
    for (std::string_view line : SplitLines(choices)) {
        ++n;
        if (line.empty() || line.front() == '#') continue;
        const auto f = SplitTabs(line);
        StatementKind kind;
        int target = 0;
        if (f.size() != 3 || !KindOf(f[0], kind) || !Number(f[2], target) || MatchKey(f[1]).empty())
            return Bad(kChoicesFileName, n, "「bank または card、摘要、番号」をタブで区切って書きます。");
        (kind == StatementKind::Bank ? book.bankChoices : book.cardChoices)[MatchKey(f[1])] = target;
    }
    return book;
}

std::string FormatRules(const RuleBook& book) {
    std::string out = "# 明細の取り込みの規則: 種類（bank/card）、摘要に含む文字、項目または勘定科目、備考\n";
    for (StatementKind kind : {StatementKind::Bank, StatementKind::Card})
        for (const ImportRule& r : kind == StatementKind::Bank ? book.bank : book.card)
            out += std::string(WordOf(kind)) + "\t" + r.contains + "\t" + std::to_string(r.target) + "\t" +
                   r.remarks + "\n";
    return out;
}

std::string FormatChoices(const RuleBook& book) {
    std::string out = "# 明細の摘要ごとに前回選んだ項目または勘定科目\n";
    for (StatementKind kind : {StatementKind::Bank, StatementKind::Card})
        for (const auto& [key, target] : kind == StatementKind::Bank ? book.bankChoices : book.cardChoices)
            out += std::string(WordOf(kind)) + "\t" + key + "\t" + std::to_string(target) + "\n";
    return out;
}

Result<RuleBook> LoadRuleBook(const std::string& folder) {
    auto rules = ReadText(fs::path(folder) / kRulesFileName);
    if (!rules) return rules.error();
    auto choices = ReadText(fs::path(folder) / kChoicesFileName);
    if (!choices) return choices.error();
    auto book = ParseRuleBook(*rules, *choices);
    if (!book) {
        FileError e = book.error();
        e.path = (fs::path(folder) / e.path).string();
        return e;
    }
    return book;
}

Status SaveRuleBook(const std::string& folder, const RuleBook& book) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    for (const auto& [name, text] : {std::pair{kRulesFileName, FormatRules(book)},
                                     std::pair{kChoicesFileName, FormatChoices(book)}}) {
        if (Status st = AtomicSave(fs::path(folder) / name,
                                   std::span(reinterpret_cast<const std::byte*>(text.data()), text.size()));
            !st)
            return st;
    }
    return Ok();
}

ImportChoices ChoicesFor(const RuleBook& book, StatementKind kind) {
    const bool bank = kind == StatementKind::Bank;
    return ImportChoices{bank ? book.bank : book.card, bank ? book.bankChoices : book.cardChoices};
}

void RememberChoices(RuleBook& book, StatementKind kind, const std::vector<ImportRow>& taken) {
    auto& choices = kind == StatementKind::Bank ? book.bankChoices : book.cardChoices;
    for (const ImportRow& r : taken)
        if (r.target != 0 && !MatchKey(r.row.description).empty()) choices[MatchKey(r.row.description)] = r.target;
}

void KeepAsRule(RuleBook& book, StatementKind kind, const ImportRule& rule) {
    auto& rules = kind == StatementKind::Bank ? book.bank : book.card;
    const std::string key = MatchKey(rule.contains);
    std::erase_if(rules, [&](const ImportRule& r) { return MatchKey(r.contains) == key; });
    rules.insert(rules.begin(), rule);
}

}  // namespace tabulo::statements
