// The journal left beside the ledger, as the read of the data finds it: the input is
// written as KEIRI13.JNL next to a ledger and a deposit file, and settled. A
// rollback journal that does not decode changes neither file; whatever it says, only plain
// files of the folder are touched, and none is made longer than a file of ours can be.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzCommon.h"
#include "platform/AtomicFile.h"
#include "store/Journal.h"
#include "store/RollbackJournal.h"

using namespace tabulo;

namespace {

const std::filesystem::path& Folder() {
    return fuzz::TempFolder("/tmp/tabulo-fuzz-journal-XXXXXX");
}

using fuzz::ReadAll;

fuzz::Operation settled("a journal settled");
fuzz::Operation redone("a redo log's operation written into the files");

void WriteAll(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& folder = Folder();
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        std::filesystem::remove_all(e.path(), ec);
    const std::string ledger(18 + 3 * 42, 'L'), deposit(1536, 'Y');
    WriteAll(folder / "KEIRI13.DAT", ledger);
    WriteAll(folder / "YOKIN13.DAT", deposit);
    const std::string journal(reinterpret_cast<const char*>(data), size);
    WriteAll(folder / "KEIRI13.JNL", journal);

    // A redo log (the mark "TABJRNL3") may write its records into the files; a
    // rollback journal that does not decode changes nothing.
    const bool redo = size >= 8 && std::string(reinterpret_cast<const char*>(data), 8) == "TABJRNL3";
    const bool decodes = redo || DecodeJournal(fuzz::AsBytes(data, size)).ok();
    auto recovered = RecoverJournal(folder / "KEIRI13.JNL");
    if (!decodes) {
        fuzz::Require(ReadAll(folder / "KEIRI13.DAT") == ledger, "ledger untouched");
        fuzz::Require(ReadAll(folder / "YOKIN13.DAT") == deposit, "deposit file untouched");
        fuzz::Require(!recovered.ok() || *recovered != Recovery::RolledBack, "nothing rolled back");
    }
    if (recovered) {
        settled.Succeeded();
        if (redo && *recovered == Recovery::Completed && ReadAll(folder / "KEIRI13.DAT") != ledger)
            redone.Succeeded();
    }
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        fuzz::Require(e.path().parent_path() == folder, "only the folder's own files");
        if (e.is_regular_file(ec))
            fuzz::Require(e.file_size(ec) <= kMaxWholeFileSize, "no file longer than ours");
    }
    return 0;
}
