#include "store/RedoLogRecords.h"

#include <algorithm>
#include <cstring>

#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"

namespace tabulo::journal_detail {

std::uint64_t RecordChecksum(std::span<const std::byte> body, std::uint64_t at) {
    // The record's place is part of its checksum: a record is valid only where it
    // was written.
    return Checksum(body) ^ (at * 0x9E3779B97F4A7C15ull);
}

namespace {

// The runs of one file a record keeps: the changed bytes within both lengths and all
// of the bytes between the two lengths, each inside one sector.
std::vector<Run> RecordRuns(const FileChange& c) {
    std::vector<Run> runs = FileRuns(c);
    const std::size_t common = std::min(c.before.size(), c.after.size());
    const std::size_t high = std::max(c.before.size(), c.after.size());
    // Usually the runs come in order, apart and within both lengths already (the
    // writers hand them over so): then they need only be cut at sectors.
    bool plain = true;
    for (std::size_t i = 0; i < runs.size() && plain; ++i)
        plain = runs[i].end <= common && (i == 0 || runs[i - 1].end < runs[i].begin);
    if (plain) {
        if (high > common) runs.push_back({common, high});
        return SplitAtSectors(runs);
    }
    std::erase_if(runs, [&](const Run& r) { return r.begin >= common; });
    for (Run& r : runs) r.end = std::min(r.end, common);
    // The writers hand the runs over in order; only ranges given out of order are sorted.
    const auto earlier = [](const Run& a, const Run& b) { return a.begin < b.begin; };
    if (!std::is_sorted(runs.begin(), runs.end(), earlier)) std::sort(runs.begin(), runs.end(), earlier);
    // Runs that overlap (ranges given out of order) are joined, in place.
    std::size_t kept = 0;
    for (const Run& r : runs) {
        if (kept > 0 && r.begin <= runs[kept - 1].end)
            runs[kept - 1].end = std::max(runs[kept - 1].end, r.end);
        else
            runs[kept++] = r;
    }
    runs.resize(kept);
    if (high > common) runs.push_back({common, high});
    return SplitAtSectors(runs);
}

}  // namespace

RecordPlan PlanRecord(std::span<const FileChange> changes) {
    RecordPlan plan;
    plan.bodySize = 4;
    for (const FileChange& c : changes) {
        plan.runs.push_back(RecordRuns(c));
        plan.bodySize += 2 + c.path.filename().string().size() + 1 + 8 + 8 + 4;
        for (const Run& r : plan.runs.back()) {
            plan.bodySize += 6;
            if (r.begin < c.before.size()) plan.bodySize += r.end - r.begin;
            if (r.begin < c.after.size()) plan.bodySize += r.end - r.begin;
        }
    }
    return plan;
}

namespace {

// Copies a run's bytes; most runs are a balance of four bytes, copied without a call.
inline std::byte* PutRunBytes(std::byte* p, const std::byte* from, std::size_t count) {
    if (count == 4)
        std::memcpy(p, from, 4);
    else
        std::memcpy(p, from, count);
    return p + count;
}

}  // namespace

// The body of one record, into the plan.bodySize bytes at `p`: u32 number of files;
// for each file: u16 name length, the name, u8 existed, u64 old length, u64 new length,
// u32 number of runs, and for each run u32 distance from the end of the run before,
// u16 count, the run's old bytes (those inside the old length) and its new bytes
// (those inside the new length).
void EncodeRecordBody(std::span<const FileChange> changes, const RecordPlan& plan, std::byte* p) {
    auto put = [&p](std::uint64_t v, int width) {
        StoreLittleEndian(p, v, width);
        p += width;
    };
    put(changes.size(), 4);
    for (std::size_t k = 0; k < changes.size(); ++k) {
        const FileChange& c = changes[k];
        p = PutFileHead(p, c, plan.runs[k].size());
        std::size_t at = 0;
        for (const Run& r : plan.runs[k]) {
            const std::size_t count = r.end - r.begin;
            put(r.begin - at, 4);
            put(count, 2);
            if (r.begin < c.before.size()) p = PutRunBytes(p, c.before.data() + r.begin, count);
            if (r.begin < c.after.size()) p = PutRunBytes(p, c.after.data() + r.begin, count);
            at = r.end;
        }
    }
}

// The record head at `p`, before a body of `length` bytes written at log offset `at`:
// u32 length, u64 checksum.
void PutRecordHead(std::byte* p, std::size_t length, std::uint64_t at) {
    const std::uint64_t sum = RecordChecksum(std::span<const std::byte>(p + kRecordHead, length), at);
    StoreLittleEndian(p, length, 4);
    StoreLittleEndian(p + 4, sum, 8);
}

namespace {

// Reads one record's body; false: damaged.
bool DecodeRecord(const std::vector<std::byte>& bytes, std::size_t from, std::size_t length,
                  const std::string& stem, LogRecord& rec) {
    Reader r(std::span<const std::byte>(bytes).subspan(from, length));
    std::size_t at = from;  // where `r` is, in `bytes`
    auto get = [&](std::uint64_t& v, int width) {
        if (!r.Get(v, width)) return false;
        at += static_cast<std::size_t>(width);
        return true;
    };
    std::uint64_t count = 0;
    if (!get(count, 4) || count == 0 || count > kMaxFilesPerOperation) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        LogFileChange f;
        std::uint64_t nameLength = 0, existed = 0, runCount = 0;
        std::span<const std::byte> name;
        if (!get(nameLength, 2) || !r.Take(nameLength, name)) return false;
        at += nameLength;
        if (!get(existed, 1) || !get(f.oldLength, 8) || !get(f.newLength, 8) || !get(runCount, 4))
            return false;
        f.name.assign(reinterpret_cast<const char*>(name.data()), name.size());
        f.existed = existed != 0;
        const std::uint64_t limit = LimitOf(f.name);
        if (limit == 0 || existed > 1 || f.oldLength > limit || f.newLength > limit ||
            (!f.existed && f.oldLength != 0) || !SameYear(f.name, stem))
            return false;
        for (const LogFileChange& seen : rec.files)
            if (seen.name == f.name) return false;
        const std::uint64_t common = std::min(f.oldLength, f.newLength);
        const std::uint64_t high = std::max(f.oldLength, f.newLength);
        std::uint64_t end = 0;
        for (std::uint64_t k = 0; k < runCount; ++k) {
            std::uint64_t gap = 0, n = 0;
            if (!get(gap, 4) || !get(n, 2)) return false;
            LogRun run;
            run.offset = end + gap;
            run.count = static_cast<std::size_t>(n);
            // Inside one sector, inside the longer length, and wholly on one side of
            // the shorter one.
            if (n == 0 || run.offset % kSectorSize + n > kSectorSize || run.offset > high ||
                n > high - run.offset || (run.offset < common && run.offset + n > common))
                return false;
            std::span<const std::byte> part;
            if (run.offset < f.oldLength) {
                run.oldAt = at;
                run.oldCount = run.count;
                if (!r.Take(run.count, part)) return false;
                at += run.count;
            }
            if (run.offset < f.newLength) {
                run.newAt = at;
                run.newCount = run.count;
                if (!r.Take(run.count, part)) return false;
                at += run.count;
            }
            end = run.offset + n;
            f.runs.push_back(run);
        }
        rec.files.push_back(std::move(f));
    }
    return r.AtEnd();
}

}  // namespace

Result<ParsedLog> ReadLog(const fs::path& journal) {
    ParsedLog log;
    auto bytes = ReadWholeFile(journal);
    if (!bytes) return bytes.error();
    log.bytes = std::move(*bytes);
    const std::vector<std::byte>& b = log.bytes;
    if (b.size() < kLogHead || std::memcmp(b.data(), kLogMagic, kLogHead) != 0) {
        log.damaged = true;
        return log;
    }
    const std::string stem = journal.stem().string();
    std::size_t at = kLogHead;
    while (at < b.size()) {
        Reader head(std::span<const std::byte>(b).subspan(at));
        std::uint64_t length = 0, sum = 0;
        if (!head.Get(length, 4) || !head.Get(sum, 8) || length > b.size() - at - kRecordHead ||
            RecordChecksum(std::span<const std::byte>(b).subspan(at + kRecordHead, length), at) != sum) {
            log.torn = true;
            break;
        }
        LogRecord rec;
        rec.at = at;
        if (!DecodeRecord(b, at + kRecordHead, static_cast<std::size_t>(length), stem, rec)) {
            log.damaged = true;
            return log;
        }
        log.records.push_back(std::move(rec));
        at += kRecordHead + static_cast<std::size_t>(length);
    }
    return log;
}

}  // namespace tabulo::journal_detail
