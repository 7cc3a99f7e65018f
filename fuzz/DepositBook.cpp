// YOKIN<nn>.DAT: a record that reads writes back to 1,536 bytes that read the same.
#include "FuzzCommon.h"
#include "store/BinaryRecords.h"

using namespace tabulo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto book = DecodeDepositBook(fuzz::AsBytes(data, size));
    if (!book) return 0;
    auto written = EncodeDepositBook(*book);
    fuzz::Require(written.ok() && written->size() == kDepositBookSize, "a read record writes");
    auto again = DecodeDepositBook(*written);
    fuzz::Require(again.ok() && *again == *book, "record round trip");
    return 0;
}
