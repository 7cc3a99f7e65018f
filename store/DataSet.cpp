#include "store/DataSet.h"

#include "platform/Prompt.h"
#include "store/SharedState.h"

namespace tabulo {
namespace {
FileError NotYet() { return BadFormatError({}, "not yet"); }
}  // namespace

Status ReadSetupFile(SharedState&) { return NotYet(); }
Status WriteSetupFile(SharedState&) { return NotYet(); }
void UpdatePageLimit(SharedState&) {}
Status BuildDataFolder(SharedState&) { return NotYet(); }
Status BuildDataPaths(SharedState&) { return NotYet(); }
std::string YearTag(int) { return {}; }
void ReadDataSet(SharedState&, Prompt&, const std::function<void()>&) {}
Result<bool> ReadFiscalYearFile(SharedState&) { return NotYet(); }
Status WriteFiscalYearFile(SharedState&) { return NotYet(); }
Status LoadMaster(SharedState&) { return NotYet(); }
Status SaveMaster(SharedState&) { return NotYet(); }
Status LoadTaxReturnData(SharedState&) { return NotYet(); }
Status SaveTaxReturnData(SharedState&) { return NotYet(); }
Status LoadDepositBook(SharedState&) { return NotYet(); }
Status SaveDepositBook(SharedState&) { return NotYet(); }
Status ReadLedgerHeader(SharedState&) { return NotYet(); }
std::vector<std::byte> EncodeSetupFile(const std::array<std::string, 9>&) { return {}; }
Result<std::array<std::string, 9>> DecodeSetupFile(std::span<const std::byte>) { return NotYet(); }
Result<std::vector<std::byte>> EncodeFiscalYearFile(const FiscalYearValues&) { return NotYet(); }
Result<FiscalYearValues> DecodeFiscalYearFile(std::span<const std::byte>) { return NotYet(); }
Result<std::vector<std::byte>> EncodeMasterFile(const MasterHeaderArray&, const ItemTableArray&) {
    return NotYet();
}
Result<MasterData> DecodeMasterFile(std::span<const std::byte>, const std::array<std::string, 8>&) {
    return NotYet();
}
TaxReturnTables DefaultTaxReturnData() { return {}; }
Result<std::vector<std::byte>> EncodeTaxReturnFile(const TaxReturnTables&) { return NotYet(); }
Result<TaxReturnTables> DecodeTaxReturnFile(std::span<const std::byte>, const TaxReturnTables&) {
    return NotYet();
}
Status ComputeLedgerTotals(SharedState&) { return NotYet(); }
Result<int> FindFirstLineOnOrAfter(const SharedState&, std::string_view) { return NotYet(); }
Status CheckLedgerDates(SharedState&, Prompt&) { return NotYet(); }
void FillKubunNames(SharedState&) {}
void ClearYearData(SharedState&) {}
void ClearNameWork(SharedState&) {}
std::string FileErrorMessage(const FileError& e) { return e.detail; }
void ShowFileError(Prompt& prompt, const FileError& e) {
    prompt.MsgBox(FileErrorMessage(e), MsgStyle::Exclamation, "エラー確認");
}

}  // namespace tabulo
