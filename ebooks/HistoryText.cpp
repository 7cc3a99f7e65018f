#include "ebooks/HistoryText.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "books/BooksFiles.h"
#include "store/BinaryRecords.h"
#include "store/ImportedRows.h"
#include "store/Text.h"

namespace tabulo {

namespace {

// Appends "8年4月1日" of "080401" (the text as it is when it is not six digits).
void AppendDateWords(std::string& out, std::string_view yymmdd) {
    if (yymmdd.size() != 6 || !std::all_of(yymmdd.begin(), yymmdd.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        out += yymmdd;
        return;
    }
    // Each part two digits without a leading 0, then its unit (three bytes).
    char words[24];
    char* p = words;
    const auto part = [&](std::size_t at, const char* unit) {
        if (yymmdd[at] != '0') *p++ = yymmdd[at];
        *p++ = yymmdd[at + 1];
        p = std::copy_n(unit, 3, p);
    };
    part(0, "年");
    part(2, "月");
    part(4, "日");
    out.append(words, static_cast<std::size_t>(p - words));
}

bool IsCashBookOperation(HistoryOperation op) {
    return op == HistoryOperation::CashBookPost || op == HistoryOperation::CashBookChange ||
           op == HistoryOperation::CashBookInsert || op == HistoryOperation::CashBookDelete;
}

void AppendYen(std::string& out, Amount v) {
    AppendAmount(out, v);
    out += "円";
}

std::string_view TrimmedRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

void AppendByteCount(std::string& out, std::size_t bytes) {
    out += "（";
    out += std::to_string(bytes);
    out += " バイト）";
}

void AppendLineWords(std::string& out, std::span<const std::byte> bytes, const ItemTableArray& items) {
    if (bytes.size() != kLedgerLineSize) return AppendByteCount(out, bytes.size());
    const StoredLedgerLine line(bytes.data());
    AppendDateWords(out, line.DateBytes());
    const int item = line.ItemNo();
    out += ' ';
    const std::string_view name =
        item >= 1 && item <= kItemCount ? TrimmedRight(items[static_cast<std::size_t>(item)].ItemName) : "";
    if (!name.empty()) {
        out += name;
    } else {
        out += "項目";
        out += std::to_string(item);
    }
    if (line.Indata() != 0) {
        out += " 入金 ";
        AppendYen(out, line.Indata());
    }
    if (line.Outdata() != 0) {
        out += " 出金 ";
        AppendYen(out, line.Outdata());
    }
    // Remarks that are not CP932 are left out, as before.
    if (const std::string_view bikou = TrimmedRight(line.BikouBytes()); !bikou.empty()) {
        out += ' ';
        if (!AppendFromCp932(out, bikou)) out.pop_back();
    }
}

void AppendSlipWords(std::string& out, std::span<const std::byte> bytes, const ItemTableArray& items) {
    if (bytes.size() != kSlipRecordSize) return AppendByteCount(out, bytes.size());
    auto decoded = DecodeSlip(bytes);
    if (!decoded) {
        out += "（読めない伝票）";
        return;
    }
    const TransferSlip& s = *decoded;
    AppendDateWords(out, s.SlipDate);
    out += ' ';
    out += AccountName(s.DebitCode, items);
    out += " / ";
    out += AccountName(s.CreditCode, items);
    out += ' ';
    AppendYen(out, s.SlipAmount);
    if (!s.SlipRemarks.empty()) {
        out += ' ';
        out += s.SlipRemarks;
    }
}

void AppendAmountWords(std::string& out, std::span<const std::byte> bytes) {
    if (bytes.size() != 4) return AppendByteCount(out, bytes.size());
    AppendYen(out, GetRawAmount(bytes.data()));
}

// A deposit account as the history keeps it (DepositAccountBytes): its name, number
// and current balance.
void AppendDepositWords(std::string& out, std::span<const std::byte> bytes) {
    if (bytes.size() != kDepositAccountBytes) return AppendByteCount(out, bytes.size());
    const auto text = [&](std::size_t at, std::size_t width) {
        auto t = FromCp932(std::string_view(reinterpret_cast<const char*>(bytes.data()) + at, width));
        return t ? TrimRight(*t) : std::string("？");
    };
    const std::string name = text(0, 18);
    out += name.empty() ? "（名称なし）" : name;
    if (std::string no = text(18, 14); !no.empty()) {
        out += ' ';
        out += no;
    }
    out += " 残高 ";
    AppendYen(out, GetRawAmount(bytes.data() + 36));
}

// The rows an import took: the statement's name, how many and their dates.
void AppendImportWords(std::string& out, std::span<const std::byte> bytes) {
    auto rows = DecodeImportedRows(bytes);
    if (!rows) return AppendByteCount(out, bytes.size());
    out += rows->name + " の " + std::to_string(rows->rows.size()) + " 行";
    if (!rows->rows.empty()) {
        const auto day = [](std::uint32_t d) {
            return std::to_string(d / 10000) + "/" + std::to_string(d / 100 % 100) + "/" + std::to_string(d % 100);
        };
        std::uint32_t first = rows->rows.front().date, last = first;
        for (const ImportedRow& r : rows->rows) {
            first = std::min(first, r.date);
            last = std::max(last, r.date);
        }
        out += "（" + day(first) + (last != first ? "〜" + day(last) : std::string()) + "）";
    }
}

void AppendValueWords(std::string& out, HistoryOperation op, std::span<const std::byte> bytes,
                      const ItemTableArray& items) {
    if (bytes.empty()) return;
    switch (op) {
    case HistoryOperation::CashBookPost:
    case HistoryOperation::CashBookChange:
    case HistoryOperation::CashBookInsert:
    case HistoryOperation::CashBookDelete: return AppendLineWords(out, bytes, items);
    case HistoryOperation::SlipAdd:
    case HistoryOperation::SlipChange:
    case HistoryOperation::SlipDelete: return AppendSlipWords(out, bytes, items);
    case HistoryOperation::OpeningChange: return AppendAmountWords(out, bytes);
    case HistoryOperation::ItemAccountChange:
        if (bytes.size() == 2) {
            const int code = GetRawInteger(bytes.data());
            out += code == 0 ? "なし" : AccountName(code, items);
            return;
        }
        break;
    case HistoryOperation::DepositChange: return AppendDepositWords(out, bytes);
    case HistoryOperation::StatementImport: return AppendImportWords(out, bytes);
    case HistoryOperation::ElectronicBooksOn:
    case HistoryOperation::ElectronicBooksOff: break;
    }
    AppendByteCount(out, bytes.size());
}

void AppendTargetWords(std::string& out, const HistoryRecordView& r, const ItemTableArray& items) {
    const char* kind = nullptr;
    switch (r.Operation) {
    case HistoryOperation::CashBookPost:
    case HistoryOperation::CashBookChange:
    case HistoryOperation::CashBookInsert:
    case HistoryOperation::CashBookDelete: kind = "出納簿:"; break;
    case HistoryOperation::SlipAdd:
    case HistoryOperation::SlipChange:
    case HistoryOperation::SlipDelete: kind = "振替:"; break;
    case HistoryOperation::DepositChange: kind = "預金:"; break;
    case HistoryOperation::OpeningChange:
        out += "期首:";
        out += AccountName(r.Target, items);
        return;
    case HistoryOperation::ItemAccountChange: kind = "項目:"; break;
    case HistoryOperation::ElectronicBooksOn:
    case HistoryOperation::ElectronicBooksOff: out += "設定"; return;
    case HistoryOperation::StatementImport:
        if (r.Target <= 0) {
            out += "カード";
            return;
        }
        kind = "預金:";
        break;
    }
    if (kind != nullptr) out += kind;
    out += std::to_string(r.Target);
}

}  // namespace

void DescribeHistoryCells(const HistoryRecordView& r, const ItemTableArray& items, HistoryCells& cells) {
    std::string& out = cells.Text;
    out.clear();
    cells.Start[HistoryCells::When] = 0;
    if (r.When.size() == kHistoryWhenBytes) {
        // "2026-12-08 09:30:00" of "20261208093000"
        char when[] = "0000-00-00 00:00:00";
        static constexpr std::size_t kTo[kHistoryWhenBytes] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
        for (std::size_t i = 0; i < kHistoryWhenBytes; ++i) when[kTo[i]] = r.When[i];
        out.append(when, sizeof when - 1);
    } else {
        out += r.When;
    }
    cells.Start[HistoryCells::Operation] = out.size();
    if (r.UndoOf != 0) {
        out += "元に戻す（";
        out += std::to_string(r.UndoOf);
        out += "）: ";
    }
    out += HistoryOperationName(r.Operation);
    cells.Start[HistoryCells::Target] = out.size();
    AppendTargetWords(out, r, items);
    cells.Start[HistoryCells::Before] = out.size();
    AppendValueWords(out, r.Operation, r.OldBytes, items);
    cells.Start[HistoryCells::After] = out.size();
    AppendValueWords(out, r.Operation, r.NewBytes, items);
    cells.Start[HistoryCells::kCount] = out.size();
}

HistoryRow DescribeHistoryRecord(const HistoryRecordView& r, const ItemTableArray& items) {
    HistoryCells cells;
    DescribeHistoryCells(r, items, cells);
    HistoryRow row;
    row.Sequence = r.Sequence;
    row.When = cells[HistoryCells::When];
    row.Operation = cells[HistoryCells::Operation];
    row.Target = cells[HistoryCells::Target];
    row.Before = cells[HistoryCells::Before];
    row.After = cells[HistoryCells::After];
    row.Action = HistoryOperationName(r.Operation);
    row.UndoOf = r.UndoOf;
    return row;
}

HistoryRow DescribeHistoryRecord(const HistoryRecord& record, const ItemTableArray& items) {
    return DescribeHistoryRecord(ViewOf(record), items);
}

std::string HistoryDay(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9') digits.push_back(c);
        else if (c != '-' && c != '/') return {};
    }
    if (digits.size() != 8) return {};
    const int month = std::stoi(digits.substr(4, 2));
    const int day = std::stoi(digits.substr(6, 2));
    const std::chrono::year_month_day ymd{std::chrono::year(std::stoi(digits.substr(0, 4))),
                                          std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    return ymd.ok() ? digits : std::string{};
}

std::vector<HistoryRow> DescribeHistory(const HistoryContents& history, const ItemTableArray& items) {
    return SelectHistory(history, {}, items);
}

bool HistoryFilter::Selects(const HistoryRecordView& r) const {
    if (Line != 0 && (!IsCashBookOperation(r.Operation) || r.Target != Line)) return false;
    const std::string_view day = r.When.substr(0, 8);
    if (!From.empty() && day < From) return false;
    if (!To.empty() && day > To) return false;
    return Operation == 0 || static_cast<int>(r.Operation) == Operation;
}

std::vector<std::size_t> SelectHistoryRecords(const HistoryContents& history, const HistoryFilter& filter) {
    std::vector<std::size_t> out;
    for (std::size_t i = history.Records.size(); i-- > 0;)
        if (filter.Selects(ViewOf(history.Records[i]))) out.push_back(i);
    return out;
}

std::vector<std::uint32_t> DamagedSequences(const HistoryContents& history) {
    std::vector<std::uint32_t> out;
    for (const HistoryDamage& d : history.Damage) out.push_back(d.Sequence);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<HistoryRow> SelectHistory(const HistoryContents& history, const HistoryFilter& filter,
                                      const ItemTableArray& items) {
    const std::vector<std::uint32_t> damaged = DamagedSequences(history);
    const std::vector<std::size_t> selected = SelectHistoryRecords(history, filter);
    std::vector<HistoryRow> rows;
    rows.reserve(selected.size());
    for (std::size_t i : selected) {
        const HistoryRecord& r = history.Records[i];
        rows.push_back(DescribeHistoryRecord(r, items));
        rows.back().Damaged = std::binary_search(damaged.begin(), damaged.end(), r.Sequence);
    }
    return rows;
}

}  // namespace tabulo
