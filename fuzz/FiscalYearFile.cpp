// DATE.DAT: reading fails cleanly or gives values the writer turns into a file that
// reads back to the same values.
#include "FuzzCommon.h"
#include "store/DataSet.h"

using namespace tabulo;

namespace {
fuzz::Operation fileRead("a fiscal-year file read and written again");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto v = DecodeFiscalYearFile(fuzz::AsBytes(data, size));
    if (!v) return 0;
    auto bytes = EncodeFiscalYearFile(*v);
    fuzz::Require(bytes.ok(), "values read from a file can be written");
    auto again = DecodeFiscalYearFile(*bytes);
    fuzz::Require(again.ok(), "a written fiscal-year file reads");
    auto bytes2 = EncodeFiscalYearFile(*again);
    fuzz::Require(bytes2.ok() && *bytes2 == *bytes, "writing is stable");
    fileRead.Succeeded();
    return 0;
}
