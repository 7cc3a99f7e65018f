#include "assets/AssetsPrint.h"

#include <algorithm>

#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

// A4 portrait inside the printout margins, in millimetres.
constexpr double kScaleWidth = 200;
constexpr double kScaleHeight = 287;
constexpr double kLeft = 5, kRight = 195;
constexpr double kHeadTop = 22;
constexpr const char* kMincho = "ＭＳ 明朝";
constexpr double kTextSize = 8;
constexpr double kPlace = 1.45;  // mm of a half-width place at kTextSize

struct Column {
    const char* head;   // "上段\n下段" for two-line rows
    double x;           // the column's left rule
    bool right = false; // amounts: right-aligned
};

// A row: one text per column and line (lines x columns).
using Row = std::vector<std::vector<std::string>>;

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

std::string Yen(std::int64_t a) { return FormatAmount(a, false); }

std::vector<std::string> Lines(const char* head) {
    std::vector<std::string> out{""};
    for (const char* p = head; *p; ++p) {
        if (*p == '\n') out.emplace_back();
        else out.back() += *p;
    }
    return out;
}

// The title, the business and the year over ruled columns, then the rows (`lines` text
// lines each), `perPage` a page, then `after` (the closing note) under the last row.
PrintDocument PrintTable(const SharedState& s, const std::string& name, const std::string& title,
                         const std::vector<Column>& columns, int lines, const std::vector<Row>& rows,
                         int perPage, const std::vector<std::string>& after) {
    PrintDocument doc;
    doc.name = name;
    PageWriter w(doc);
    const double lineHeight = 4.2;
    const double rowHeight = lineHeight * lines + 1;
    const double headHeight = rowHeight;
    const std::string year = Trim(s.EraName) + std::to_string(s.FiscalYear) + "年分";
    const std::size_t pages = std::max<std::size_t>(1, (rows.size() + perPage - 1) / perPage);
    for (std::size_t page = 0; page < pages; ++page) {
        w.NewPage(kScaleWidth, kScaleHeight);
        w.FontName = kMincho;
        w.ForeColor = 0;
        w.FontSize = 16;
        w.PrintAt(kLeft + 70, 5, title);
        w.FontSize = 10.5;
        w.PrintAt(kLeft, 14, s.ReportTitleName);
        w.PrintAt(kRight - 30, 14, year);
        const std::size_t first = page * static_cast<std::size_t>(perPage);
        const std::size_t count = std::min<std::size_t>(perPage, rows.size() - std::min(first, rows.size()));
        const double rowTop = kHeadTop + headHeight;
        const double bottom = rowTop + rowHeight * static_cast<double>(count);
        w.DrawStyle = 0;
        w.DrawWidth = 5;
        w.Box(kLeft, kHeadTop, kRight, bottom);
        w.Line(kLeft, rowTop, kRight, rowTop);
        w.DrawWidth = 3;
        for (std::size_t c = 1; c < columns.size(); ++c) w.Line(columns[c].x, kHeadTop, columns[c].x, bottom);
        w.DrawStyle = 2;
        for (std::size_t k = 1; k < count; ++k)
            w.Line(kLeft, rowTop + rowHeight * static_cast<double>(k), kRight,
                   rowTop + rowHeight * static_cast<double>(k));
        w.DrawStyle = 0;
        w.FontSize = kTextSize;
        auto cell = [&](std::size_t c, double y, const std::string& text) {
            if (text.empty()) return;
            const double right = c + 1 < columns.size() ? columns[c + 1].x : kRight;
            const int places = static_cast<int>((right - columns[c].x - 2) / kPlace);
            const std::string fitted = Fit(text, places);
            if (columns[c].right) {
                const int pad = std::max(0, places - Cp932Width(fitted));
                w.PrintAt(columns[c].x + 1 + pad * kPlace, y, fitted);
            } else {
                w.PrintAt(columns[c].x + 1, y, fitted);
            }
        };
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::vector<std::string> head = Lines(columns[c].head);
            for (std::size_t l = 0; l < head.size(); ++l)
                w.PrintAt(columns[c].x + 1, kHeadTop + 0.8 + lineHeight * static_cast<double>(l), head[l]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const Row& row = rows[first + i];
            const double y = rowTop + rowHeight * static_cast<double>(i) + 0.8;
            for (std::size_t l = 0; l < row.size(); ++l)
                for (std::size_t c = 0; c < columns.size() && c < row[l].size(); ++c)
                    cell(c, y + lineHeight * static_cast<double>(l), row[l][c]);
        }
        double y = bottom + 4;
        if (page + 1 == pages) {
            // Each line wrapped to the width of the table.
            const int places = static_cast<int>((kRight - kLeft) / kPlace);
            for (const std::string& text : after) {
                std::string_view rest = text;
                while (!rest.empty()) {
                    std::string part = Fit(rest, places);
                    if (part.empty()) break;
                    w.PrintAt(kLeft, y, part);
                    y += lineHeight;
                    rest.remove_prefix(part.size());
                }
            }
        }
        w.FontSize = 10.5;
        w.PrintAt(kLeft + 88, kScaleHeight - 8,
                  "- " + std::to_string(page + 1) + " / " + std::to_string(pages) + " -");
    }
    return doc;
}

std::string ShortDate(std::int32_t d) {
    if (d <= 0) return {};
    return std::to_string(d / 10000) + "/" + std::to_string(d / 100 % 100) + "/" + std::to_string(d % 100);
}

}  // namespace

PrintDocument PrintAssetRegister(const SharedState& s, const YearRegister& reg) {
    const std::vector<Column> columns = {
        {"名称\n種類・数量", kLeft},
        {"取得年月日\n事業供用日", kLeft + 46},
        {"取得価額\n償却の基礎", kLeft + 66, true},
        {"償却方法\n耐用年数・率", kLeft + 87},
        {"月数\n事業割合", kLeft + 108, true},
        {"期首帳簿価額\n本年償却費", kLeft + 121, true},
        {"経費算入額\n事業主貸", kLeft + 143, true},
        {"期末帳簿価額\n摘要", kLeft + 165, true},
    };
    std::vector<Row> rows;
    std::int64_t opening = 0;
    for (std::size_t i = 0; i < reg.assets.size() && i < reg.year.assets.size(); ++i) {
        const FixedAsset& a = reg.assets[i];
        const AssetYear& y = reg.year.assets[i];
        opening += a.OpeningBookValue;
        std::string note = y.remarks;
        if (a.DisposalKind != DisposalKind::Kept)
            note = std::string(a.DisposalKind == DisposalKind::Sold ? "売却" : "除却") +
                   std::to_string(a.DisposalMonth) + "月 " + Yen(y.disposalBookValue);
        if (y.unconfirmed) note += note.empty() ? "改正案" : " 改正案";
        std::string life = a.UsefulLife > 0 ? std::to_string(a.UsefulLife) + "年 " : "";
        rows.push_back(
            {{a.AssetName, ShortDate(a.AcquiredOn), Yen(a.Cost), AssetMethodName(a.Method),
              std::to_string(y.months) + "月", Yen(a.OpeningBookValue), Yen(y.expense),
              Yen(y.closingBookValue)},
             {AssetKindName(a.AssetKind) + (a.Quantity.empty() ? "" : " " + a.Quantity),
              ShortDate(a.FirstUsedOn), Yen(y.base), life + y.rateText,
              std::to_string(a.BusinessShare) + "%", Yen(y.depreciation), Yen(y.privatePart), note}});
    }
    const RegisterYear& t = reg.year;
    rows.push_back({{"合計", "", "", "", "", Yen(opening), Yen(t.expense), Yen(t.closingBookValue)},
                    {"", "", "", "", "", Yen(t.depreciation), Yen(t.privatePart), ""}});
    std::vector<std::string> note;
    const std::vector<std::string> rules = ClosingNote(t);
    if (!rules.empty()) note.push_back("（償却費の計算の根拠）");
    for (const std::string& line : rules) note.push_back("・" + line);
    if (t.unconfirmed())
        note.push_back("※ 改正案（未成立）の規則による金額があります。法令の成立を確かめて下さい。");
    return PrintTable(s, "固定資産台帳", "固 定 資 産 台 帳", columns, 2, rows, kRegisterRowsPerPage, note);
}

PrintDocument PrintPrivateShares(const SharedState& s, const SharesYear& shares) {
    const std::vector<Column> columns = {
        {"項目", kLeft},
        {"項目名", kLeft + 12},
        {"申告書の行", kLeft + 52},
        {"年間合計", kLeft + 72, true},
        {"事業割合", kLeft + 100, true},
        {"必要経費", kLeft + 118, true},
        {"事業主貸", kLeft + 156, true},
    };
    std::vector<Row> rows;
    for (const ShareLine& l : shares.lines)
        rows.push_back({{std::to_string(l.item), l.name, std::to_string(l.line) + "行", Yen(l.total),
                         l.share > 0 ? std::to_string(l.share) + "%" : "全額", Yen(l.expense),
                         Yen(l.privatePart)}});
    rows.push_back({{"", "合計", "", Yen(shares.total), "", Yen(shares.expense), Yen(shares.privatePart)}});
    return PrintTable(s, "家事按分", "家 事 按 分 の 計 算", columns, 1, rows, kShareRowsPerPage,
                      {"事業割合のない項目は全額を必要経費とします。事業主貸の額は決算整理で事業主貸に振り替えます。"});
}

}  // namespace tabulo
