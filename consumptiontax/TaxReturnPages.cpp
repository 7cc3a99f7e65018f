#include "consumptiontax/TaxReturnPages.h"

#include <algorithm>

#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

const TaxLine* LineMarked(const MethodReturn& r, const char* mark) {
    for (const TaxLine& l : r.Lines)
        if (l.Sheet == "第一表" && l.Mark == mark) return &l;
    return nullptr;
}

Yen AmountMarked(const MethodReturn& r, const char* mark) {
    const TaxLine* l = LineMarked(r, mark);
    return l == nullptr ? 0 : l->Amount;
}

// The half-width places of one UTF-8 character starting with byte `c`, and its length.
std::size_t CharLength(unsigned char c) { return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1; }

// `text` in pieces of at most `places` half-width places (a character beyond ASCII
// takes two), for a note that runs over several printed lines.
std::vector<std::string> Wrap(std::string_view text, int places) {
    std::vector<std::string> out(1);
    int used = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = CharLength(static_cast<unsigned char>(text[i]));
        const int width = len == 1 ? 1 : 2;
        if (used + width > places) {
            out.emplace_back();
            used = 0;
        }
        out.back().append(text.substr(i, len));
        used += width;
        i += len;
    }
    return out;
}

std::string RightAligned(const std::string& text, int places) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = CharLength(static_cast<unsigned char>(text[i]));
        width += len == 1 ? 1 : 2;
        i += len;
    }
    const int pad = places - width;
    return pad > 0 ? std::string(static_cast<std::size_t>(pad), ' ') + text : text;
}

// ---- The printout ----

constexpr double kScaleWidth = 200;
constexpr double kScaleHeight = 287;
constexpr double kLeft = 5, kRight = 195;
constexpr const char* kMincho = "ＭＳ 明朝";

struct Page {
    PageWriter& w;
    double y = 0;  // where the next thing goes
};

// The head every page shares: the title, the business, the year, the registration
// number and the method the year's settings name.
Page StartPage(PageWriter& w, const SharedState& s, const YearTaxBooks& year, const std::string& title) {
    w.NewPage(kScaleWidth, kScaleHeight);
    w.FontName = kMincho;
    w.ForeColor = 0;
    w.DrawStyle = 0;
    w.DrawWidth = 1;
    w.FontSize = 14;
    w.PrintAt(kLeft, 5, title);
    w.FontSize = 9;
    w.PrintAt(kLeft, 14, s.ReportTitleName);
    const std::string yearText = Trim(s.EraName) + std::to_string(s.FiscalYear) + "年分（" +
                                 std::to_string(year.Year) + "年1月1日〜12月31日）";
    w.PrintAt(kLeft + 60, 14, yearText);
    const std::string no = year.Settings.RegistrationNo.empty() ? "（未設定）" : year.Settings.RegistrationNo;
    w.PrintAt(kLeft, 19, "登録番号 " + no);
    std::string setting = year.Settings.Taxable ? "課税事業者" : "免税事業者";
    if (year.Settings.Method != TaxMethod::None)
        setting += std::string("・設定の計算方法 ") + TaxMethodName(year.Settings.Method);
    if (year.Settings.Amended) setting += "・修正申告";
    w.PrintAt(kLeft + 60, 19, setting);
    return Page{w, 27};
}

// The notes under a table, wrapped to the page's width.
void PrintNotes(Page& p, const std::vector<std::string>& notes, double size = 8) {
    p.w.FontSize = size;
    const int places = static_cast<int>((kRight - kLeft) / (size * 0.3528 * 0.5 * 1.02));
    for (const std::string& note : notes) {
        for (const std::string& piece : Wrap(note, places)) {
            p.w.PrintAt(kLeft, p.y, piece);
            p.y += size * 0.3528 * 1.5;
        }
    }
}

// A ruled table: a head row, then the rows; columns start at `xs` (the last ends at
// the right margin); columns after the first `leftColumns` are right-aligned amounts.
void PrintGrid(Page& p, const std::vector<double>& xs, const std::vector<std::string>& heads,
               const std::vector<std::vector<std::string>>& rows, double rowHeight, double size,
               std::size_t leftColumns, const std::vector<bool>& boldColumn = {}) {
    PageWriter& w = p.w;
    const double top = p.y;
    const double bottom = top + rowHeight * static_cast<double>(rows.size() + 1);
    w.DrawStyle = 0;
    w.DrawWidth = 5;
    w.Box(kLeft, top, kRight, bottom);
    w.Line(kLeft, top + rowHeight, kRight, top + rowHeight);
    w.DrawWidth = 3;
    for (std::size_t c = 1; c < xs.size(); ++c) w.Line(xs[c], top, xs[c], bottom);
    w.DrawStyle = 2;
    for (std::size_t k = 2; k <= rows.size(); ++k)
        w.Line(kLeft, top + rowHeight * static_cast<double>(k), kRight, top + rowHeight * static_cast<double>(k));
    w.DrawStyle = 0;
    w.DrawWidth = 1;
    // A column drawn heavier: the cheapest method's.
    for (std::size_t c = 0; c < boldColumn.size() && c < xs.size(); ++c) {
        if (!boldColumn[c]) continue;
        const double right = c + 1 < xs.size() ? xs[c + 1] : kRight;
        w.DrawWidth = 12;
        w.Box(xs[c], top, right, bottom);
        w.DrawWidth = 1;
    }
    w.FontSize = size;
    const double half = size * 0.3528 * 0.5 * 1.02;  // a half-width place, in mm
    const double textTop = (rowHeight - size * 0.3528) / 2;
    for (std::size_t c = 0; c < heads.size() && c < xs.size(); ++c)
        w.PrintAt(xs[c] + 1.2, top + textTop, heads[c]);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double y = top + rowHeight * static_cast<double>(i + 1) + textTop;
        for (std::size_t c = 0; c < rows[i].size() && c < xs.size(); ++c) {
            if (rows[i][c].empty()) continue;
            const double right = c + 1 < xs.size() ? xs[c + 1] : kRight;
            const int places = static_cast<int>((right - xs[c] - 2.4) / half);
            std::string text = Wrap(rows[i][c], places).front();
            if (c >= leftColumns) text = RightAligned(text, places);
            w.PrintAt(xs[c] + 1.2, y, text);
        }
    }
    p.y = bottom + 3;
}

}  // namespace

std::string TaxYenText(Yen amount) {
    if (amount < 0) return "△" + FormatAmount(amount, false).substr(1);
    return FormatAmount(amount, false);
}

std::string MethodHead(const MethodReturn& r) {
    std::string head = TaxMethodName(r.Method);
    if (r.Least) head += "（最も少ない）";
    return head;
}

std::vector<ComparisonRow> ComparisonRows(const std::vector<MethodReturn>& returns) {
    const char* labels[] = {"課税標準額",       "消費税額",     "控除対象仕入税額",
                            "差引税額",         "譲渡割額（地方消費税）", "中間納付税額",
                            "納付（還付）税額の合計", "必要なもの",   "設定の上では",
                            "改正案による数値"};
    std::vector<ComparisonRow> rows;
    for (const char* l : labels) rows.push_back({l, {}});
    for (const MethodReturn& r : returns) {
        std::vector<std::string> cells;
        if (!r.Fault.empty()) {
            cells.assign(rows.size(), "");
            cells[0] = "計算できません：" + r.Fault;
        } else {
            const Yen net = AmountMarked(r, "⑨") - AmountMarked(r, "⑧");
            const Yen local = AmountMarked(r, "⑳") - AmountMarked(r, "⑲");
            cells = {TaxYenText(AmountMarked(r, "①")),
                     TaxYenText(AmountMarked(r, "②")),
                     TaxYenText(AmountMarked(r, "④")),
                     TaxYenText(net),
                     TaxYenText(local),
                     TaxYenText(AmountMarked(r, "⑩") + AmountMarked(r, "㉑")),
                     TaxYenText(r.Total),
                     r.Needs,
                     r.NeedsMet ? "満たしています" : "満たしていません",
                     r.Unconfirmed ? "あり（下の注）" : "なし"};
        }
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i].Cells.push_back(cells[i]);
    }
    return rows;
}

std::vector<std::string> SheetsOf(const MethodReturn& r) {
    std::vector<std::string> sheets;
    for (const TaxLine& l : r.Lines)
        if (std::find(sheets.begin(), sheets.end(), l.Sheet) == sheets.end()) sheets.push_back(l.Sheet);
    return sheets;
}

std::vector<TaxLine> SheetLines(const MethodReturn& r, const std::string& sheet) {
    std::vector<TaxLine> lines;
    for (const TaxLine& l : r.Lines)
        if (l.Sheet == sheet) lines.push_back(l);
    return lines;
}

std::string SheetTitle(const std::string& sheet) {
    if (sheet == "第一表") return "第一表　消費税及び地方消費税の申告書";
    if (sheet == "第二表") return "第二表　課税標準額等の内訳書";
    if (sheet == "付表1-3" || sheet == "付表4-3")
        return sheet + "　税率別消費税額計算表 兼 地方消費税の課税標準となる消費税額計算表";
    if (sheet == "付表2-3") return sheet + "　課税売上割合・控除対象仕入税額等の計算表";
    if (sheet == "付表5-3") return sheet + "　控除対象仕入税額等の計算表";
    if (sheet == "付表6") return sheet + "　税率別消費税額計算表（小規模事業者に係る税額控除の経過措置）";
    return sheet;
}

std::vector<std::string> UnconfirmedNotes(const std::vector<MethodReturn>& returns) {
    std::vector<std::string> notes;
    for (const MethodReturn& r : returns) {
        if (!r.Unconfirmed || !r.Fault.empty()) continue;
        std::string sources;
        for (const std::string& source : r.UnconfirmedSources)
            sources += (sources.empty() ? "" : "、") + source;
        notes.push_back(std::string(TaxMethodName(r.Method)) + "：" + std::string(UnconfirmedRuleNote()) +
                        "（" + sources + "）");
    }
    return notes;
}

std::vector<CategoryMonthRow> CategoryMonthRows(const TaxTotals& totals) {
    std::vector<CategoryMonthRow> rows;
    for (int c = 1; c <= kTaxCategoryLimit; ++c) {
        const auto& months = totals.ByMonth[static_cast<std::size_t>(c)];
        CategoryMonthRow row;
        row.Category = static_cast<TaxCategory>(c);
        row.Name = TaxCategoryName(row.Category);
        bool any = false;
        for (std::size_t m = 1; m <= 12; ++m) {
            row.Months[m - 1] = months[m];
            row.Total += months[m];
            any = any || months[m] != 0;
        }
        if (any) rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<std::string>> MarkedLineRows(const TaxTotals& totals) {
    std::vector<std::vector<std::string>> rows;
    for (const TaxTotals::MarkedLine& m : totals.Marked) {
        const std::string date = m.Date.size() == 6 ? m.Date.substr(2, 2) + "/" + m.Date.substr(4, 2) : m.Date;
        rows.push_back({std::string(m.Slip ? "振替伝票 " : "出納簿 ") + std::to_string(m.Number), date,
                        Trim(m.Remarks), TaxYenText(m.Amount), TaxCategoryName(m.Usual),
                        TaxCategoryName(m.Marked)});
    }
    return rows;
}

PrintDocument PrintConsumptionTax(const SharedState& s, const YearTaxBooks& year,
                                  const std::vector<MethodReturn>& returns, std::size_t chosen) {
    PrintDocument doc;
    doc.name = "消費税の計算";
    PageWriter w(doc);
    const std::vector<std::string> notes = UnconfirmedNotes(returns);

    // The methods side by side.
    {
        Page p = StartPage(w, s, year, "消費税の計算（計算方法の比較）");
        std::vector<double> xs = {kLeft};
        std::vector<std::string> heads = {"項目"};
        std::vector<bool> bold = {false};
        const double first = 55;
        const double width = (kRight - kLeft - first) / static_cast<double>(std::max<std::size_t>(returns.size(), 1));
        for (std::size_t i = 0; i < returns.size(); ++i) {
            xs.push_back(kLeft + first + width * static_cast<double>(i));
            heads.push_back((returns[i].Least ? "◎" : "") + MethodHead(returns[i]));
            bold.push_back(returns[i].Least);
        }
        std::vector<std::vector<std::string>> rows;
        std::vector<std::string> needs;
        for (const ComparisonRow& row : ComparisonRows(returns)) {
            if (row.Label == std::string("必要なもの")) {
                for (std::size_t i = 0; i < returns.size(); ++i)
                    if (!row.Cells[i].empty())
                        needs.push_back(std::string(TaxMethodName(returns[i].Method)) + "に必要なもの：" +
                                        row.Cells[i]);
                continue;
            }
            std::vector<std::string> r = {row.Label};
            r.insert(r.end(), row.Cells.begin(), row.Cells.end());
            rows.push_back(r);
        }
        PrintGrid(p, xs, heads, rows, 8, 9, 1, bold);
        std::vector<std::string> lines;
        for (const MethodReturn& r : returns)
            if (!r.Fault.empty())
                lines.push_back(std::string(TaxMethodName(r.Method)) + "：" + r.Fault);
        lines.insert(lines.end(), needs.begin(), needs.end());
        lines.push_back("◎は納付税額の合計が最も少ない計算方法です。要件を満たすかどうかは、届出書の提出状況と"
                        "基準期間の課税売上高でお確かめください。");
        PrintNotes(p, lines, 8.5);
        if (!notes.empty()) {
            p.y += 2;
            PrintNotes(p, notes, 8.5);
        }
    }

    // The chosen method's forms, each on a page of its own.
    if (chosen < returns.size() && returns[chosen].Fault.empty()) {
        const MethodReturn& r = returns[chosen];
        for (const std::string& sheet : SheetsOf(r)) {
            Page p = StartPage(w, s, year, SheetTitle(sheet));
            p.w.FontSize = 9;
            p.w.PrintAt(kLeft, p.y, std::string("計算方法：") + TaxMethodName(r.Method));
            p.y += 6;
            std::vector<std::vector<std::string>> rows;
            for (const TaxLine& l : SheetLines(r, sheet)) rows.push_back({l.Mark, l.Name, TaxYenText(l.Amount)});
            PrintGrid(p, {kLeft, kLeft + 12, kLeft + 145}, {"欄", "項目", "金額（円）"}, rows, 7, 9, 2);
            if (r.Unconfirmed) PrintNotes(p, UnconfirmedNotes({r}), 8.5);
        }
    }

    // 税区分別集計: the months down, up to five categories across in each table.
    {
        Page p = StartPage(w, s, year, "税区分別集計（帳簿の金額、月別）");
        const std::vector<CategoryMonthRow> cats = CategoryMonthRows(year.Totals);
        if (cats.empty()) PrintNotes(p, {"この年の帳簿に金額がありません。"}, 9);
        for (std::size_t start = 0; start < cats.size(); start += 5) {
            const std::size_t n = std::min<std::size_t>(5, cats.size() - start);
            std::vector<double> xs = {kLeft};
            const double width = (kRight - kLeft - 14) / static_cast<double>(n);
            std::vector<std::string> heads = {"月"};
            for (std::size_t c = 0; c < n; ++c) xs.push_back(kLeft + 14 + width * static_cast<double>(c));
            // The category's name over two lines: before "（" and from it.
            std::vector<std::string> second = {""};
            for (std::size_t c = 0; c < n; ++c) {
                const std::string& name = cats[start + c].Name;
                const std::size_t cut = name.find("（");
                heads.push_back(name.substr(0, cut));
                second.push_back(cut == std::string::npos ? "" : name.substr(cut));
            }
            std::vector<std::vector<std::string>> rows = {second};
            for (std::size_t m = 0; m < 12; ++m) {
                std::vector<std::string> row = {std::to_string(m + 1) + "月"};
                for (std::size_t c = 0; c < n; ++c) {
                    const Yen v = cats[start + c].Months[m];
                    row.push_back(v == 0 ? std::string() : TaxYenText(v));  // an empty month stays blank
                }
                rows.push_back(row);
            }
            std::vector<std::string> total = {"計"};
            for (std::size_t c = 0; c < n; ++c) total.push_back(TaxYenText(cats[start + c].Total));
            rows.push_back(total);
            PrintGrid(p, xs, heads, rows, 5.6, 8, 1);
        }
        PrintNotes(p, {year.Settings.TaxIncluded ? "金額は税込みです（税込経理）。" : "金額は税抜きです（税抜経理）。"}, 8.5);
    }

    // The lines with a category of their own, 40 a page.
    const auto marked = MarkedLineRows(year.Totals);
    for (std::size_t start = 0; start < marked.size(); start += 40) {
        Page p = StartPage(w, s, year, "税区分を変えた行（摘要の【】の印による）");
        const std::vector<std::vector<std::string>> rows(
            marked.begin() + static_cast<std::ptrdiff_t>(start),
            marked.begin() + static_cast<std::ptrdiff_t>(std::min(start + 40, marked.size())));
        // The amount column is the fourth: the three before it are words.
        std::vector<std::vector<std::string>> shown;
        for (const auto& r : rows) shown.push_back({r[0], r[1], r[2], r[4], r[5], r[3]});
        PrintGrid(p, {kLeft, kLeft + 24, kLeft + 36, kLeft + 70, kLeft + 112, kLeft + 160},
                  {"出所", "日付", "摘要", "項目・科目の税区分", "この行の税区分", "金額"}, shown, 5.6, 8, 5);
    }
    return doc;
}

}  // namespace tabulo
