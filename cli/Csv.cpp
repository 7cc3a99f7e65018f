#include "cli/Csv.h"

#include <cstdio>

#include "cashbook/Aggregation.h"
#include "platform/AtomicFile.h"
#include "platform/Prompt.h"
#include "reports/LedgerWalk.h"
#include "store/DataSet.h"
#include "store/Dates.h"
#include "store/Text.h"

namespace tabulo {
namespace {

const char* const kCategoryNames[] = {"",     "収入", "預金繰り入れ", "口座振り込み",
                                      "支出", "預金", "口座引落とし", "繰越"};

bool NeedsQuotes(const std::string& field) {
    if (field.empty()) return false;
    if (field.front() == ' ' || field.back() == ' ') return true;
    return field.find_first_of(",\"\r\n") != std::string::npos;
}

std::string Field(const std::string& field) {
    if (!NeedsQuotes(field)) return field;
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// The Western date of a stored YYMMDD; the stored text when it names no day.
std::string DateText(const SharedState& s, const std::string& stored) {
    const std::string date = Trim(stored);
    if (date.empty()) return {};
    if (date.size() == 6 && !WeekdayText(date, s.EraName).empty()) {
        if (auto year = WesternYear(s.EraName, date.substr(0, 2))) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%04d-%s-%s", *year, date.substr(2, 2).c_str(),
                          date.substr(4, 2).c_str());
            return buf;
        }
    }
    return date;
}

std::vector<std::string> LedgerHeaderRow() {
    return {"行",     "年月日", "曜日", "項目", "項目名", "区分",
            "区分名", "収入",   "支出", "残高", "備考"};
}

std::vector<std::string> LedgerRow(const SharedState& s, int n, const LedgerLine& line) {
    const bool hasItem = line.ItemNo >= 1 && line.ItemNo <= kItemCount;
    const ItemEntry* item = hasItem ? &s.ItemTable[static_cast<std::size_t>(line.ItemNo)] : nullptr;
    const int kubun = item != nullptr ? item->ItemKubun : 0;
    return {std::to_string(n),
            DateText(s, line.NenGetsuBi),
            Trim(line.Youbi),
            line.ItemNo == 0 ? std::string() : std::to_string(line.ItemNo),
            item != nullptr ? TrimRight(item->ItemName) : std::string(),
            std::to_string(kubun),
            (kubun >= 0 && kubun <= 7) ? kCategoryNames[kubun] : "",
            std::to_string(line.Indata),
            std::to_string(line.Outdata),
            std::to_string(line.Zandaka),
            TrimRight(line.Bikou)};
}

Result<CsvRows> LedgerRows(const SharedState& s, int onlyItem) {
    CsvRows rows{LedgerHeaderRow()};
    Status st = WalkLedger(s, [&](int n, StoredLedgerLine stored) -> Status {
        if (onlyItem != 0 && stored.ItemNo() != onlyItem) return Ok();
        auto line = DecodeLedgerLineAt(s.LedgerPath, n, stored);
        if (!line) return line.error();
        rows.push_back(LedgerRow(s, n, *line));
        return Ok();
    });
    if (!st) return st.error();
    return rows;
}

}  // namespace

Result<std::vector<std::byte>> EncodeCsv(const CsvRows& rows, CsvEncoding encoding) {
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) text += ',';
            text += Field(row[i]);
        }
        text += "\r\n";
    }
    if (encoding == CsvEncoding::Cp932) {
        auto bytes = ToCp932(text);
        if (!bytes) {
            FileError e;
            e.code = FileErrorCode::NotEncodable;
            e.writing = true;
            e.detail = "Shift-JIS で書けない文字があります。";
            return e;
        }
        text = std::move(*bytes);
    } else {
        // The byte-order mark by which a spreadsheet knows UTF-8 without being told.
        text.insert(0, "\xEF\xBB\xBF");
    }
    const auto* p = reinterpret_cast<const std::byte*>(text.data());
    return std::vector<std::byte>(p, p + text.size());
}

Result<CsvRows> LedgerCsv(const SharedState& s) { return LedgerRows(s, 0); }

Result<CsvRows> ItemCsv(const SharedState& s, int item) { return LedgerRows(s, item); }

CsvRows SummaryCsv(const SharedState& s, const MonthlyTable& table) {
    CsvRows rows;
    rows.push_back({"番号", "項目", "1月", "2月", "3月", "4月", "5月", "6月", "中間集計", "7月",
                    "8月", "9月", "10月", "11月", "12月", "年間集計"});
    for (int r = 1; r <= 51; ++r) {
        std::vector<std::string> row;
        if (r <= kItemCount) {
            row.push_back(std::to_string(r));
            row.push_back(TrimRight(s.ItemTable[static_cast<std::size_t>(r)].ItemName));
        } else {
            row.push_back("");
            row.push_back("合計");
        }
        for (int c = 1; c <= 14; ++c)
            row.push_back(
                std::to_string(table[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
        rows.push_back(std::move(row));
    }
    return rows;
}

CsvRows DepositsCsv(const SharedState& s) {
    const DepositBookRecord& b = s.DepositBook;
    CsvRows rows{{"番号", "名称", "口座No.", "繰越預金高", "現預金額", "満期"}};
    for (int k = 1; k <= kAccountCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        rows.push_back({std::to_string(k), TrimRight(b.AccountName[i]), TrimRight(b.AccountNo[i]),
                        std::to_string(b.CarriedBalance[i]), std::to_string(b.CurrentBalance[i]),
                        TrimRight(b.Maturity[i])});
    }
    rows.push_back(
        {"", "合計", "", std::to_string(b.CarriedTotal), std::to_string(b.CurrentTotal), ""});
    return rows;
}

Result<bool> AggregateForExport(SharedState& s, Prompt& prompt, MonthlyTable& table) {
    auto datesOk = AggregationDatesOk(s, prompt);
    if (!datesOk) return datesOk.error();
    if (!*datesOk) return false;
    auto computed = ComputeMonthlyItemTable(s);
    if (!computed) return computed.error();
    table = *computed;
    return true;
}

Result<bool> WriteCsvFolder(SharedState& s, Prompt& prompt, const std::filesystem::path& folder,
                            CsvEncoding encoding) {
    // Everything is worked out first, so that a refusal or an error writes no file.
    MonthlyTable table{};
    auto aggregated = AggregateForExport(s, prompt, table);
    if (!aggregated) return aggregated.error();
    if (!*aggregated) return false;
    auto ledger = LedgerCsv(s);
    if (!ledger) return ledger.error();
    const CsvRows summary = SummaryCsv(s, table);
    const CsvRows deposits = DepositsCsv(s);
    const std::pair<const char*, const CsvRows*> files[] = {
        {kLedgerCsvName, &*ledger}, {kSummaryCsvName, &summary}, {kDepositsCsvName, &deposits}};
    std::vector<std::pair<std::filesystem::path, std::vector<std::byte>>> out;
    for (const auto& [name, rows] : files) {
        auto bytes = EncodeCsv(*rows, encoding);
        if (!bytes) {
            FileError e = bytes.error();
            e.path = (folder / name).string();
            return e;
        }
        out.emplace_back(folder / name, std::move(*bytes));
    }
    for (const auto& [path, bytes] : out)
        if (Status st = AtomicSave(path, bytes); !st) return st.error();
    return true;
}

}  // namespace tabulo
