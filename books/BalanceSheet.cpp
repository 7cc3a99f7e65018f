#include "books/BalanceSheet.h"

#include <algorithm>
#include <cstring>

#include "cashbook/Overflow.h"
#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// The balance of `code` in `tb` on the account's own side, opening and closing.
struct OwnSide {
    std::int64_t opening = 0, closing = 0;
};
OwnSide OwnBalances(const TrialBalance& tb, int code) {
    const TrialBalanceRow* r = tb.Find(code);
    if (r == nullptr) return {};
    const std::int64_t sign = DebitNormal(code) ? 1 : -1;
    return {sign * r->opening, sign * r->closing};
}

std::string Yen(std::int64_t v) { return std::to_string(v) + " 円"; }

}  // namespace

const BalanceSheetRow* BalanceSheet::Find(int code) const {
    for (const auto* rows : {&assets, &claims})
        for (const BalanceSheetRow& r : *rows)
            if (r.code == code) return &r;
    return nullptr;
}

Result<BalanceSheet> BuildBalanceSheet(const TrialBalance& tb, const SlipBook& book) {
    BalanceSheet sheet;
    sheet.unassignedLines = tb.unassignedLines;
    sheet.firstUnassignedItem = tb.firstUnassignedItem;
    std::int64_t assetsOpening = 0, assetsClosing = 0, claimsOpening = 0, claimsClosing = 0;
    std::int64_t income = 0;
    // The 元入金 the return works out when none was kept: the opening assets less the
    // opening liabilities (and 事業主借).
    const bool capitalKept =
        std::any_of(book.Openings.begin(), book.Openings.end(),
                    [](const OpeningBalance& o) { return o.AccountCode == AccountCode::Capital; });
    std::vector<std::pair<int, OwnSide>> claims;
    for (const Account& a : ChartOfAccounts()) {
        if (a.code == AccountCode::Unassigned) continue;
        const OwnSide b = OwnBalances(tb, a.code);
        switch (a.side) {
            case AccountSide::Asset: {
                auto opening = CheckedAmount(b.opening);
                auto closing = CheckedAmount(b.closing);
                if (!opening || !closing) return OverflowError();
                sheet.assets.push_back({a.code, *opening, *closing});
                assetsOpening += b.opening;
                assetsClosing += b.closing;
                break;
            }
            case AccountSide::Liability:
            case AccountSide::Capital:
                claims.emplace_back(a.code, b);
                break;
            case AccountSide::Income:
                income += b.closing;
                break;
            case AccountSide::Expense:
                income -= b.closing;
                break;
        }
    }
    std::int64_t otherOpening = 0;
    for (const auto& [code, b] : claims)
        if (code != AccountCode::Capital) otherOpening += b.opening;
    for (auto& [code, b] : claims) {
        if (code == AccountCode::Capital && !capitalKept) {
            const std::int64_t worked = assetsOpening - otherOpening;
            if (worked != 0) sheet.capitalWorkedOut = true;
            b.opening += worked;
            b.closing += worked;
        }
        auto opening = CheckedAmount(b.opening);
        auto closing = CheckedAmount(b.closing);
        if (!opening || !closing) return OverflowError();
        sheet.claims.push_back({code, *opening, *closing});
        claimsOpening += b.opening;
        claimsClosing += b.closing;
    }
    claimsClosing += income;
    auto checked = {CheckedAmount(income), CheckedAmount(assetsOpening),
                    CheckedAmount(assetsClosing), CheckedAmount(claimsOpening),
                    CheckedAmount(claimsClosing)};
    for (const auto& v : checked)
        if (!v) return OverflowError();
    sheet.income = static_cast<Amount>(income);
    sheet.assetsOpening = static_cast<Amount>(assetsOpening);
    sheet.assetsClosing = static_cast<Amount>(assetsClosing);
    sheet.claimsOpening = static_cast<Amount>(claimsOpening);
    sheet.claimsClosing = static_cast<Amount>(claimsClosing);
    return sheet;
}

Result<BalanceSheet> YearBalanceSheet(const SharedState& s) {
    auto book = LoadSlipBook(SlipBookPath(s));
    if (!book) return book.error();
    auto accounts = LoadItemAccounts(ItemAccountsPath(s));
    if (!accounts) return accounts.error();
    auto tb = BuildTrialBalance(s, *book, *accounts);
    if (!tb) return tb.error();
    return BuildBalanceSheet(*tb, *book);
}

std::vector<std::string> BalanceSheetNotes(const BalanceSheet& sheet) {
    std::vector<std::string> out;
    auto differ = [&](const char* day, Amount assets, Amount claims) {
        out.push_back(std::string("貸借対照表の") + day + "の資産の部の合計 " + Yen(assets) +
                      " と負債・資本の部の合計 " + Yen(claims) + " が一致しません（差額 " +
                      Yen(std::int64_t{assets} - claims) + "）。");
    };
    if (!sheet.OpeningAgrees()) differ("1月1日（期首）", sheet.assetsOpening, sheet.claimsOpening);
    if (!sheet.ClosingAgrees())
        differ("12月31日（期末）", sheet.assetsClosing, sheet.claimsClosing);
    if (sheet.unassignedLines > 0)
        out.push_back("勘定科目のない項目（項目 " + std::to_string(sheet.firstUnassignedItem) +
                      " ほか）の出納簿の行 " + std::to_string(sheet.unassignedLines) +
                      " 行は貸借対照表のどの行にも入っていません。");
    return out;
}

// ---------------------------------------------------------------- 製造原価の計算

bool IsCostInputLine(int line) {
    return std::find(kCostInputLines.begin(), kCostInputLines.end(), line) !=
           kCostInputLines.end();
}

bool ManufacturingCost::Used() const {
    return std::any_of(lines.begin(), lines.end(), [](Amount v) { return v != 0; });
}

bool ComputeManufacturingCost(ManufacturingCost& cost) {
    const auto& l = cost.lines;
    std::int64_t others = 0;
    for (int n = 7; n <= 17; ++n) others += l[U(n)];
    const std::int64_t l3 = std::int64_t{l[1]} + l[2];
    const std::int64_t l5 = l3 - l[4];
    const std::int64_t l19 = l5 + l[6] + others;
    const std::int64_t l21 = l19 + l[20];
    const std::int64_t l23 = l21 - l[22];
    const std::pair<int, std::int64_t> sums[] = {{3, l3},   {5, l5},   {18, others},
                                                 {19, l19}, {21, l21}, {23, l23}};
    for (const auto& [line, v] : sums)
        if (!CheckedAmount(v)) return false;
    for (const auto& [line, v] : sums) cost.lines[U(line)] = static_cast<Amount>(v);
    return true;
}

std::filesystem::path ManufacturingCostPath(const SharedState& s) {
    return YearFilePath(s, YearFileKind::CostOfGoods);
}

std::string ManufacturingCostFault(const ManufacturingCost& cost) {
    for (const std::string& name : cost.freeNames) {
        auto bytes = ToCp932(name);
        if (!bytes) return "科目名にシフトJISで書けない文字があります。";
        if (bytes->size() > static_cast<std::size_t>(kCostCaptionBytes))
            return "科目名は全角８文字（半角１６文字）までです。";
    }
    return {};
}

Result<std::vector<std::byte>> EncodeManufacturingCost(const ManufacturingCost& cost) {
    if (std::string why = ManufacturingCostFault(cost); !why.empty())
        return FileError{FileErrorCode::BadFormat, {}, why, true};
    std::vector<std::byte> out(kCostFileSize, std::byte{' '});
    std::memcpy(out.data(), kCostFileMark, 4);
    std::byte* p = out.data() + 4;
    for (int line : kCostInputLines) {
        PutRawAmount(p, cost.lines[U(line)]);
        p += 4;
    }
    for (const std::string& name : cost.freeNames) {
        const std::string bytes = *ToCp932(name);
        std::memcpy(p, bytes.data(), bytes.size());
        p += kCostCaptionBytes;
    }
    return out;
}

Result<ManufacturingCost> DecodeManufacturingCost(std::span<const std::byte> bytes,
                                                  const std::string& path) {
    if (bytes.size() != kCostFileSize || std::memcmp(bytes.data(), kCostFileMark, 4) != 0)
        return BadFormatError(path, "製造原価の計算のファイルではありません。");
    ManufacturingCost cost;
    const std::byte* p = bytes.data() + 4;
    for (int line : kCostInputLines) {
        cost.lines[U(line)] = GetRawAmount(p);
        p += 4;
    }
    for (std::string& name : cost.freeNames) {
        auto text = FromCp932(std::string_view(reinterpret_cast<const char*>(p), kCostCaptionBytes));
        if (!text) return BadFormatError(path, "科目名が読めません。");
        name = TrimRight(*text);
        p += kCostCaptionBytes;
    }
    if (!ComputeManufacturingCost(cost))
        return BadFormatError(path, "製造原価の合計が扱える金額を超えます。");
    return cost;
}

Result<ManufacturingCost> LoadManufacturingCost(const std::filesystem::path& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return bytes.error();
    if (bytes->empty()) return ManufacturingCost{};
    return DecodeManufacturingCost(*bytes, path.string());
}

std::vector<CostFileFault> ManufacturingCostFileFaults(const std::filesystem::path& path) {
    std::vector<CostFileFault> out;
    const auto fault = [&out](std::string ja, std::string en) {
        out.push_back({std::move(ja), std::move(en)});
    };
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec)))
            fault("どこにもないファイルへのリンクです。", "a link to a file that is not there.");
        return out;
    }
    if (std::filesystem::is_directory(status)) {
        fault("ファイルではなくフォルダーです。", "a folder, not a file.");
        return out;
    }
    if (!std::filesystem::is_regular_file(status)) {
        fault("通常のファイルではありません。", "not a plain file.");
        return out;
    }
    // Read up to a little more than the layout's length: a longer file is a fault
    // whatever follows.
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        fault("大きさを調べられません。", "its size cannot be found.");
        return out;
    }
    if (size == 0) return out;
    if (size != kCostFileSize)
        fault("ファイルの大きさが " + std::to_string(size) + " バイトです（" +
                  std::to_string(kCostFileSize) + " バイトのはずです）。",
              "the file is " + std::to_string(size) + " bytes long, not " +
                  std::to_string(kCostFileSize) + ".");
    auto bytes = ReadWholeFile(path, kCostFileSize + 1);
    if (!bytes) {
        if (size <= kCostFileSize)
            fault("読めません: " + bytes.error().detail, "cannot be read: " + bytes.error().detail);
        return out;
    }
    if (bytes->size() < 4 || std::memcmp(bytes->data(), kCostFileMark, 4) != 0) {
        fault("先頭に製造原価の計算のファイルの印 " + std::string(kCostFileMark) + " がありません。",
              std::string("the file does not begin with the mark ") + kCostFileMark + ".");
        return out;
    }
    if (bytes->size() < kCostFileSize) return out;  // too short to hold its lines
    ManufacturingCost cost;
    const std::byte* p = bytes->data() + 4;
    for (int line : kCostInputLines) {
        cost.lines[U(line)] = GetRawAmount(p);
        p += 4;
    }
    for (int i = 0; i < kCostFreeLines; ++i) {
        const std::string_view name(reinterpret_cast<const char*>(p) + i * kCostCaptionBytes,
                                    kCostCaptionBytes);
        const std::string line = std::to_string(kCostFreeFirst + i);
        if (!FromCp932(name)) {
            fault(line + " 行目の科目名が Shift-JIS の文字ではありません。",
                  "the name of line " + line + " is not Shift-JIS text.");
        } else if (std::any_of(name.begin(), name.end(), [](char c) {
                       const auto u = static_cast<unsigned char>(c);
                       return u < 0x20 || u == 0x7F;
                   })) {
            fault(line + " 行目の科目名に制御文字があります。",
                  "the name of line " + line + " holds control characters.");
        }
    }
    // Each sum as the page works it out.
    const auto& l = cost.lines;
    std::int64_t others = 0;
    for (int n = 7; n <= 17; ++n) others += l[U(n)];
    const std::int64_t l3 = std::int64_t{l[1]} + l[2];
    const std::int64_t l5 = l3 - l[4];
    const std::int64_t l19 = l5 + l[6] + others;
    const std::int64_t l21 = l19 + l[20];
    const std::int64_t l23 = l21 - l[22];
    const std::pair<int, std::int64_t> sums[] = {{3, l3},   {5, l5},   {18, others},
                                                 {19, l19}, {21, l21}, {23, l23}};
    for (const auto& [line, v] : sums)
        if (!CheckedAmount(v))
            fault(std::to_string(line) + " 行目の合計 " + std::to_string(v) + " が扱える金額を超えます。",
                  "the sum of line " + std::to_string(line) + ", " + std::to_string(v) +
                      ", is beyond the amounts the program keeps.");
    return out;
}

Status SaveManufacturingCost(const std::filesystem::path& path, const ManufacturingCost& cost) {
    auto bytes = EncodeManufacturingCost(cost);
    if (!bytes) {
        FileError e = bytes.error();
        e.path = path.string();
        return e;
    }
    return AtomicSave(path, *bytes);
}

}  // namespace tabulo
