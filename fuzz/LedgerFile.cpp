// KEIRI<nn>.DAT: the header and every whole 42-byte line of the input. A line that
// reads writes back to bytes that read as the same line.
#include "FuzzCommon.h"
#include "store/BinaryRecords.h"

using namespace tabulo;

namespace {
fuzz::Operation headerRead("a ledger header read and written again");
fuzz::Operation lineRead("a ledger line read and written again");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto bytes = fuzz::AsBytes(data, size);
    auto header = DecodeLedgerHeader(bytes);
    if (!header) return 0;
    fuzz::Require(EncodeLedgerHeader(*header).size() == kLedgerHeaderSize, "header size");
    auto h2 = DecodeLedgerHeader(EncodeLedgerHeader(*header));
    fuzz::Require(h2.ok() && *h2 == *header, "header round trip");
    headerRead.Succeeded();
    for (std::size_t at = kLedgerHeaderSize; at + kLedgerLineSize <= size; at += kLedgerLineSize) {
        auto line = DecodeLedgerLine(bytes.subspan(at, kLedgerLineSize));
        if (!line) continue;
        auto written = EncodeLedgerLine(*line);
        fuzz::Require(written.ok() && written->size() == kLedgerLineSize, "a read line writes");
        auto again = DecodeLedgerLine(*written);
        fuzz::Require(again.ok() && *again == *line, "line round trip");
        lineRead.Succeeded();
    }
    return 0;
}
