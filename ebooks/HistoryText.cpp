#include "ebooks/HistoryText.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "books/BooksFiles.h"
#include "store/BinaryRecords.h"
#include "store/Text.h"

namespace tabulo {

namespace {

// Appends "8年4月1日" of "080401" (the text as it is when it is not six digits).
void AppendDateWords(std::string& out, std::string_view yymmdd) {
    if (yymmdd.size() != 6 || !std::all_of(yymmdd.begin(), yymmdd.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        out += yymmdd;
        return;
    }
    const auto part = [&](std::size_t at, const char* unit) {
        if (yymmdd[at] != '0') out += yymmdd[at];  // two digits without a leading 0
        out += yymmdd[at + 1];
        out += unit;
    };
    part(0, "年");
    part(2, "月");
    part(4, "日");
}

std::string DateWords(std::string_view yymmdd) {
    std::string out;
    AppendDateWords(out, yymmdd);
    return out;
}

bool IsCashBookOperation(HistoryOperation op) {
    return op == HistoryOperation::CashBookPost || op == HistoryOperation::CashBookChange ||
           op == HistoryOperation::CashBookInsert || op == HistoryOperation::CashBookDelete;
}

std::string Yen(Amount v) { return FormatAmount(v, false) + "円"; }

std::string_view TrimmedRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string LineWords(std::span<const std::byte> bytes, const ItemTableArray& items) {
    if (bytes.size() != kLedgerLineSize) return "（" + std::to_string(bytes.size()) + " バイト）";
    const StoredLedgerLine line(bytes.data());
    std::string out;
    out.reserve(64);
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
        out += FormatAmount(line.Indata(), false);
        out += "円";
    }
    if (line.Outdata() != 0) {
        out += " 出金 ";
        out += FormatAmount(line.Outdata(), false);
        out += "円";
    }
    if (auto bikou = line.Bikou(); bikou && !TrimmedRight(*bikou).empty()) {
        out += ' ';
        out += TrimmedRight(*bikou);
    }
    return out;
}

std::string SlipWords(std::span<const std::byte> bytes, const ItemTableArray& items) {
    if (bytes.size() != kSlipRecordSize) return "（" + std::to_string(bytes.size()) + " バイト）";
    // One slip read as a book of one slip, so that the slip's layout is read in one place.
    std::vector<std::byte> book(kSlipHeaderSize, std::byte{0});
    std::memcpy(book.data(), kSlipFileMark, 4);
    book[6] = std::byte{1};
    book.insert(book.end(), bytes.begin(), bytes.end());
    auto decoded = DecodeSlipBook(book, "");
    if (!decoded || decoded->Slips.size() != 1) return "（読めない伝票）";
    const TransferSlip& s = decoded->Slips[0];
    std::string out = DateWords(s.SlipDate) + " " + AccountName(s.DebitCode, items) + " / " +
                      AccountName(s.CreditCode, items) + " " + Yen(s.SlipAmount);
    if (!s.SlipRemarks.empty()) out += " " + s.SlipRemarks;
    return out;
}

std::string AmountWords(std::span<const std::byte> bytes) {
    if (bytes.size() != 4) return "（" + std::to_string(bytes.size()) + " バイト）";
    return Yen(GetRawAmount(bytes.data()));
}

// A deposit account as the history keeps it (DepositAccountBytes): its name, number
// and current balance.
std::string DepositWords(std::span<const std::byte> bytes) {
    if (bytes.size() != kDepositAccountBytes) return "（" + std::to_string(bytes.size()) + " バイト）";
    const auto text = [&](std::size_t at, std::size_t width) {
        auto t = FromCp932(std::string_view(reinterpret_cast<const char*>(bytes.data()) + at, width));
        return t ? TrimRight(*t) : std::string("？");
    };
    std::string out = text(0, 18);
    if (out.empty()) out = "（名称なし）";
    if (std::string no = text(18, 14); !no.empty()) out += " " + no;
    out += " 残高 " + Yen(GetRawAmount(bytes.data() + 36));
    return out;
}

std::string ValueWords(HistoryOperation op, std::span<const std::byte> bytes, const ItemTableArray& items) {
    if (bytes.empty()) return {};
    switch (op) {
    case HistoryOperation::CashBookPost:
    case HistoryOperation::CashBookChange:
    case HistoryOperation::CashBookInsert:
    case HistoryOperation::CashBookDelete: return LineWords(bytes, items);
    case HistoryOperation::SlipAdd:
    case HistoryOperation::SlipChange:
    case HistoryOperation::SlipDelete: return SlipWords(bytes, items);
    case HistoryOperation::OpeningChange: return AmountWords(bytes);
    case HistoryOperation::ItemAccountChange:
        if (bytes.size() == 2) {
            const int code = GetRawInteger(bytes.data());
            return code == 0 ? "なし" : AccountName(code, items);
        }
        break;
    case HistoryOperation::DepositChange: return DepositWords(bytes);
    case HistoryOperation::ElectronicBooksOn:
    case HistoryOperation::ElectronicBooksOff: break;
    }
    return "（" + std::to_string(bytes.size()) + " バイト）";
}

std::string TargetWords(const HistoryRecord& r, const ItemTableArray& items) {
    const std::string n = std::to_string(r.Target);
    switch (r.Operation) {
    case HistoryOperation::CashBookPost:
    case HistoryOperation::CashBookChange:
    case HistoryOperation::CashBookInsert:
    case HistoryOperation::CashBookDelete: return "出納簿:" + n;
    case HistoryOperation::SlipAdd:
    case HistoryOperation::SlipChange:
    case HistoryOperation::SlipDelete: return "振替:" + n;
    case HistoryOperation::DepositChange: return "預金:" + n;
    case HistoryOperation::OpeningChange: return "期首:" + AccountName(r.Target, items);
    case HistoryOperation::ItemAccountChange: return "項目:" + n;
    case HistoryOperation::ElectronicBooksOn:
    case HistoryOperation::ElectronicBooksOff: return "設定";
    }
    return n;
}

}  // namespace

HistoryRow DescribeHistoryRecord(const HistoryRecord& r, const ItemTableArray& items) {
    HistoryRow row;
    row.Sequence = r.Sequence;
    const std::string& w = r.When;
    if (w.size() == kHistoryWhenBytes) {
        // "2026-12-08 09:30:00" of "20261208093000"
        row.When = "0000-00-00 00:00:00";
        static constexpr std::size_t kTo[kHistoryWhenBytes] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
        for (std::size_t i = 0; i < kHistoryWhenBytes; ++i) row.When[kTo[i]] = w[i];
    } else {
        row.When = w;
    }
    row.Action = HistoryOperationName(r.Operation);
    row.UndoOf = r.UndoOf;
    row.Operation = row.Action;
    if (r.UndoOf != 0) row.Operation = "元に戻す（" + std::to_string(r.UndoOf) + "）: " + row.Operation;
    row.Target = TargetWords(r, items);
    row.Before = ValueWords(r.Operation, r.OldBytes, items);
    row.After = ValueWords(r.Operation, r.NewBytes, items);
    return row;
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

std::vector<std::size_t> SelectHistoryRecords(const HistoryContents& history, const HistoryFilter& filter) {
    const auto selected = [&](const HistoryRecord& r) {
        if (filter.Line != 0 && (!IsCashBookOperation(r.Operation) || r.Target != filter.Line)) return false;
        const std::string_view day = std::string_view(r.When).substr(0, 8);
        if (!filter.From.empty() && day < filter.From) return false;
        if (!filter.To.empty() && day > filter.To) return false;
        return filter.Operation == 0 || static_cast<int>(r.Operation) == filter.Operation;
    };
    std::vector<std::size_t> out;
    for (std::size_t i = history.Records.size(); i-- > 0;)
        if (selected(history.Records[i])) out.push_back(i);
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
