// TAB_SET3.DAT: whatever the bytes, reading either fails cleanly or gives lines that
// write back to a file that reads the same.
#include "FuzzCommon.h"
#include "store/DataSet.h"

using namespace tabulo;

namespace {
fuzz::Operation fileRead("a settings file read and written again");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto lines = DecodeSetupFile(fuzz::AsBytes(data, size));
    if (!lines) return 0;
    auto bytes = EncodeSetupFile(*lines);
    fuzz::Require(bytes.ok(), "lines read from a file can be written");
    auto again = DecodeSetupFile(*bytes);
    fuzz::Require(again.ok(), "a written settings file reads");
    // A line read up to a lone CR/LF may differ; the written file is stable.
    auto bytes2 = EncodeSetupFile(*again);
    fuzz::Require(bytes2.ok() && *bytes2 == *bytes, "writing is stable");
    fileRead.Succeeded();
    return 0;
}
