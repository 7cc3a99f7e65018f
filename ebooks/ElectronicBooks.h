#pragma once
// The electronic-books setting (電子帳簿の設定: 優良な電子帳簿として記録する) and what it
// decides. The setting lives in the year's history alone: switching it on or off
// appends an ElectronicBooksOn or ElectronicBooksOff record, and the latest such
// record is the setting, its time the start. The next-year disk starts the new year's
// history with an On record (Target kCarriedOverTarget) when the setting was on.
//
// The mode was on for the whole year when the history holds together (no damaged
// record), it has an On record and no Off record, and no change to the books was
// recorded before the first On record. An On record made by the next-year disk is
// the new history's first record, so a setting kept on goes on from year to year.
// Switched on after the first change, switched off (even if on again later), or a
// history with a damaged record: not the whole year.
//
// The special deduction of the blue return: 65万円 when the double-entry books allow
// 55万円 (BooksStanding::AllowsDoubleEntryDeduction) and the mode was on for the whole
// year; otherwise what the books allow (55万円 or 10万円). Page 2 and the command
// line's check both ask SpecialDeductionOf.

#include <filesystem>
#include <string>
#include <vector>

#include "books/BooksChecks.h"
#include "store/History.h"
#include "platform/FileError.h"

namespace tabulo {

struct SharedState;

// Appends `record` to the year's history as one operation under the cash book's redo
// log (settled first): the history holds it, or, on any failure, is as it was. A
// history whose end is not a whole record is refused.
Status AppendHistoryRecord(const SharedState& s, const HistoryRecord& record);

// The Target of an On record the next-year disk wrote (0: switched by the user).
inline constexpr std::int32_t kCarriedOverTarget = 1;

struct ElectronicBooksSetting {
    bool on = false;
    // When the latest On or Off record was made ("YYYYMMDDhhmmss"); empty: never set.
    std::string since;
    bool carriedOver = false;  // the latest On record came with the next-year disk
};
ElectronicBooksSetting SettingOfElectronicBooks(const std::vector<HistoryRecord>& records);

struct ElectronicBooksStanding {
    ElectronicBooksSetting setting;
    bool wholeYear = false;
    std::string reason;  // why not, in Japanese (empty when wholeYear)
};
ElectronicBooksStanding StandingOfElectronicBooks(const HistoryContents& history);

// The setting and the standing worked out record by record, as a history is read.
class ElectronicBooksReading {
  public:
    void Add(const HistoryRecordView& r);
    const ElectronicBooksSetting& Setting() const { return setting_; }
    // `damaged`: a record of the history does not hold together.
    ElectronicBooksStanding Standing(bool damaged) const;

  private:
    ElectronicBooksSetting setting_;
    bool seenOn_ = false, changedBefore_ = false, off_ = false;
};
// The same from the year's history file (a missing file: never set).
Result<ElectronicBooksStanding> YearElectronicBooksStanding(const SharedState& s);

inline constexpr const char* kEbooksNeverOn = "優良な電子帳簿の設定がされていません。";
inline constexpr const char* kEbooksSwitchedOff = "優良な電子帳簿の設定を年の途中で終了しています。";
inline constexpr const char* kEbooksOnLate = "優良な電子帳簿の設定の前に、帳簿の変更が記録されています。";
inline constexpr const char* kEbooksDamaged = "履歴ファイルに壊れた記録があります。";
inline constexpr const char* kEbooksUnreadable = "履歴ファイルを読めません。";

// What the setting screen says of the setting: "2027年01月05日 09:00 から記録して
// います。", and of the year (wholeYear, or the reason why not).
std::string ElectronicBooksSettingWords(const ElectronicBooksSetting& setting);
std::string ElectronicBooksYearWords(const ElectronicBooksStanding& standing);

// The record that switches the setting, made at `when` ("YYYYMMDDhhmmss").
HistoryRecord ElectronicBooksRecord(bool on, const std::string& when, bool carriedOver = false);
// Appends it to the year's history, made now (HistoryNow).
Status SwitchElectronicBooks(const SharedState& s, bool on);

// The special deduction the year allows, and why.
struct SpecialDeduction {
    BooksStanding books;
    ElectronicBooksStanding ebooks;
    Amount limit = kSimpleDeduction;
    bool DoubleEntry() const { return limit > kSimpleDeduction; }
};
SpecialDeduction SpecialDeductionOf(const BooksStanding& books, const ElectronicBooksStanding& ebooks);
// The year's standing for the deduction: a history that cannot be read does not count
// as electronic books.
ElectronicBooksStanding ElectronicBooksForDeduction(const SharedState& s);
// The same of the year's history as read already: the damage ReadHistoryRecords gave
// (or its error) and the records read.
ElectronicBooksStanding ElectronicBooksForDeduction(const Result<std::vector<HistoryDamage>>& damage,
                                                    const ElectronicBooksReading& reading);
// From the year's files: books that cannot be worked out allow 10万円.
SpecialDeduction YearSpecialDeduction(const SharedState& s);
// "青色申告特別控除の限度額は 65万円です（…）。" for the check and the screens.
std::string SpecialDeductionWords(const SpecialDeduction& d);

}  // namespace tabulo
