#pragma once
// The records of the redo log (KEIRI<nn>.JNL), as laid out in store/Journal.h: the
// log's mark, planning and encoding one operation's record, and reading a log back
// into its records. Internal to store/; what an operation does with them is in
// Journal.cpp.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "store/JournalCommon.h"

namespace tabulo::journal_detail {

constexpr char kLogMagic[8] = {'T', 'A', 'B', 'J', 'R', 'N', 'L', '3'};
constexpr std::size_t kLogHead = sizeof kLogMagic;
constexpr std::size_t kRecordHead = 12;  // u32 length of the body, u64 checksum

// The checksum of a record's body written at log offset `at`: a record is valid only
// where it was written.
std::uint64_t RecordChecksum(std::span<const std::byte> body, std::uint64_t at);

// The runs of every file of one record, and the length of its body.
struct RecordPlan {
    std::vector<std::vector<Run>> runs;
    std::size_t bodySize = 0;
};
RecordPlan PlanRecord(std::span<const FileChange> changes);
// The body of one record, into the plan.bodySize bytes at `p`.
void EncodeRecordBody(std::span<const FileChange> changes, const RecordPlan& plan, std::byte* p);
// The record head at `p`, before a body of `length` bytes already at p + kRecordHead,
// for a record written at log offset `at`: u32 length, u64 checksum.
void PutRecordHead(std::byte* p, std::size_t length, std::uint64_t at);

// A log read back: where each run's old and new bytes lie in the log's bytes.
struct LogRun {
    std::uint64_t offset = 0;
    std::size_t count = 0;
    std::size_t oldAt = 0, oldCount = 0;  // in the log's bytes
    std::size_t newAt = 0, newCount = 0;
};
struct LogFileChange {
    std::string name;
    bool existed = true;
    std::uint64_t oldLength = 0, newLength = 0;
    std::vector<LogRun> runs;
};
struct LogRecord {
    std::uint64_t at = 0;
    std::vector<LogFileChange> files;
};
struct ParsedLog {
    std::vector<std::byte> bytes;
    std::vector<LogRecord> records;
    bool torn = false;     // something after the last whole record: an operation cut short
    bool damaged = false;  // not a log of ours, or a record beyond these files' limits
};

// The log at `journal` as its records; a log that is not ours or names what it may
// not is `damaged`, one with a record cut short is `torn` after its whole records.
Result<ParsedLog> ReadLog(const fs::path& journal);

}  // namespace tabulo::journal_detail
