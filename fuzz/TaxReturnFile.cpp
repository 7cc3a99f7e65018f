// SHINKOKU.DAT: reading fails cleanly or gives tables of the layout's shape, which the
// writer turns into a file that reads back to the same tables.
#include "FuzzCommon.h"
#include "store/DataSet.h"
#include "store/TaxReturnFile.h"

using namespace tabulo;

namespace {
fuzz::Operation fileRead("a tax-return file read and written again");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TaxReturnTables previous = DefaultTaxReturnData();
    auto t = DecodeTaxReturnFile(fuzz::AsBytes(data, size), previous);
    if (!t) return 0;
    fuzz::Require(HasTaxReturnShape(*t), "tables keep the layout's shape");
    auto bytes = EncodeTaxReturnFile(*t);
    fuzz::Require(bytes.ok(), "tables read from a file can be written");
    auto again = DecodeTaxReturnFile(*bytes, previous);
    fuzz::Require(again.ok(), "a written tax-return file reads");
    auto bytes2 = EncodeTaxReturnFile(*again);
    fuzz::Require(bytes2.ok() && *bytes2 == *bytes, "writing is stable");
    fileRead.Succeeded();
    return 0;
}
