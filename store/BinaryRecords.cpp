#include "store/BinaryRecords.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "store/Text.h"

namespace tabulo {
namespace {

// Little-endian field access on a byte buffer. On a little-endian machine each is a
// plain load or store: the ledger walks read four fields of every line.
constexpr bool kLittleEndian = std::endian::native == std::endian::little;

void PutI16(std::byte* p, std::int16_t v) {
    auto u = static_cast<std::uint16_t>(v);
    if constexpr (kLittleEndian) {
        std::memcpy(p, &u, 2);
    } else {
        p[0] = static_cast<std::byte>(u & 0xFF);
        p[1] = static_cast<std::byte>(u >> 8);
    }
}
void PutI32(std::byte* p, std::int32_t v) {
    StoreLittleEndian(p, static_cast<std::uint32_t>(v), 4);
}
std::int16_t GetI16(const std::byte* p) { return GetRawInteger(p); }
std::int32_t GetI32(const std::byte* p) { return GetRawAmount(p); }

// A fixed string field: CP932, cut at a character boundary, blanks to the right.
Status PutText(std::byte* p, std::size_t width, const std::string& text, const char* field) {
    std::memset(p, ' ', width);
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::memcpy(p, text.data(), std::min(width, text.size()));
        return Ok();
    }
    auto bytes = ToCp932(text);
    // Most texts fit as they are; only a longer one is cut, at a character boundary.
    if (bytes && bytes->size() > width) bytes = ToCp932(CutToBytes(text, static_cast<int>(width)));
    if (!bytes) {
        FileError e;
        e.code = FileErrorCode::NotEncodable;
        e.writing = true;
        e.detail = std::string(field) + "に書き込めない文字があります。";
        return e;
    }
    std::memcpy(p, bytes->data(), std::min(width, bytes->size()));
    return Ok();
}
Result<std::string> GetText(const std::byte* p, std::size_t width, const char* field) {
    auto text = FromCp932(std::string_view(reinterpret_cast<const char*>(p), width));
    if (!text) return BadFormatError({}, std::string(field) + "の文字が正しくありません。");
    return *text;
}

// Deposit book fields (offsets within the 1,536 bytes).
constexpr std::size_t kNameAt = 0, kNameWidth = 18, kNoAt = 378, kNoWidth = 14, kCarriedAt = 672,
                      kCurrentAt = 756, kSpareAt = 840, kMaturityAt = 924, kMaturityWidth = 10,
                      kCarriedTotalAt = 1134, kCurrentTotalAt = 1138, kNoteAt = 1142,
                      kNoteWidth = 394;

}  // namespace

void PutRawAmount(std::byte* p, Amount v) { PutI32(p, v); }

int PlainRawLineMonthOther(std::span<const std::byte, kLedgerLineSize> line, char (&month)[2]) {
    const char* p = reinterpret_cast<const char*>(line.data()) + kLedgerDateOffset;
    // Blanks (0x20) are never part of a double-byte character, so trimming the bytes
    // trims the text; a plain ASCII date is its own text.
    int first = 0, last = 6;
    for (int i = 0; i < 6; ++i) {
        const char c = p[i];
        if (c < 0x20 || c >= 0x7F || c == '\\' || c == '~') return -1;
    }
    while (first < last && p[first] == ' ') ++first;
    while (last > first && p[last - 1] == ' ') --last;
    const int length = std::min(std::max(last - first - 2, 0), 2);
    for (int i = 0; i < length; ++i) month[i] = p[first + 2 + i];
    return length;
}

Result<std::string> RawLineMonth(std::span<const std::byte, kLedgerLineSize> line) {
    char plain[2];
    if (int n = PlainRawLineMonth(line, plain); n >= 0)
        return std::string(plain, static_cast<std::size_t>(n));
    auto text = GetText(&line[kLedgerDateOffset], kLedgerDateWidth, "年月日");
    if (!text) return text.error();
    std::string t = Trim(*text);
    return t.size() <= 2 ? std::string() : t.substr(2, 2);
}

std::vector<std::byte> EncodeLedgerHeader(const LedgerHeaderRecord& h) {
    std::vector<std::byte> out(kLedgerHeaderSize);
    PutI16(&out[0], h.LineCount);
    PutI32(&out[2], h.OpeningBalance);
    PutI32(&out[6], h.TotalIn);
    PutI32(&out[10], h.TotalOut);
    PutI32(&out[14], h.ClosingBalance);
    return out;
}

Result<LedgerHeaderRecord> DecodeLedgerHeader(std::span<const std::byte> bytes) {
    if (bytes.size() < kLedgerHeaderSize) {
        return BadFormatError({}, "出納帳の見出しが途中で切れています。");
    }
    LedgerHeaderRecord h;
    h.LineCount = GetI16(&bytes[0]);
    h.OpeningBalance = GetI32(&bytes[2]);
    h.TotalIn = GetI32(&bytes[6]);
    h.TotalOut = GetI32(&bytes[10]);
    h.ClosingBalance = GetI32(&bytes[14]);
    return h;
}

Status EncodeLedgerLineTo(const LedgerLine& line, std::span<std::byte, kLedgerLineSize> out) {
    if (auto r = PutText(&out[kLedgerDateOffset], kLedgerDateWidth, line.NenGetsuBi, "年月日"); !r) return r;
    if (auto r = PutText(&out[kLedgerYoubiOffset], kLedgerYoubiWidth, line.Youbi, "曜日"); !r) return r;
    PutI16(&out[kLedgerItemOffset], line.ItemNo);
    PutI32(&out[kLedgerIndataOffset], line.Indata);
    PutI32(&out[kLedgerOutdataOffset], line.Outdata);
    PutI32(&out[kLedgerZandakaOffset], line.Zandaka);
    return PutText(&out[kLedgerBikouOffset], kLedgerBikouWidth, line.Bikou, "備考");
}

Result<std::vector<std::byte>> EncodeLedgerLine(const LedgerLine& line) {
    std::vector<std::byte> out(kLedgerLineSize);
    if (auto r = EncodeLedgerLineTo(line, std::span<std::byte, kLedgerLineSize>(out)); !r) {
        return r.error();
    }
    return out;
}

Result<std::string> StoredLedgerLine::Date() const {
    if (PlainDate()) return std::string(DateBytes());
    return GetText(p_ + kLedgerDateOffset, kLedgerDateWidth, "年月日");
}
Result<std::string> StoredLedgerLine::Youbi() const {
    return GetText(p_ + kLedgerYoubiOffset, kLedgerYoubiWidth, "曜日");
}
Result<std::string> StoredLedgerLine::Bikou() const {
    return GetText(p_ + kLedgerBikouOffset, kLedgerBikouWidth, "備考");
}
bool StoredLedgerLine::YoubiReads() const {
    return ReadsAsCp932(Text(kLedgerYoubiOffset, kLedgerYoubiWidth));
}
bool StoredLedgerLine::BikouReads() const {
    return ReadsAsCp932(Text(kLedgerBikouOffset, kLedgerBikouWidth));
}

bool StoredLedgerLine::DateReads() const { return ReadsAsCp932(DateBytes()); }

Result<LedgerLine> StoredLedgerLine::Decode() const {
    LedgerLine line;
    auto date = Date();
    if (!date) return date.error();
    auto youbi = Youbi();
    if (!youbi) return youbi.error();
    auto bikou = Bikou();
    if (!bikou) return bikou.error();
    line.NenGetsuBi = std::move(*date);
    line.Youbi = std::move(*youbi);
    line.ItemNo = ItemNo();
    line.Indata = Indata();
    line.Outdata = Outdata();
    line.Zandaka = Zandaka();
    line.Bikou = std::move(*bikou);
    return line;
}

Result<LedgerLine> DecodeLedgerLine(std::span<const std::byte> bytes) {
    if (bytes.size() < kLedgerLineSize) {
        return BadFormatError({}, "出納帳の行が途中で切れています。");
    }
    return StoredLedgerLine(bytes.data()).Decode();
}

ScannedLedgerLine ScanLedgerLine(std::span<const std::byte, kLedgerLineSize> bytes) {
    ScannedLedgerLine out;
    auto text = [&](std::size_t at, std::size_t width, const char* field) {
        auto t = GetText(&bytes[at], width, field);
        if (t) return std::move(*t);
        out.badFields.emplace_back(field);
        return std::string();
    };
    const StoredLedgerLine stored(bytes);
    out.line.NenGetsuBi = text(kLedgerDateOffset, kLedgerDateWidth, "年月日");
    out.line.Youbi = text(kLedgerYoubiOffset, kLedgerYoubiWidth, "曜日");
    out.line.ItemNo = stored.ItemNo();
    out.line.Indata = stored.Indata();
    out.line.Outdata = stored.Outdata();
    out.line.Zandaka = stored.Zandaka();
    out.line.Bikou = text(kLedgerBikouOffset, kLedgerBikouWidth, "備考");
    return out;
}

Result<std::vector<std::byte>> EncodeDepositBook(const DepositBookRecord& book) {
    std::vector<std::byte> out(kDepositBookSize);
    for (int i = 0; i < kAccountSlots; ++i) {
        auto slot = static_cast<std::size_t>(i);
        if (auto r = PutText(&out[kNameAt + slot * kNameWidth], kNameWidth, book.AccountName[slot],
                             "名称");
            !r) {
            return r.error();
        }
        if (auto r =
                PutText(&out[kNoAt + slot * kNoWidth], kNoWidth, book.AccountNo[slot], "口座No.");
            !r) {
            return r.error();
        }
        PutI32(&out[kCarriedAt + slot * 4], book.CarriedBalance[slot]);
        PutI32(&out[kCurrentAt + slot * 4], book.CurrentBalance[slot]);
        PutI32(&out[kSpareAt + slot * 4], book.SpareAmount[slot]);
        if (auto r = PutText(&out[kMaturityAt + slot * kMaturityWidth], kMaturityWidth,
                             book.Maturity[slot], "満期");
            !r) {
            return r.error();
        }
    }
    PutI32(&out[kCarriedTotalAt], book.CarriedTotal);
    PutI32(&out[kCurrentTotalAt], book.CurrentTotal);
    if (auto r = PutText(&out[kNoteAt], kNoteWidth, book.DepositNote, "メモ"); !r) return r.error();
    return out;
}

Result<DepositBookRecord> DecodeDepositBook(std::span<const std::byte> bytes) {
    if (bytes.size() < kDepositBookSize) {
        return BadFormatError(
            {}, "預金データが途中で切れています（" + std::to_string(bytes.size()) + " バイト）。");
    }
    DepositBookRecord book;
    for (int i = 0; i < kAccountSlots; ++i) {
        auto slot = static_cast<std::size_t>(i);
        auto name = GetText(&bytes[kNameAt + slot * kNameWidth], kNameWidth, "名称");
        if (!name) return name.error();
        auto no = GetText(&bytes[kNoAt + slot * kNoWidth], kNoWidth, "口座No.");
        if (!no) return no.error();
        auto maturity =
            GetText(&bytes[kMaturityAt + slot * kMaturityWidth], kMaturityWidth, "満期");
        if (!maturity) return maturity.error();
        book.AccountName[slot] = std::move(*name);
        book.AccountNo[slot] = std::move(*no);
        book.Maturity[slot] = std::move(*maturity);
        book.CarriedBalance[slot] = GetI32(&bytes[kCarriedAt + slot * 4]);
        book.CurrentBalance[slot] = GetI32(&bytes[kCurrentAt + slot * 4]);
        book.SpareAmount[slot] = GetI32(&bytes[kSpareAt + slot * 4]);
    }
    book.CarriedTotal = GetI32(&bytes[kCarriedTotalAt]);
    book.CurrentTotal = GetI32(&bytes[kCurrentTotalAt]);
    auto note = GetText(&bytes[kNoteAt], kNoteWidth, "メモ");
    if (!note) return note.error();
    book.DepositNote = std::move(*note);
    return book;
}

namespace {
// Where each of the 62 bytes of a deposit account's history value lies in the record.
struct DepositPiece {
    std::size_t at;     // the first slot's field
    std::size_t width;  // one slot's width (0: a total, the same for every account)
};
constexpr std::array<DepositPiece, 8> kDepositPieces{{{kNameAt, kNameWidth},
                                                      {kNoAt, kNoWidth},
                                                      {kCarriedAt, 4},
                                                      {kCurrentAt, 4},
                                                      {kSpareAt, 4},
                                                      {kMaturityAt, kMaturityWidth},
                                                      {kCarriedTotalAt, 0},
                                                      {kCurrentTotalAt, 0}}};
std::size_t PieceWidth(const DepositPiece& p) { return p.width == 0 ? 4 : p.width; }
std::size_t PieceOffset(const DepositPiece& p, int account) {
    return p.at + static_cast<std::size_t>(account) * p.width;
}
}  // namespace

std::vector<std::byte> DepositAccountBytes(std::span<const std::byte> record, int account) {
    std::vector<std::byte> out;
    out.reserve(kDepositAccountBytes);
    if (account < 0 || account >= kAccountSlots || record.size() < kDepositBookSize) return out;
    for (const DepositPiece& p : kDepositPieces) {
        const std::size_t at = PieceOffset(p, account);
        out.insert(out.end(), record.begin() + static_cast<std::ptrdiff_t>(at),
                   record.begin() + static_cast<std::ptrdiff_t>(at + PieceWidth(p)));
    }
    return out;
}

void PutDepositAccountBytes(std::span<std::byte> record, int account,
                            std::span<const std::byte> bytes) {
    if (account < 0 || account >= kAccountSlots || record.size() < kDepositBookSize ||
        bytes.size() != kDepositAccountBytes)
        return;
    std::size_t from = 0;
    for (const DepositPiece& p : kDepositPieces) {
        const std::size_t w = PieceWidth(p);
        std::memcpy(record.data() + PieceOffset(p, account), bytes.data() + from, w);
        from += w;
    }
}

LedgerLine BlankLedgerLine(Amount zandaka) {
    LedgerLine line;
    line.NenGetsuBi = std::string(6, ' ');
    line.Youbi = std::string(6, ' ');
    line.Bikou = std::string(16, ' ');
    line.Zandaka = zandaka;
    return line;
}

DepositBookRecord ClearedDepositBook() {
    DepositBookRecord book;
    book.AccountName.fill(std::string(kNameWidth, ' '));
    book.AccountNo.fill(std::string(kNoWidth, ' '));
    book.Maturity.fill(std::string(kMaturityWidth, ' '));
    book.DepositNote = std::string(kNoteWidth, ' ');
    return book;
}

}  // namespace tabulo
