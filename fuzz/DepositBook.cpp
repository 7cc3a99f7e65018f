// YOKIN<nn>.DAT: a record that reads writes back to 1,536 bytes that read the same.
#include "FuzzCommon.h"
#include "store/BinaryRecords.h"

using namespace tabulo;

namespace {
fuzz::Operation depositBookRead("a deposit book read and written again");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto book = DecodeDepositBook(fuzz::AsBytes(data, size));
    if (!book) return 0;
    auto written = EncodeDepositBook(*book);
    fuzz::Require(written.ok() && written->size() == kDepositBookSize, "a read record writes");
    auto again = DecodeDepositBook(*written);
    fuzz::Require(again.ok() && *again == *book, "record round trip");
    depositBookRead.Succeeded();
    return 0;
}
