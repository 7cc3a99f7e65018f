// MASTER.DAT: reading fails cleanly; what it reads the writer always writes as a file
// that reads back and writes again to the same bytes.
#include "FuzzCommon.h"
#include "store/DataSet.h"

using namespace tabulo;

namespace {
fuzz::Operation fileRead("a master read and written again");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::array<std::string, 8> kubun = {"", "収入", "収入", "収入", "支出", "支出", "支出", ""};
    auto m = DecodeMasterFile(fuzz::AsBytes(data, size), kubun);
    if (!m) return 0;
    fuzz::Require(m->itemsRead >= 0 && m->itemsRead <= kItemCount, "item count in range");
    auto bytes = EncodeMasterFile(m->header, m->items);
    fuzz::Require(bytes.ok(), "a master read from a file can be written");
    auto again = DecodeMasterFile(*bytes, kubun);
    fuzz::Require(again.ok() && again->itemsRead == kItemCount, "a written master reads whole");
    auto bytes2 = EncodeMasterFile(again->header, again->items);
    fuzz::Require(bytes2.ok() && *bytes2 == *bytes, "writing is stable");
    fileRead.Succeeded();
    return 0;
}
