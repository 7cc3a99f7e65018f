#include "books/BooksFiles.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/AtomicFile.h"
#include "store/BinaryRecords.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"
#include "store/WriteStyle.h"
#include "store/FileLimits.h"

namespace tabulo {
namespace {

void PutInteger(std::byte* p, std::int16_t v) {
    StoreLittleEndian(p, static_cast<std::uint16_t>(v), 2);
}
void PutLong(std::byte* p, std::int32_t v) {
    StoreLittleEndian(p, static_cast<std::uint32_t>(v), 4);
}
std::int16_t GetInteger(const std::byte* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(LoadLittleEndian(p, 2)));
}
std::int32_t GetLong(const std::byte* p) {
    return static_cast<std::int32_t>(LoadLittleEndian(p, 4));
}

// A fixed field: the CP932 bytes filled with blanks; the caller has checked the width.
void PutField(std::byte* p, std::size_t width, const std::string& cp932) {
    std::memset(p, ' ', width);
    std::memcpy(p, cp932.data(), std::min(width, cp932.size()));
}

bool IsDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::filesystem::path ItemAccountsPath(const SharedState& s) {
    return YearFilePath(s.DataFolder, YearFileKind::ItemAccounts, s.FiscalYear);
}

std::filesystem::path SlipBookPath(const SharedState& s) {
    return YearFilePath(s, YearFileKind::SlipBook);
}

namespace {

// SlipFault short of the remarks: what a slip read from its stored bytes can still get
// wrong (its remarks, read from at most 24 CP932 bytes, are always writable).
const char* SlipFieldsFault(const TransferSlip& slip) {
    const std::string& d = slip.SlipDate;
    if (d.size() != 6 || !IsDigits(d)) return "日付は年月日の６桁です。";
    const int month = (d[2] - '0') * 10 + (d[3] - '0'), day = (d[4] - '0') * 10 + (d[5] - '0');
    if (month < 1 || month > 12 || day < 1 || day > 31) return "日付は年月日の６桁です。";
    if (!SlipAccount(slip.DebitCode)) return "借方の勘定科目がありません。";
    if (!SlipAccount(slip.CreditCode)) return "貸方の勘定科目がありません。";
    if (slip.DebitCode == slip.CreditCode) return "借方と貸方が同じ勘定科目です。";
    if (slip.SlipAmount <= 0) return "金額は１円以上です。";
    return nullptr;
}

}  // namespace

std::string SlipFault(const TransferSlip& slip) {
    if (const char* why = SlipFieldsFault(slip)) return why;
    auto remarks = ToCp932(slip.SlipRemarks);
    if (!remarks) return "摘要にシフトJISで書けない文字があります。";
    if (remarks->size() > static_cast<std::size_t>(kSlipRemarksBytes))
        return "摘要は全角１２文字（半角２４文字）までです。";
    return {};
}

std::string OpeningFault(const OpeningBalance& opening) {
    if (!IsBalanceSheetAccount(opening.AccountCode))
        return "期首残高は貸借対照表の勘定科目にだけ入ります。";
    return {};
}

Status EncodeSlip(const TransferSlip& slip, std::byte* p) {
    auto remarks = ToCp932(slip.SlipRemarks);
    if (!remarks)
        return FileError{FileErrorCode::NotEncodable, {}, "摘要にシフトJISで書けない文字があります。", true};
    if (remarks->size() > static_cast<std::size_t>(kSlipRemarksBytes))
        remarks = ToCp932(CutToBytes(slip.SlipRemarks, kSlipRemarksBytes));
    PutField(p, 6, slip.SlipDate);
    PutInteger(p + 6, slip.DebitCode);
    PutInteger(p + 8, slip.CreditCode);
    PutLong(p + 10, slip.SlipAmount);
    PutField(p + 14, kSlipRemarksBytes, *remarks);
    return Ok();
}

Result<TransferSlip> DecodeSlip(std::span<const std::byte> record) {
    if (record.size() != kSlipRecordSize)
        return BadFormatError({}, "振替伝票の長さが " + std::to_string(record.size()) + " バイトです。");
    const std::byte* p = record.data();
    TransferSlip slip;
    slip.SlipDate.assign(reinterpret_cast<const char*>(p), 6);
    slip.DebitCode = GetInteger(p + 6);
    slip.CreditCode = GetInteger(p + 8);
    slip.SlipAmount = GetLong(p + 10);
    auto remarks = FromCp932(std::string_view(reinterpret_cast<const char*>(p + 14), kSlipRemarksBytes));
    if (!remarks) return BadFormatError({}, "摘要が読めません。");
    slip.SlipRemarks = TrimRight(*remarks);
    if (const char* why = SlipFieldsFault(slip)) return BadFormatError({}, why);
    return slip;
}

Result<std::vector<std::byte>> EncodeSlipBook(const SlipBook& book) {
    // The file may not grow past what its readers take in.
    if (book.Openings.size() > static_cast<std::size_t>(INT16_MAX) ||
        book.Slips.size() > (kMaxSlipFileSize - kSlipHeaderSize - kOpeningRecordSize * book.Openings.size()) /
                                kSlipRecordSize)
        return BadFormatError({}, "振替伝票が多すぎます（振替伝票のファイルは " +
                                      std::to_string(kMaxSlipFileSize) + " バイトまでです）。");
    std::vector<std::byte> out(kSlipHeaderSize + kOpeningRecordSize * book.Openings.size() +
                               kSlipRecordSize * book.Slips.size());
    std::byte* p = out.data();
    std::memcpy(p, kSlipFileMark, 4);
    PutInteger(p + 4, static_cast<std::int16_t>(book.Openings.size()));
    PutLong(p + 6, static_cast<std::int32_t>(book.Slips.size()));
    p += kSlipHeaderSize;
    for (const OpeningBalance& o : book.Openings) {
        PutInteger(p, o.AccountCode);
        PutLong(p + 2, o.Balance);
        p += kOpeningRecordSize;
    }
    for (const TransferSlip& slip : book.Slips) {
        if (Status st = EncodeSlip(slip, p); !st) return st.error();
        p += kSlipRecordSize;
    }
    return out;
}

Result<SlipBook> DecodeSlipBook(std::span<const std::byte> bytes, const std::string& path) {
    if (bytes.size() < kSlipHeaderSize || std::memcmp(bytes.data(), kSlipFileMark, 4) != 0)
        return BadFormatError(path, "振替伝票のファイルではありません。");
    const int openings = GetInteger(bytes.data() + 4);
    const std::int32_t slips = GetLong(bytes.data() + 6);
    if (openings < 0 || slips < 0 ||
        bytes.size() != kSlipHeaderSize + kOpeningRecordSize * static_cast<std::size_t>(openings) +
                            kSlipRecordSize * static_cast<std::size_t>(slips))
        return BadFormatError(path, "件数とファイルの長さが合いません。");
    SlipBook book;
    const std::byte* p = bytes.data() + kSlipHeaderSize;
    for (int i = 1; i <= openings; ++i, p += kOpeningRecordSize) {
        OpeningBalance o{GetInteger(p), GetLong(p + 2)};
        if (std::string why = OpeningFault(o); !why.empty())
            return BadFormatError(path, "期首残高 " + std::to_string(i) + ": " + why);
        if (std::any_of(book.Openings.begin(), book.Openings.end(),
                        [&](const OpeningBalance& x) { return x.AccountCode == o.AccountCode; }))
            return BadFormatError(path, "期首残高 " + std::to_string(i) + ": 勘定科目が重複しています。");
        book.Openings.push_back(o);
    }
    book.Slips.reserve(static_cast<std::size_t>(slips));
    for (std::int32_t j = 1; j <= slips; ++j, p += kSlipRecordSize) {
        auto slip = DecodeSlip({p, kSlipRecordSize});
        if (!slip) return BadFormatError(path, "振替伝票 " + std::to_string(j) + ": " + slip.error().detail);
        book.Slips.push_back(std::move(*slip));
    }
    return book;
}

Result<SlipBook> LoadSlipBook(const std::filesystem::path& path) {
    auto bytes = ReadWholeFile(path, static_cast<std::size_t>(kMaxSlipFileSize));
    if (!bytes) return bytes.error();
    if (bytes->empty()) return SlipBook{};
    return DecodeSlipBook(*bytes, path.string());
}

std::string SlipBookFault(const SlipBook& book) {
    for (std::size_t i = 0; i < book.Openings.size(); ++i) {
        if (std::string why = OpeningFault(book.Openings[i]); !why.empty()) return why;
        for (std::size_t k = 0; k < i; ++k)
            if (book.Openings[k].AccountCode == book.Openings[i].AccountCode)
                return "期首残高の勘定科目が重複しています。";
    }
    for (const TransferSlip& slip : book.Slips)
        if (std::string why = SlipFault(slip); !why.empty()) return why;
    return {};
}

Status SaveSlipBook(const std::filesystem::path& path, const SlipBook& book) {
    if (std::string why = SlipBookFault(book); !why.empty())
        return FileError{FileErrorCode::BadFormat, path.string(), why, true};
    auto bytes = EncodeSlipBook(book);
    if (!bytes) return bytes.error();
    return AtomicSave(path, *bytes);
}

namespace {

// Where the slips begin and how many there are, when `file` is a slip book's bytes.
struct SlipBookShape {
    std::size_t openings = 0;
    std::size_t slips = 0;
};
std::optional<SlipBookShape> ShapeOf(std::span<const std::byte> file) {
    if (file.size() < kSlipHeaderSize || std::memcmp(file.data(), kSlipFileMark, 4) != 0)
        return std::nullopt;
    const int openings = GetInteger(file.data() + 4);
    const std::int32_t slips = GetLong(file.data() + 6);
    if (openings < 0 || slips < 0) return std::nullopt;
    return SlipBookShape{static_cast<std::size_t>(openings), static_cast<std::size_t>(slips)};
}

}  // namespace

std::vector<std::byte> StoredSlip(std::span<const std::byte> file, std::size_t index) {
    const auto shape = ShapeOf(file);
    if (!shape || index >= shape->slips) return {};
    const std::size_t at =
        kSlipHeaderSize + kOpeningRecordSize * shape->openings + kSlipRecordSize * index;
    if (at + kSlipRecordSize > file.size()) return {};
    return {file.begin() + static_cast<std::ptrdiff_t>(at),
            file.begin() + static_cast<std::ptrdiff_t>(at + kSlipRecordSize)};
}

std::vector<std::pair<std::int16_t, std::vector<std::byte>>> StoredOpenings(
    std::span<const std::byte> file) {
    std::vector<std::pair<std::int16_t, std::vector<std::byte>>> out;
    const auto shape = ShapeOf(file);
    if (!shape) return out;
    for (std::size_t i = 0; i < shape->openings; ++i) {
        const std::size_t at = kSlipHeaderSize + kOpeningRecordSize * i;
        if (at + kOpeningRecordSize > file.size()) break;
        out.emplace_back(GetInteger(file.data() + at),
                         std::vector<std::byte>(file.begin() + static_cast<std::ptrdiff_t>(at + 2),
                                                file.begin() + static_cast<std::ptrdiff_t>(at + 6)));
    }
    return out;
}

std::vector<std::byte> EncodeItemAccounts(const ItemAccountArray& accounts) {
    WriteStyleWriter w;
    for (int i = 1; i <= kItemCount; ++i) {
        w.Number(i);
        w.Number(accounts[static_cast<std::size_t>(i)]);
        w.EndLine();
    }
    return w.Take();
}

Result<ItemAccountArray> DecodeItemAccounts(std::span<const std::byte> bytes,
                                            const std::string& path) {
    ItemAccountArray accounts{};
    WriteStyleReader r(bytes);
    for (int i = 1; i <= kItemCount; ++i) {
        auto item = r.Int();
        if (!item) return FileError{item.error().code, path, item.error().detail};
        if (*item != i)
            return BadFormatError(path, std::to_string(i) + "行目の項目番号が " + std::to_string(i) +
                                            " ではありません。");
        auto code = r.Int();
        if (!code) return FileError{code.error().code, path, code.error().detail};
        if (*code != 0 && !IsBalanceSheetAccount(*code))
            return BadFormatError(path, std::to_string(i) +
                                            "行目の勘定科目は貸借対照表の科目ではありません。");
        accounts[static_cast<std::size_t>(i)] = *code;
    }
    if (!r.AtEnd()) return BadFormatError(path, "51行目以降に余分な値があります。");
    return accounts;
}

Result<ItemAccountArray> LoadItemAccounts(const std::filesystem::path& path) {
    auto bytes = ReadWholeFile(path, static_cast<std::size_t>(kMaxItemAccountsFileSize));
    if (!bytes) return bytes.error();
    if (bytes->empty()) return ItemAccountArray{};
    return DecodeItemAccounts(*bytes, path.string());
}

std::string ItemAccountsFault(const ItemAccountArray& accounts) {
    for (int i = 1; i <= kItemCount; ++i) {
        const int code = accounts[static_cast<std::size_t>(i)];
        if (code != 0 && !IsBalanceSheetAccount(code))
            return "項目 " + std::to_string(i) + " の勘定科目は貸借対照表の科目ではありません。";
    }
    return {};
}

Status SaveItemAccounts(const std::filesystem::path& path, const ItemAccountArray& accounts) {
    if (std::string why = ItemAccountsFault(accounts); !why.empty())
        return FileError{FileErrorCode::BadFormat, path.string(), why, true};
    return AtomicSave(path, EncodeItemAccounts(accounts));
}

}  // namespace tabulo
