#pragma once
// Writes a rollback journal (mark "TABJRNL2") as an older version of the program left
// it beside the ledger, laid out as store/RollbackJournal.h describes, so that the
// tests can put one on a disk and check how it is settled. The program itself writes
// only the redo log.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "store/BinaryRecords.h"
#include "store/JournalCommon.h"
#include "store/RollbackJournal.h"

namespace tabulo {

inline std::vector<std::byte> EncodeJournal(std::span<const FileChange> changes) {
    using journal_detail::Run;
    std::vector<std::byte> body;
    auto put = [&body](std::uint64_t v, int width) { AppendLittleEndian(body, v, width); };
    put(changes.size(), 4);
    for (const FileChange& c : changes) {
        // The changed bytes inside both lengths and, when the file shrinks, all of the
        // old bytes past the new length, cut at sectors.
        const std::size_t common = std::min(c.before.size(), c.after.size());
        std::vector<Run> clamped;
        for (const Run& r : journal_detail::FileRuns(c))
            if (r.begin < common) clamped.push_back({r.begin, std::min(r.end, common)});
        if (c.before.size() > c.after.size()) clamped.push_back({common, c.before.size()});
        const std::vector<Run> runs = journal_detail::SplitAtSectors(clamped);
        const std::string name = c.path.filename().string();
        std::vector<std::byte> head(2 + name.size() + 1 + 8 + 8 + 4);
        journal_detail::PutFileHead(head.data(), c, runs.size());
        body.insert(body.end(), head.begin(), head.end());
        std::size_t at = 0;
        for (const Run& run : runs) {
            const std::size_t count = run.end - run.begin;
            put(run.begin - at, 4);
            put(count, 2);
            body.insert(body.end(), c.before.begin() + static_cast<std::ptrdiff_t>(run.begin),
                        c.before.begin() + static_cast<std::ptrdiff_t>(run.end));
            put(run.begin < c.after.size() ? PieceSum(c.after.subspan(run.begin, count)) : 0, 4);
            at = run.end;
        }
        const std::size_t from = c.before.size(), to = c.after.size();
        const std::size_t sector = kSectorSize;
        put(to <= from ? 0 : (to - 1) / sector - from / sector + 1, 4);
        for (std::size_t piece = from; piece < to;) {
            const std::size_t end = std::min((piece / sector + 1) * sector, to);
            put(PieceSum(c.after.subspan(piece, end - piece)), 4);
            piece = end;
        }
    }
    std::vector<std::byte> out;
    const char mark[8] = {'T', 'A', 'B', 'J', 'R', 'N', 'L', '2'};
    for (char m : mark) out.push_back(static_cast<std::byte>(m));
    AppendLittleEndian(out, body.size(), 4);
    AppendLittleEndian(out, JournalBodyChecksum(body), 8);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace tabulo
