#pragma once
// The two files of the double-entry books in the year's data folder. The cash book,
// the deposit book and the master keep their own files untouched: a year that never
// uses these books has neither file, and reading never creates one.
//
// KAMOKU.DAT (text, the comma-separated write style of MASTER.DAT, CR LF): the
// balance-sheet account chosen for each item, 50 lines "item,code" for items 1..50 in
// order; code 0 = none chosen, else a balance-sheet account of the chart (101..).
//
// FURIKAE<nn>.DAT (binary, little-endian, no padding; <nn> as KEIRI<nn>.DAT):
//   header, 10 bytes:
//     0  4  fixed string  "FRK1" (the format mark)
//     4  2  Integer       OpeningCount: opening balances that follow
//     6  4  Long          SlipCount: transfer slips that follow the openings
//   opening balance i (i = 1..OpeningCount), 6 bytes each, from byte 10:
//     0  2  Integer       AccountCode: a balance-sheet account, each at most once
//     2  4  Long          Balance: the balance on the account's own side (an asset's
//                         debit balance, a liability's or capital's credit balance)
//   transfer slip j (j = 1..SlipCount), 38 bytes each, after the openings:
//     0  6  fixed string  SlipDate: YYMMDD, the era year as in the cash book
//     6  2  Integer       DebitCode
//     8  2  Integer       CreditCode
//    10  4  Long          SlipAmount: yen, more than 0
//    14 24  fixed string  SlipRemarks: CP932, blank-filled on the right
// The file is exactly 10 + 6 × OpeningCount + 38 × SlipCount bytes long.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "books/Accounts.h"
#include "platform/FileError.h"

namespace tabulo {

struct SharedState;

inline constexpr std::size_t kSlipHeaderSize = 10;
inline constexpr std::size_t kOpeningRecordSize = 6;
inline constexpr std::size_t kSlipRecordSize = 38;
inline constexpr int kSlipRemarksBytes = 24;
inline constexpr const char* kSlipFileMark = "FRK1";

struct TransferSlip {
    std::string SlipDate;  // YYMMDD
    std::int16_t DebitCode = 0;
    std::int16_t CreditCode = 0;
    Amount SlipAmount = 0;
    std::string SlipRemarks;  // UTF-8, at most 24 CP932 bytes
    bool operator==(const TransferSlip&) const = default;
};

struct OpeningBalance {
    std::int16_t AccountCode = 0;
    Amount Balance = 0;
    bool operator==(const OpeningBalance&) const = default;
};

// The slips and the opening balance sheet of one year.
struct SlipBook {
    std::vector<OpeningBalance> Openings;
    std::vector<TransferSlip> Slips;
    bool operator==(const SlipBook&) const = default;
};

std::filesystem::path ItemAccountsPath(const SharedState& s);
std::filesystem::path SlipBookPath(const SharedState& s);

// Why a slip cannot be kept, or "" when it can: a date that is not six digits of a
// day, an unknown account, the same account on both sides, an amount not above 0,
// remarks with no CP932 form or longer than 24 bytes.
std::string SlipFault(const TransferSlip& slip);
// Why an opening balance cannot be kept, or "": not a balance-sheet account.
std::string OpeningFault(const OpeningBalance& opening);

// The first fault of a whole book (an opening balance or slip refused as above, an
// account opened twice), or "".
std::string SlipBookFault(const SlipBook& book);

// One slip's stored record (kSlipRecordSize bytes) written at `out`: remarks longer
// than their field are cut at a character boundary; remarks with no CP932 form are
// refused and nothing is written.
Status EncodeSlip(const TransferSlip& slip, std::byte* out);
// The slip of one stored record (exactly kSlipRecordSize bytes); a record that no
// slip could be written as is refused with the reason in the error's detail.
Result<TransferSlip> DecodeSlip(std::span<const std::byte> record);

Result<std::vector<std::byte>> EncodeSlipBook(const SlipBook& book);
// `path` names the file in the messages.
Result<SlipBook> DecodeSlipBook(std::span<const std::byte> bytes, const std::string& path);
// A missing or empty file is a year without slips or openings.
Result<SlipBook> LoadSlipBook(const std::filesystem::path& path);
// Checks every slip and opening first; writes nothing when one is refused. The file
// is replaced whole (written beside, flushed, renamed) and nothing is recorded in the
// year's history: for a file made whole at once (a year's sample, the tests' folders).
// The screens' changes go through Slips.h, which records each one.
Status SaveSlipBook(const std::filesystem::path& path, const SlipBook& book);

// The stored bytes of slip `index` (0-based, kept order) in the bytes of a slip book,
// or none when the bytes hold no such slip.
std::vector<std::byte> StoredSlip(std::span<const std::byte> file, std::size_t index);
// The opening balances in the bytes of a slip book: each account's code with the 4
// stored bytes of its balance, in stored order (none for bytes that are no slip book).
std::vector<std::pair<std::int16_t, std::vector<std::byte>>> StoredOpenings(
    std::span<const std::byte> file);

std::vector<std::byte> EncodeItemAccounts(const ItemAccountArray& accounts);
Result<ItemAccountArray> DecodeItemAccounts(std::span<const std::byte> bytes,
                                            const std::string& path);
// A missing or empty file: no item has an account chosen.
Result<ItemAccountArray> LoadItemAccounts(const std::filesystem::path& path);
// Writes KAMOKU.DAT whole (written beside, flushed, renamed), with nothing recorded:
// as SaveSlipBook. The screen's changes go through KeepItemAccounts (Slips.h).
Status SaveItemAccounts(const std::filesystem::path& path, const ItemAccountArray& accounts);
// Why an item's account cannot be kept ("" when every one can): not on the balance sheet.
std::string ItemAccountsFault(const ItemAccountArray& accounts);

}  // namespace tabulo
