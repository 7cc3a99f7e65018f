#pragma once
// The year's history of changes to the books (訂正・削除の履歴): every change a user
// makes is appended as one record, and nothing ever rewrites or removes a record. Each
// record carries a check that chains it to the one before, so a record whose bytes
// were changed afterwards, or one taken out, is found and named.
//
// RIREKI<nn>.DAT (binary, little-endian, no padding; <nn> as KEIRI<nn>.DAT):
//   header, 4 bytes:
//     0  4  fixed string  "RRK1" (the format mark)
//   record, 44 + OldSize + NewSize bytes each, one after another to the file's end:
//     0  4  Long          RecordSize: the whole record's bytes, this field included
//     4  4  Long          Sequence: 1 for the year's first record, one more each next
//     8 14  fixed string  When: the local time of the change, "YYYYMMDDhhmmss"
//    22  2  Integer       Operation (HistoryOperation below)
//    24  4  Long          Target: the cash-book line, the slip, the deposit account
//                         or the balance-sheet account the change is to
//    28  4  Long          UndoOf: the Sequence of the change this one undoes, else 0
//    32  2  Integer       OldSize
//    34  2  Integer       NewSize
//    36  OldSize bytes    OldBytes: the record as it was stored before the change
//                         (a 42-byte cash-book line, a 38-byte slip, ...); none when
//                         the change adds it
//    ..  NewSize bytes    NewBytes: the record as stored after; none when deleted
//    ..  4  Long          Check: the CRC-32 (as zlib computes it) of the Check of the
//                         record before (4 bytes; 0 for the first record) followed by
//                         this record's bytes from RecordSize to the end of NewBytes
//    ..  4  Long          RecordSize again, so the last record is found from the end
//
// What the cash book records (an operation's records are appended together, in the
// same journalled write as the books they describe):
//   CashBookPost    Target the line added after the last one; NewBytes the 42 bytes
//                   stored there. A line skipped over is added as a blank line, and
//                   recorded so, before the typed one.
//   CashBookChange  Target the line; OldBytes and NewBytes its 42 stored bytes. A page
//                   saved with several lines changed writes one record a line.
//   CashBookInsert  Target the line inserted (the lines from it on move one down);
//                   NewBytes the blank line stored there.
//   CashBookDelete  Target the line deleted (the lines after it move one up);
//                   OldBytes the 42 bytes it held.
//   DepositChange   Target the deposit account (1..20); OldBytes and NewBytes 62 bytes
//                   each: the account's fields as YOKIN<nn>.DAT keeps them (name 18,
//                   account number 14, carried 4, current 4 and spare 4 balances,
//                   maturity 10) then the file's carried and current totals (4 each).
//   StatementImport Target the deposit account (1..20) of a bank statement, 0 for a
//                   card's; NewBytes which rows of the statement were taken
//                   (store/ImportedRows.h). Written with the cash-book lines
//                   (CashBookInsert, NewBytes the line as imported), the DepositChange
//                   and the SlipAdd records of the same import, which come before it.
// A line's bytes include its balance as stored at that moment. The balances that the
// walk after a change recomputes in later lines are derived from the entries and are
// not recorded; neither is a recalculation (再計算), nor the totals of the ledger's
// header, as neither changes an entry.
// An undo (UndoOf set) records the opposite change: a post or an insert undone is a
// CashBookDelete of that line, a delete undone a CashBookInsert holding the line
// again, a change or a deposit change undone the same operation with the bytes the
// other way round; the records of an operation are undone last first.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"
#include "store/Journal.h"

namespace tabulo {

struct SharedState;

inline constexpr const char* kHistoryFileMark = "RRK1";
inline constexpr std::size_t kHistoryHeaderSize = 4;
inline constexpr std::size_t kHistoryRecordFixedSize = 44;
inline constexpr std::size_t kHistoryWhenBytes = 14;
// A record's old or new bytes: the largest stored record a change names.
inline constexpr std::size_t kHistoryMaxValueBytes = 4096;

enum class HistoryOperation : std::int16_t {
    CashBookPost = 1,    // a line added after the last one
    CashBookChange = 2,  // a line's fields changed
    CashBookInsert = 3,  // a line inserted before another
    CashBookDelete = 4,  // a line deleted
    DepositChange = 5,   // a deposit account's name or balance changed
    SlipAdd = 6,
    SlipChange = 7,
    SlipDelete = 8,
    OpeningChange = 9,      // an opening balance (期首残高) set, changed or cleared
    ItemAccountChange = 10, // the balance-sheet account chosen for an item
    ElectronicBooksOn = 11, // the electronic-books setting switched on
    ElectronicBooksOff = 12,
    StatementImport = 13,   // rows of a downloaded statement taken into the books
};
inline constexpr int kHistoryOperationLast = 13;

struct HistoryRecord {
    std::uint32_t Sequence = 0;
    std::string When;  // "YYYYMMDDhhmmss"
    HistoryOperation Operation = HistoryOperation::CashBookPost;
    std::int32_t Target = 0;
    std::uint32_t UndoOf = 0;
    std::vector<std::byte> OldBytes;
    std::vector<std::byte> NewBytes;
    bool operator==(const HistoryRecord&) const = default;
};

// A record as it lies in a history's bytes: HistoryRecord's fields, looking into the
// bytes instead of holding a copy of them, for a reader that only looks (the check).
struct HistoryRecordView {
    std::uint32_t Sequence = 0;
    std::string_view When;
    HistoryOperation Operation = HistoryOperation::CashBookPost;
    std::int32_t Target = 0;
    std::uint32_t UndoOf = 0;
    std::span<const std::byte> OldBytes;
    std::span<const std::byte> NewBytes;
    std::uint64_t Offset = 0;  // where the record begins in its file (0 for a view of a copy)
};

// A view of `record`, valid while it is.
HistoryRecordView ViewOf(const HistoryRecord& record);

// The operation's name as the history screen and the command line show it.
const char* HistoryOperationName(HistoryOperation op);

std::filesystem::path HistoryPath(const SharedState& s);

// What appending to a history needs to know of what it holds: the next Sequence and
// the Check of its last record. A file that does not exist yet starts at 1 and 0.
struct HistoryTail {
    std::uint64_t FileSize = 0;  // 0: no file yet; the append writes the header too
    std::uint32_t NextSequence = 1;
    std::uint32_t LastCheck = 0;
};

// The CRC-32 the records' checks use, continued from `crc` (0 to start).
std::uint32_t HistoryCrc32(std::span<const std::byte> bytes, std::uint32_t crc = 0);

// The bytes that append `record` to a history whose end is `tail` (the header first
// when the file is new). The record's Sequence is taken from the tail. Fails when the
// old or new bytes are larger than a record may hold, or When is not 14 digits.
Result<std::vector<std::byte>> EncodeHistoryAppend(const HistoryTail& tail, HistoryRecord record);

// The tail of the history at `path`, read from the file's last record only. A missing
// file gives the empty tail; a file whose end is not a whole record is an error that
// names the file (the append is refused, nothing is written).
Result<HistoryTail> ReadHistoryTail(const std::filesystem::path& path);

// What is wrong with a damaged record.
enum class HistoryFault {
    Header,     // the file does not begin with the format mark
    Size,       // the record's sizes do not agree: nothing after it can be read
    CutShort,   // the file ends inside the record
    Missing,    // records before this one were taken out
    OutOfOrder, // its number is one already used
    Changed,    // its bytes were changed after it was written (the check fails)
    Operation,  // an operation the program does not know
    When,       // a time that is not 14 digits
};

// A record whose bytes do not hold together.
struct HistoryDamage {
    std::uint32_t Sequence = 0;  // the number the record has, or should have, in order
    std::uint64_t Offset = 0;    // where its bytes begin in the file
    std::string Reason;          // in Japanese, for the check and the history screen
    HistoryFault Fault = HistoryFault::Changed;
};

struct HistoryContents {
    std::vector<HistoryRecord> Records;  // every record read, in order
    std::vector<HistoryDamage> Damage;   // empty when every record holds together
};

// Reads a whole history. A record whose check fails but whose sizes hold together is
// reported and kept in `Records` (the screen can still show it, marked); reading goes
// on with the next one. A record whose sizes do not hold together ends the reading
// with a report, as nothing after it can be found reliably.
HistoryContents DecodeHistory(std::span<const std::byte> bytes);

// DecodeHistory of the file at `path`; a missing file is an empty history.
Result<HistoryContents> LoadHistory(const std::filesystem::path& path);

// The same reading as LoadHistory, a window of the file at a time, for a reader that
// only looks (the check, the 65万円 rule): each record read is handed to `take`, its
// view holding during the call only, and nothing of it is kept. Gives the damage
// found, as DecodeHistory finds it.
Result<std::vector<HistoryDamage>> ReadHistoryRecords(const std::filesystem::path& path,
                                                      const std::function<void(const HistoryRecordView&)>& take);

// A history file held open for reading it once through and then again at the records
// a reader chose, in the order it chose (a listing, newest first): both readings see
// the same file even if it is replaced meanwhile, and neither holds more of it than a
// window.
class HistoryReader {
  public:
    // A missing file reads as an empty history.
    static Result<HistoryReader> Open(const std::filesystem::path& path);
    HistoryReader(HistoryReader&&) noexcept;
    HistoryReader& operator=(HistoryReader&&) noexcept;
    ~HistoryReader();
    // Every record in order, as ReadHistoryRecords reads them.
    Result<std::vector<HistoryDamage>> ReadAll(const std::function<void(const HistoryRecordView&)>& take);
    // The records that begin at `offsets` (the Offset of views ReadAll gave), in the
    // order given, each to `take` as a view valid during the call. Quickest when
    // offsets that follow each other lie near each other, ascending or descending.
    // Fails when the bytes there are not a record whose sizes hold together.
    Status ReadAt(std::span<const std::uint32_t> offsets, const std::function<void(const HistoryRecordView&)>& take);

  private:
    HistoryReader() = default;
    std::filesystem::path path_;
    int fd_ = -1;  // -1: no file
    std::uint64_t size_ = 0;
};
// The local time now as a record's When ("YYYYMMDDhhmmss"), from the clock of `s`
// (s.HistoryClock, for the tests) or else the system's.
std::string HistoryNow(const SharedState& s);

// Records appended to the history as part of an operation: staged here, and written
// with the operation's other changes under the cash book's redo log (CommitChanges),
// so that after a crash the history and the books agree. Staging reads only the
// file's last record; the file's earlier bytes are neither read nor held.
class HistoryAppend {
  public:
    // Encodes `records` after the end of the history at `path`, numbered on from
    // its last record. Fails (nothing staged) when the history's end is damaged or a
    // record cannot be held (see EncodeHistoryAppend).
    static Result<HistoryAppend> Stage(const std::filesystem::path& path,
                                       std::span<const HistoryRecord> records);
    // The change for CommitChanges: the appended bytes after the old end.
    FileChange Change() const;
    // The Sequence the first staged record was given (the others follow it).
    std::uint32_t FirstSequence() const { return first_; }
    std::uint64_t OldLength() const { return oldLength_; }
    std::uint64_t NewLength() const { return newLength_; }

  private:
    std::filesystem::path path_;
    bool existed_ = false;
    std::uint64_t oldLength_ = 0, newLength_ = 0;
    std::uint32_t first_ = 1;
    // newLength_ bytes of which only [oldLength_, newLength_) are set: CommitChanges
    // reads a file's bytes only inside the ranges it writes.
    std::shared_ptr<std::byte[]> buffer_;
};

}  // namespace tabulo
