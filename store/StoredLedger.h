#pragma once
// The year's ledger lines read for a walk that changes nothing: the file opened for
// reading only, the lines asked for read in one go and looked at in place (see
// StoredLedgerLine), nothing decoded that the walk does not use. The cash book's
// operations that write go through LedgerFile instead.

#include <cstddef>
#include <filesystem>
#include <algorithm>
#include <memory>
#include <type_traits>

#include "platform/FileError.h"
#include "store/BinaryRecords.h"
#include "store/SharedState.h"

namespace tabulo {

// A ledger's journal left live by an operation that could not finish is rolled back
// before the ledger is read, so that no one sees, or builds on, half of it.
Status RecoverLedgerJournal(const std::filesystem::path& ledger);

// The errors of a ledger line, with the file named: a line the file does not hold,
// and a field of line n that does not read (`e` as the field's reader gave it).
FileError MissingLedgerLine(const std::filesystem::path& ledger, int n);
FileError BadLedgerLine(const std::filesystem::path& ledger, int n, FileError e);
// Line n of `ledger` decoded whole, an error naming the line and the file.
Result<LedgerLine> DecodeLedgerLineAt(const std::filesystem::path& ledger, int n,
                                      StoredLedgerLine line);

// The stamp of the file `path` now; none when it cannot be looked at.
FileStamp StampOf(const std::filesystem::path& path);

class StoredLedger {
  public:
    // Lines first..last (1-based) of the file, as many of them as it holds. A file that
    // is not there holds no lines (and is not created).
    // Only a regular file of at most kMaxLedgerFileSize bytes is read; a live journal is
    // rolled back first unless `rollBack` is false (a tool that never writes).
    static Result<StoredLedger> Read(const std::filesystem::path& path, int first, int last,
                                     bool rollBack = true);
    // The year's ledger as `s` names it: nothing is rolled back for a reader that never
    // writes (SharedState::ReadOnly).
    static Result<StoredLedger> Read(const SharedState& s, int first, int last) {
        return Read(s.LedgerPath, first, last, !s.ReadOnly);
    }

    // Line n, which must lie within first..last; null when the file does not hold it.
    const std::byte* Find(int n) const {
        const std::size_t at = static_cast<std::size_t>(n - first_) * kLedgerLineSize;
        return n >= first_ && at + kLedgerLineSize <= size_ ? bytes_.get() + at : nullptr;
    }
    // Line n, or the error for a line the file does not hold.
    Result<StoredLedgerLine> Line(int n) const {
        if (const std::byte* p = Find(n)) return StoredLedgerLine(p);
        return MissingLedgerLine(path_, n);
    }
    // Line n decoded whole, with the errors LedgerFile::ReadLine gives.
    Result<LedgerLine> Decode(int n) const;
    // The error of a field of line n that does not read.
    FileError Bad(int n, FileError e) const { return BadLedgerLine(path_, n, std::move(e)); }
    // Lines first.. held one after another, 42 bytes each: `count` of them.
    const std::byte* data() const { return bytes_.get(); }
    int count() const { return static_cast<int>(size_ / kLedgerLineSize); }
    const std::filesystem::path& path() const { return path_; }
    // The first line asked for, and the stamp of the file as it was read (none when
    // there was no file).
    int first() const { return first_; }
    const FileStamp& stamp() const { return stamp_; }

  private:
    std::filesystem::path path_;
    FileStamp stamp_;
    int first_ = 1;
    std::unique_ptr<std::byte[]> bytes_;
    std::size_t size_ = 0;
};

// The date text of stored lines, one line at a time (one object serves a whole
// walk): the line's bytes themselves when they are plain ASCII (the usual six digits,
// read in place), else the decoded text.
class StoredDate {
  public:
    // False when the date of line n does not read; error() then names the line.
    bool Read(StoredLedgerLine line, const std::filesystem::path& ledger, int n) {
        if (line.PlainDate()) [[likely]] {
            text_ = line.DateBytes();
            return true;
        }
        return ReadDecoded(line, ledger, n);
    }
    std::string_view text() const { return text_; }
    const FileError& error() const { return error_; }

  private:
    bool ReadDecoded(StoredLedgerLine line, const std::filesystem::path& ledger, int n);
    std::string_view text_;
    std::string decoded_;
    FileError error_;
};

// Whether a walk refuses a line whose texts do not read as CP932 (with the error
// DecodeLedgerLineAt gives), as a walk that decodes every line would: the date check,
// the aggregation and the reports do; the totals, which read only amounts, do not.
enum class LineTexts { Checked, Unchecked };

// Visits lines 1..count of the ledger in file order: visit(n, StoredLedgerLine)
// returns a bool (false ends the walk), a Status (an error ends it with that error)
// or a Result<bool> (either). A line the file does not hold ends the walk with its
// error; an empty year reads nothing.
template <class Visit>
Status WalkStoredLines(const std::filesystem::path& path, int count, Visit visit,
                       LineTexts texts = LineTexts::Checked, bool rollBack = true) {
    if (count < 1) return Ok();
    auto ledger = StoredLedger::Read(path, 1, count, rollBack);
    if (!ledger) return ledger.error();
    const int held = std::min(ledger->count(), count);
    const std::byte* p = ledger->data();
    LineTextCheck check;
    for (int n = 1; n <= held; ++n, p += kLedgerLineSize) {
        const StoredLedgerLine line(p);
        if (texts == LineTexts::Checked && !check.TextsRead(line)) [[unlikely]] {
            if (auto decoded = DecodeLedgerLineAt(path, n, line); !decoded) return decoded.error();
        }
        using Returned = decltype(visit(n, line));
        if constexpr (std::is_same_v<Returned, bool>) {
            if (!visit(n, line)) return Ok();
        } else {
            Returned r = visit(n, line);
            if (!r) return r.error();
            if constexpr (std::is_same_v<Returned, Result<bool>>) {
                if (!*r) return Ok();
            }
        }
    }
    if (held < count) return MissingLedgerLine(path, held + 1);
    return Ok();
}

// The same over the year's ledger as `s` names it (see StoredLedger::Read).
template <class Visit>
Status WalkStoredLines(const SharedState& s, int count, Visit visit,
                       LineTexts texts = LineTexts::Checked) {
    return WalkStoredLines(s.LedgerPath, count, std::move(visit), texts, !s.ReadOnly);
}

}  // namespace tabulo
