#pragma once
// The cash-book file KEIRI<nn>.DAT opened for one operation. Lines are read and
// written one at a time through ReadLine/WriteLine, as the ledger rules are written;
// underneath, reads come from one block read and writes are gathered and go out in
// one positioned write at Commit(), so walking 10,000 lines costs two system calls.
// Nothing reaches the file before Commit(); an operation that fails half-way
// (an overflow, say) simply does not commit. Commit goes through the rollback journal
// (store/Journal.h), together with the deposit file when the operation changes it, so
// a failure or a kill at any point leaves both files as they were or as they are to
// be. One operation holds one LedgerFile: a second one opened on the same file
// meanwhile would not see the first one's pending lines.

#include <cstddef>
#include <cstdint>
#include <span>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/FileError.h"
#include "store/BinaryRecords.h"
#include "store/Journal.h"
#include "store/Records.h"

namespace tabulo {

struct SharedState;

// What an operation's pending changes do to the ledger file, kept so that the
// operation can be undone later: the lengths and the header before and after, the
// lines it changed within the old length as runs (a whole line whose entry changed,
// or only the balance field of a line whose balance alone moved), and the bytes it
// added past the old length.
struct LedgerImage {
    std::uint64_t oldLength = 0;
    std::uint64_t newLength = 0;
    std::vector<std::byte> headerBefore;  // the first min(18, length) bytes
    std::vector<std::byte> headerAfter;
    std::vector<std::uint32_t> runAt;     // where each run begins in the file
    std::vector<std::uint8_t> runSize;    // its length: 4 for a balance, else the line
    std::vector<std::byte> runBefore;     // the runs' old bytes, one after another
    std::vector<std::byte> runAfter;      // their new bytes, likewise
    std::vector<std::byte> grown;         // the bytes [oldLength, newLength) after
    std::size_t Bytes() const {
        return runBefore.size() + runAfter.size() + grown.size() + runAt.size() * 5;
    }
};

class LedgerFile {
  public:
    enum class Access {
        ReadWrite,  // the program: creates a missing file, rolls a live journal back
        ReadOnly,   // a tool that never writes: nothing is created or rolled back
    };
    // Opens (creating an empty file when there is none) for reading and writing; a
    // write-protected file opens for reading, and Commit then fails. ReadOnly opens
    // an existing file for reading only (Commit fails) and leaves its journal alone.
    // Only a regular file of at most kMaxLedgerFileSize bytes is opened; anything
    // else (a FIFO, a device, a link to one, a file too large) is refused, naming it.
    static Result<LedgerFile> Open(const std::filesystem::path& path,
                                   Access access = Access::ReadWrite);
    LedgerFile(LedgerFile&&) noexcept;
    LedgerFile& operator=(LedgerFile&&) noexcept;
    ~LedgerFile();  // closes without committing

    // Length of the file in bytes as it was when opened plus what is pending.
    std::size_t Size() const;

    // An empty file reads as a header of zeros; a file shorter than the header is an error.
    Result<LedgerHeaderRecord> ReadHeader();
    void WriteHeader(const LedgerHeaderRecord& header);
    // Line n (1-based). Reading a line the file does not hold is an error.
    Result<LedgerLine> ReadLine(int n);
    // Writing past the end grows the file; lines skipped over become blank lines
    // (balance 0). Fails only when a text has no CP932 form.
    Status WriteLine(int n, const LedgerLine& line);

    // The ledger walks work on the stored bytes of a line, so that a line whose
    // balance is all that changes is neither decoded nor encoded. HasLine(n) says
    // whether the file holds line n; RawLine must only be asked for such a line.
    bool HasLine(int n) const;
    std::span<const std::byte, kLedgerLineSize> RawLine(int n) const;
    // The stored bytes of line n, or null when the file does not hold it (HasLine
    // and RawLine in one call, for the walks).
    const std::byte* FindRawLine(int n) const;
    void WriteRawLine(int n, std::span<const std::byte, kLedgerLineSize> bytes);
    // Stores a line's balance; nothing changes when it is the stored one.
    void SetBalance(int n, Amount zandaka);
    // Stores the balances of the lines from `first` on, one a line (the results of a
    // walk), as SetBalance does each; every one of those lines must be in the file.
    void SetBalances(int first, std::span<const Amount> balances);

    // Writes every pending change to the file, with `alsoChanging` (the deposit
    // file) under the same journal, and flushes them. On failure nothing changed on
    // the disk and the pending changes are dropped.
    Status Commit(std::span<const FileChange> alsoChanging = {});
    // Drops every pending change.
    void Discard();
    // The pending changes as an image for a later undo (before Commit).
    LedgerImage PendingImage() const;
    // The whole file as it stands, pending changes included.
    std::span<const std::byte> Bytes() const;

    const std::filesystem::path& path() const;

  private:
    struct Impl;
    explicit LedgerFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// The year's ledger for one operation, read-only when the year was read by a tool
// that never writes (SharedState::ReadOnly).
Result<LedgerFile> OpenYearLedger(const SharedState& s);

}  // namespace tabulo
