#include "statements/PreviewRows.h"

#include <cstdio>

#include "store/Dates.h"
#include "store/SharedState.h"
#include "store/StoredLedger.h"

namespace tabulo::statements {

Result<std::vector<BookEntry>> DepositEntries(const SharedState& s) {
    std::vector<BookEntry> out;
    StoredDate date;
    Status st = WalkStoredLines(
        s, s.LedgerHeader.LineCount, [&](int n, StoredLedgerLine line) -> Status {
            const int item = line.ItemNo();
            if (item < 1 || item > kItemCount) return Ok();
            const int kubun = s.ItemTable[static_cast<std::size_t>(item)].ItemKubun;
            const bool in = kubun == Kubun::IntoAccount || kubun == Kubun::Deposit;
            const bool outSide = kubun == Kubun::DebitAccount || kubun == Kubun::FromAccount;
            if (!in && !outSide) return Ok();
            if (!date.Read(line, s.LedgerPath, n)) return date.error();
            const std::string_view d = date.text();
            if (d.size() < 6) return Ok();
            const auto year = WesternYear(s.EraName, d.substr(0, 2));
            if (!year) return Ok();
            const int month = (d[2] - '0') * 10 + (d[3] - '0');
            const int day = (d[4] - '0') * 10 + (d[5] - '0');
            const Amount amount = line.Indata() != 0 ? line.Indata() : line.Outdata();
            out.push_back(BookEntry{{*year, month, day}, in ? amount : 0, in ? 0 : amount});
            return Ok();
        });
    if (!st) return st.error();
    return out;
}

namespace {

std::string Cell(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string PreviewCsv(const std::vector<PreviewRow>& rows) {
    std::string out = "状態,日付,摘要,入金,出金,項目・科目\n";
    for (const PreviewRow& r : rows) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", r.row.date.year, r.row.date.month,
                      r.row.date.day);
        out += std::string(RowStateName(r.state)) + "," + date + "," + Cell(r.row.description) + "," +
               (r.row.in != 0 ? std::to_string(r.row.in) : std::string()) + "," +
               (r.row.out != 0 ? std::to_string(r.row.out) : std::string()) + "," + Cell(r.target) +
               "\n";
    }
    return out;
}

}  // namespace tabulo::statements
