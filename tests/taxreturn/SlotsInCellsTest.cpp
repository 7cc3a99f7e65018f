// Every text of the shipped statement layouts stays inside its cell at its size: the
// form's own captions and the widest data each slot can be given. A cell is what the
// form's nearest lines around a character enclose; a text that crosses a line, or
// runs over the edge of its box, is named with its slot and page.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>

#include "store/Text.h"
#include "taxreturn/FormLayout.h"
#include "taxreturn/StatementPage4.h"
#include "taxreturn/StatementSlots.h"

namespace tabulo {
namespace {

struct Segment {
    double x1, y1, x2, y2;  // x1 == x2 (vertical) or y1 == y2 (horizontal)
};

std::vector<Segment> Rules(const PrintPage& form) {
    std::vector<Segment> out;
    for (const DrawOp& op : form.ops) {
        const double x1 = std::min(op.x1, op.x2), x2 = std::max(op.x1, op.x2);
        const double y1 = std::min(op.y1, op.y2), y2 = std::max(op.y1, op.y2);
        if (op.kind == DrawKind::Box) {
            out.push_back({x1, y1, x2, y1});
            out.push_back({x1, y2, x2, y2});
            out.push_back({x1, y1, x1, y2});
            out.push_back({x2, y1, x2, y2});
        } else if (op.kind == DrawKind::Line && (x1 == x2 || y1 == y2)) {
            out.push_back({x1, y1, x2, y2});
        }
    }
    return out;
}

// One glyph of a text: its box in twips. A fixed-pitch face: a half-width character
// is half the size wide, a full-width one the size; the height is the size.
struct Glyph {
    double left, top, right, bottom;
    std::string ch;
};

std::vector<Glyph> Glyphs(const DrawOp& text) {
    std::vector<Glyph> out;
    double x = text.x1;
    const std::string& s = text.text;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        const std::string ch = s.substr(i, len);
        const double w = Cp932Width(ch) * text.size * 10.0;
        if (ch != " " && ch != "　")
            out.push_back({x, text.y1, x + w, text.y1 + text.size * 20.0, ch});
        x += w;
        i += len;
    }
    return out;
}

// The cell around a point: the nearest rule on each side that spans it.
struct Cell {
    double left = -std::numeric_limits<double>::infinity();
    double right = std::numeric_limits<double>::infinity();
    double top = -std::numeric_limits<double>::infinity();
    double bottom = std::numeric_limits<double>::infinity();
};

Cell CellAt(const std::vector<Segment>& rules, double x, double y) {
    Cell c;
    for (const Segment& s : rules) {
        if (s.x1 == s.x2 && y >= s.y1 && y <= s.y2) {
            if (s.x1 <= x) c.left = std::max(c.left, s.x1);
            if (s.x1 >= x) c.right = std::min(c.right, s.x1);
        }
        if (s.y1 == s.y2 && x >= s.x1 && x <= s.x2) {
            if (s.y1 <= y) c.top = std::max(c.top, s.y1);
            if (s.y1 >= y) c.bottom = std::min(c.bottom, s.y1);
        }
    }
    return c;
}

// A boxed figure puts each digit in a box of its own; any other text keeps to one cell.
bool Boxed(const std::string& text) {
    const std::size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos || text.size() - b < 3) return false;
    for (std::size_t i = b + 1; i < text.size(); i += 2)
        if (text[i] != ' ') return false;
    return true;
}

// The faults of one page: texts outside their cells, named by `what`.
std::vector<std::string> Overruns(const PrintPage& page, const std::vector<Segment>& rules,
                                  const std::function<std::string(std::size_t)>& what) {
    // Slack of a twentieth of a point for the rounding of the drawn rules.
    constexpr double kSlack = 2.0;
    std::vector<std::string> out;
    for (std::size_t k = 0; k < page.ops.size(); ++k) {
        const DrawOp& op = page.ops[k];
        if (op.kind != DrawKind::Text) continue;
        std::optional<Cell> first;
        for (const Glyph& g : Glyphs(op)) {
            const Cell c = CellAt(rules, (g.left + g.right) / 2, (g.top + g.bottom) / 2);
            std::ostringstream why;
            if (g.left < c.left - kSlack || g.right > c.right + kSlack)
                why << "「" << g.ch << "」が横にはみ出します (" << g.left << ".." << g.right
                    << " / " << c.left << ".." << c.right << ")";
            else if (g.top < c.top - kSlack || g.bottom > c.bottom + kSlack)
                why << "「" << g.ch << "」が縦にはみ出します (" << g.top << ".." << g.bottom
                    << " / " << c.top << ".." << c.bottom << ")";
            else if (first && (c.left != first->left || c.right != first->right) && !Boxed(op.text))
                why << "「" << g.ch << "」が隣の枠に入ります";
            if (!why.str().empty()) {
                out.push_back(what(k) + " 「" + op.text + "」: " + why.str());
                break;
            }
            if (!first) first = c;
        }
    }
    return out;
}

std::string Full(int chars) {
    std::string s;
    for (int i = 0; i < chars; ++i) s += "国";
    return s;
}
std::string Half(int chars) { return std::string(static_cast<std::size_t>(chars), '8'); }
// The widest text of `width` half-width places, as full-width characters.
std::string Widest(int width) { return Full(width / 2) + (width % 2 ? "8" : ""); }

// Each page given the widest data its slots can hold.
std::vector<SlotText> WidestPage(int page) {
    constexpr Amount kRow = 9999999;  // what a row can hold with totals that still fit
    constexpr Amount kTotal = 99999999;
    switch (page) {
        case 1: {
            MasterHeaderArray h;
            for (int f : {MasterField::Address, MasterField::Location, MasterField::Association,
                          MasterField::NameReading, MasterField::Name, MasterField::AccountantName})
                h[f] = Widest(FieldWidth::HeaderLine);
            h[MasterField::LineOfBusiness] = Full(12);
            h[MasterField::TradeName] = Full(12);
            h[MasterField::PhoneHome] = h[MasterField::PhoneBusiness] =
                h[MasterField::AccountantPhone] = Half(FieldWidth::HeaderLine);
            h[MasterField::AccountantAddress] = Full(FieldWidth::HeaderLine);
            Page1Figures p;
            for (int k = 1; k <= 6; ++k) p.freeLineNames[k] = Full(8);
            for (int n = 1; n <= kStatementLineCount; ++n) p.lines[n] = -9999999;
            return Page1Slots(h, p, 88);
        }
        case 2: {
            MonthlySection m;
            for (int i = 1; i <= 14; ++i) m.sales[i] = m.purchases[i] = kTotal;
            m.sales[15] = m.purchases[15] = kTotal;
            Page2Data d;
            for (int r = 1; r <= kFamilyRows; ++r) {
                d.Name1[r] = Widest(FieldWidth::PersonName);
                d.Zokugara[r] = Widest(FieldWidth::Relation);
                d.Nenrei[r] = 99;
                d.Gtuki[r] = 12;
            }
            for (int r = 1; r <= kEmployeeRows; ++r) {
                d.Name2[r] = Widest(FieldWidth::PersonName);
                d.Nenrei2[r] = 99;
                d.Gtuki2[r] = 12;
            }
            d.Ninzuu = Half(FieldWidth::Persons);
            for (WageColumns* w : {&d.family, &d.employees}) {
                w->KyuRyo.fill(kTotal);
                w->Syouyo.fill(kTotal);
                w->Goukei.fill(kTotal);
                w->Gensen.fill(999999);  // six boxes for the totals
            }
            d.Syukei.fill(-9999999);
            return Page2Slots(m, d, 88);
        }
        case 4: {
            // Every row and total at its widest, a loss below zero included.
            Page4Figures p;
            BalanceSheet& b = p.sheet;
            for (const Account& a : ChartOfAccounts()) {
                if (a.side == AccountSide::Asset && a.code != AccountCode::Unassigned)
                    b.assets.push_back({a.code, kTotal, -9999999});
                if (a.side == AccountSide::Liability || a.side == AccountSide::Capital)
                    b.claims.push_back({a.code, kTotal, -9999999});
            }
            b.income = -9999999;
            b.assetsOpening = b.assetsClosing = b.claimsOpening = b.claimsClosing = kTotal;
            for (std::string& name : p.cost.freeNames) name = Widest(kCostCaptionBytes);
            for (int n = 1; n <= kCostLines; ++n) p.cost.lines[n] = n % 2 ? kTotal : -9999999;
            return Page4Slots(p, 88);
        }
        default: {
            Page3Data d;
            for (int r = 1; r <= kAssetTotalRow; ++r) {
                AssetRow& a = d.assets[r];
                a.Name1 = Widest(FieldWidth::AssetName);
                a.QT = Widest(FieldWidth::Quantity);
                a.Nen = 99;
                a.Tuki = 12;
                a.Gaku = a.KisoGaku = a.Hi = a.TokuHi = a.Goukei = a.Keihi = a.Zandaka =
                    r == kAssetTotalRow ? kTotal : kRow;
                a.SyouKyaku = Widest(FieldWidth::Method);
                a.Nensuu = 99;
                a.Ritsu = Half(FieldWidth::Rate);
                a.Kikan = 12;
                a.Jigyo = 100;
                a.Bikou = Widest(FieldWidth::AssetNote);
            }
            for (int r = 1; r <= 2; ++r) {
                d.interest[r] = {Widest(FieldWidth::Payee), kTotal, kTotal, kTotal};
                d.rent[r] = {Widest(FieldWidth::RentPayee), Widest(FieldWidth::Property), kTotal,
                             kTotal, kTotal};
                d.fees[r] = {Widest(FieldWidth::Payee), kTotal, kTotal, kTotal};
            }
            d.Memo = Full(175);
            return Page3Slots(d, 88);
        }
    }
}

TEST(SlotsInCells, EveryTextOfTheShippedLayoutsStaysInsideItsCell) {
    const std::filesystem::path folder = std::filesystem::path(TABULO_SOURCE_DIR);
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        auto layout = LoadFormLayout(LayoutPath(folder, page));
        ASSERT_TRUE(layout.ok());
        const std::vector<SlotText> texts = WidestPage(page);
        // The shipped layouts have every slot, the year's included.
        ASSERT_EQ(layout->formSlots.size(), texts.size());
        auto doc = RenderStatementPage(*layout, texts, {}, false, "p", "f");
        ASSERT_TRUE(doc.ok());
        const std::vector<Segment> rules = Rules(layout->form);
        for (const std::string& fault : Overruns(
                 layout->form, rules, [](std::size_t k) { return "見出し " + std::to_string(k); }))
            ADD_FAILURE() << "page " << page << " " << fault;
        // The data ops come in slot order, empty texts left out.
        std::vector<std::size_t> slotOf;
        for (std::size_t k = 0; k < texts.size(); ++k)
            if (!texts[k].text.empty()) slotOf.push_back(k + 1);
        for (const std::string& fault : Overruns(doc->pages.front(), rules, [&](std::size_t k) {
                 return "スロット " + std::to_string(slotOf[k]);
             }))
            ADD_FAILURE() << "page " << page << " " << fault;
    }
}

// The check itself: a text over a rule, and one past its box, are caught.
TEST(SlotsInCells, ATextOverARuleIsCaught) {
    PrintPage form;
    DrawOp box;
    box.kind = DrawKind::Box;
    box.x1 = 0, box.y1 = 0, box.x2 = 1000, box.y2 = 400;
    form.ops.push_back(box);
    DrawOp rule;
    rule.kind = DrawKind::Line;
    rule.x1 = rule.x2 = 500, rule.y1 = 0, rule.y2 = 400;
    form.ops.push_back(rule);
    PrintPage data;
    DrawOp text;
    text.kind = DrawKind::Text;
    text.size = 10;
    text.x1 = 20, text.y1 = 100, text.text = "定額";  // 400 twips wide: fits
    data.ops.push_back(text);
    text.text = "定額法";  // 600 twips: crosses the rule at 500
    data.ops.push_back(text);
    text.x1 = 520, text.y1 = 250, text.text = "4";  // 200 twips tall: past the bottom
    data.ops.push_back(text);
    text.y1 = 100, text.text = "1 2 3";  // boxed digits may cross rules between boxes
    text.x1 = 400;
    data.ops.push_back(text);
    const auto faults =
        Overruns(data, Rules(form), [](std::size_t k) { return std::to_string(k); });
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].substr(0, 2), "1 ");
    EXPECT_EQ(faults[1].substr(0, 2), "2 ");
}

}  // namespace
}  // namespace tabulo
