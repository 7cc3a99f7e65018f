#include "statements/Profile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/AtomicFile.h"
#include "statements/StatementText.h"

namespace tabulo::statements {

namespace fs = std::filesystem;

namespace {

// The most columns a layout may name: far beyond any statement's width.
constexpr int kMaxColumn = 100;
constexpr int kMaxLinesAround = 1000;

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool ParseInt(std::string_view s, int lo, int hi, int& out) {
    s = TrimBlanks(s);
    int v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty() || v < lo || v > hi) return false;
    out = v;
    return true;
}

std::vector<std::string_view> SplitComma(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t c = s.find(',', start);
        out.push_back(TrimBlanks(s.substr(start, c == std::string_view::npos ? s.npos : c - start)));
        if (c == std::string_view::npos) return out;
        start = c + 1;
    }
}

FileError BadLine(const std::string& path, int line, const std::string& what) {
    FileError e = BadFormatError(path, std::to_string(line) + "行目: " + what);
    e.line = line;
    return e;
}

}  // namespace

std::string ProfileFault(const Profile& p) {
    if (TrimBlanks(p.name).empty()) return "名前がありません。";
    if (p.header.empty()) return "見出しの行（header）がありません。";
    if (p.dateColumn < 1) return "日付の列（date）がありません。";
    if (p.descriptionColumns.empty()) return "摘要の列（description）がありません。";
    const bool sides = p.inColumn > 0 || p.outColumn > 0;
    if (sides && p.amountColumn > 0)
        return "金額の列は入金・出金（in, out）か符号付き（amount）のどちらかです。";
    if (!sides && p.amountColumn < 1) return "金額の列（in, out または amount）がありません。";
    if (p.kind == StatementKind::Bank && sides && (p.inColumn < 1 || p.outColumn < 1))
        return "銀行の明細には入金と出金の両方の列（in, out）が要ります。";
    if (p.dateStyles == 0) return "日付の書き方（date-style）がありません。";
    return "";
}

Result<Profile> ParseProfile(std::string_view text, const std::string& path) {
    Profile p;
    bool kindSeen = false;
    auto lines = SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        std::string_view line = lines[i];
        if (i == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        line = TrimBlanks(line);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) return BadLine(path, lineNo, "「名前=値」の形ではありません。");
        const std::string_view key = TrimBlanks(line.substr(0, eq));
        const std::string_view value = TrimBlanks(line.substr(eq + 1));
        auto column = [&](int& out) -> bool { return ParseInt(value, 1, kMaxColumn, out); };
        bool ok = true;
        if (key == "name") {
            p.name.assign(value);
        } else if (key == "kind") {
            kindSeen = true;
            if (value == "bank") p.kind = StatementKind::Bank;
            else if (value == "card") p.kind = StatementKind::Card;
            else ok = false;
        } else if (key == "header") {
            p.header.clear();
            for (auto cell : SplitComma(value)) p.header.emplace_back(cell);
        } else if (key == "header-within") {
            ok = ParseInt(value, 0, kMaxLinesAround, p.headerWithin);
        } else if (key == "date") {
            ok = column(p.dateColumn);
        } else if (key == "description") {
            p.descriptionColumns.clear();
            for (auto cell : SplitComma(value)) {
                int c = 0;
                if (!ParseInt(cell, 1, kMaxColumn, c)) ok = false;
                p.descriptionColumns.push_back(c);
            }
        } else if (key == "in") {
            ok = column(p.inColumn);
        } else if (key == "out") {
            ok = column(p.outColumn);
        } else if (key == "amount") {
            ok = column(p.amountColumn);
        } else if (key == "balance") {
            ok = column(p.balanceColumn);
        } else if (key == "date-style") {
            p.dateStyles = 0;
            for (auto style : SplitComma(value)) {
                if (style == "western") p.dateStyles |= static_cast<int>(DateStyle::Western);
                else if (style == "wareki") p.dateStyles |= static_cast<int>(DateStyle::Wareki);
                else if (style == "yyyymmdd") p.dateStyles |= static_cast<int>(DateStyle::Compact);
                else ok = false;
            }
        } else if (key == "order") {
            if (value == "oldest-first") p.newestFirst = false;
            else if (value == "newest-first") p.newestFirst = true;
            else ok = false;
        } else if (key == "separators") {
            if (value == "none") p.blankDateSeparators = false;
            else if (value == "blank-date") p.blankDateSeparators = true;
            else ok = false;
        } else if (key == "footer") {
            p.footer.assign(value);
        } else if (key == "lines-after") {
            ok = ParseInt(value, 0, kMaxLinesAround, p.linesAfter);
        } else {
            return BadLine(path, lineNo, "知らない項目です: " + std::string(key));
        }
        if (!ok) return BadLine(path, lineNo, std::string(key) + " の値が正しくありません: " + std::string(value));
    }
    if (!kindSeen && p.name.empty() && p.header.empty())
        return BadFormatError(path, "取り込み設定ではありません。");
    if (!kindSeen) return BadFormatError(path, "種類（kind）がありません。");
    if (std::string fault = ProfileFault(p); !fault.empty()) return BadFormatError(path, fault);
    return p;
}

std::string FormatProfile(const Profile& p) {
    std::string out;
    auto put = [&](const char* key, const std::string& value) {
        out += key;
        out += '=';
        out += value;
        out += '\n';
    };
    auto join = [](const auto& items) {
        std::string s;
        for (const auto& v : items) {
            if (!s.empty()) s += ',';
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, int>) s += std::to_string(v);
            else s += v;
        }
        return s;
    };
    put("name", p.name);
    put("kind", p.kind == StatementKind::Bank ? "bank" : "card");
    put("header", join(p.header));
    if (p.headerWithin > 0) put("header-within", std::to_string(p.headerWithin));
    put("date", std::to_string(p.dateColumn));
    put("description", join(p.descriptionColumns));
    if (p.inColumn > 0) put("in", std::to_string(p.inColumn));
    if (p.outColumn > 0) put("out", std::to_string(p.outColumn));
    if (p.amountColumn > 0) put("amount", std::to_string(p.amountColumn));
    if (p.balanceColumn > 0) put("balance", std::to_string(p.balanceColumn));
    std::vector<std::string> styles;
    if (p.dateStyles & static_cast<int>(DateStyle::Western)) styles.emplace_back("western");
    if (p.dateStyles & static_cast<int>(DateStyle::Wareki)) styles.emplace_back("wareki");
    if (p.dateStyles & static_cast<int>(DateStyle::Compact)) styles.emplace_back("yyyymmdd");
    put("date-style", join(styles));
    put("order", p.newestFirst ? "newest-first" : "oldest-first");
    put("separators", p.blankDateSeparators ? "blank-date" : "none");
    if (!p.footer.empty()) put("footer", p.footer);
    if (p.linesAfter > 0) put("lines-after", std::to_string(p.linesAfter));
    return out;
}

std::vector<Profile> LoadProfiles(const std::string& folder, std::vector<FileError>* faults) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".layout") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Profile> out;
    for (const fs::path& f : files) {
        auto bytes = ReadWholeFile(f, 1u << 20);
        if (!bytes) {
            if (faults) faults->push_back(bytes.error());
            continue;
        }
        std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        auto p = ParseProfile(text, f.string());
        if (!p) {
            if (faults) faults->push_back(p.error());
            continue;
        }
        out.push_back(std::move(*p));
    }
    return out;
}

Status SaveProfile(const std::string& folder, const Profile& p) {
    if (std::string fault = ProfileFault(p); !fault.empty()) return BadFormatError(folder, fault);
    std::string name;
    for (char c : p.name) name += (c == '/' || c == '\\' || c == '.' || c == ':') ? '_' : c;
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string text = FormatProfile(p);
    return AtomicSave(fs::path(folder) / (name + ".layout"),
                      std::span(reinterpret_cast<const std::byte*>(text.data()), text.size()));
}

std::vector<const Profile*> RecogniseProfiles(const std::vector<Profile>& profiles,
                                              std::string_view text) {
    // Only the first lines matter; the widest search any layout asks for.
    int within = 0;
    for (const Profile& p : profiles) within = std::max(within, p.headerWithin);
    std::vector<std::vector<std::string>> keys;
    const auto lines = SplitLines(text.substr(0, std::min<std::size_t>(text.size(), 1u << 20)));
    std::vector<std::string> cells;
    std::string why;
    for (std::size_t i = 0; i < lines.size() && i <= static_cast<std::size_t>(within); ++i) {
        std::vector<std::string> k;
        if (SplitCells(lines[i], cells, why))
            for (const std::string& c : cells) k.push_back(MatchKey(c));
        keys.push_back(std::move(k));
    }
    std::vector<const Profile*> out;
    for (const Profile& p : profiles) {
        std::vector<std::string> want;
        for (const std::string& h : p.header) want.push_back(MatchKey(h));
        for (std::size_t i = 0; i < keys.size() && i <= static_cast<std::size_t>(p.headerWithin); ++i) {
            if (keys[i].size() >= want.size() && std::equal(want.begin(), want.end(), keys[i].begin())) {
                out.push_back(&p);
                break;
            }
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const Profile* a, const Profile* b) {
        return a->header.size() > b->header.size();
    });
    return out;
}

}  // namespace tabulo::statements
