#include "store/ImportedRows.h"

#include <set>

namespace tabulo {

namespace {

void PutLe(std::vector<std::byte>& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::byte>((v >> (8 * i)) & 0xFF));
}

std::uint64_t GetLe(const std::byte* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(p[i]);
    return v;
}

}  // namespace

std::size_t ImportedRowsPerRecord(std::size_t nameBytes) {
    const std::size_t head = 2 + nameBytes;
    return head >= kHistoryMaxValueBytes ? 0 : (kHistoryMaxValueBytes - head) / kImportedRowBytes;
}

std::vector<std::byte> EncodeImportedRows(const ImportedRows& rows) {
    std::vector<std::byte> out;
    out.reserve(2 + rows.name.size() + rows.rows.size() * kImportedRowBytes);
    out.push_back(static_cast<std::byte>(rows.kind));
    out.push_back(static_cast<std::byte>(rows.name.size()));
    for (char c : rows.name) out.push_back(static_cast<std::byte>(c));
    for (const ImportedRow& r : rows.rows) {
        PutLe(out, r.fingerprint, 8);
        PutLe(out, r.occurrence, 4);
        PutLe(out, r.date, 4);
        PutLe(out, static_cast<std::uint32_t>(r.in), 4);
        PutLe(out, static_cast<std::uint32_t>(r.out), 4);
    }
    return out;
}

std::optional<ImportedRows> DecodeImportedRows(std::span<const std::byte> bytes) {
    if (bytes.size() < 3) return std::nullopt;
    const auto kind = static_cast<std::uint8_t>(bytes[0]);
    const auto n = static_cast<std::size_t>(static_cast<std::uint8_t>(bytes[1]));
    if ((kind != 1 && kind != 2) || n < 1 || n > kMaxImportNameBytes || bytes.size() < 2 + n ||
        (bytes.size() - 2 - n) % kImportedRowBytes != 0)
        return std::nullopt;
    ImportedRows out;
    out.kind = static_cast<ImportedKind>(kind);
    out.name.assign(reinterpret_cast<const char*>(bytes.data()) + 2, n);
    for (std::size_t at = 2 + n; at < bytes.size(); at += kImportedRowBytes) {
        const std::byte* p = bytes.data() + at;
        out.rows.push_back(ImportedRow{GetLe(p, 8), static_cast<std::uint32_t>(GetLe(p + 8, 4)),
                                       static_cast<std::uint32_t>(GetLe(p + 12, 4)),
                                       static_cast<Amount>(static_cast<std::uint32_t>(GetLe(p + 16, 4))),
                                       static_cast<Amount>(static_cast<std::uint32_t>(GetLe(p + 20, 4)))});
    }
    return out;
}

std::vector<ImportedRows> ImportsInHistory(std::span<const HistoryRecord> records) {
    std::set<std::uint32_t> undone;
    for (const HistoryRecord& r : records)
        if (r.Operation == HistoryOperation::StatementImport && r.UndoOf != 0) undone.insert(r.UndoOf);
    std::vector<ImportedRows> out;
    for (const HistoryRecord& r : records) {
        if (r.Operation != HistoryOperation::StatementImport || r.UndoOf != 0 ||
            undone.count(r.Sequence))
            continue;
        if (auto rows = DecodeImportedRows(r.NewBytes)) out.push_back(std::move(*rows));
    }
    return out;
}

}  // namespace tabulo
