// FURIKAE<nn>.DAT and KAMOKU.DAT: reading fails cleanly; what reads is written as a
// file that reads back the same and writes again to the same bytes. (Not always to the
// bytes it came from: CP932 gives some characters two codes, and the writer uses one.)
#include "FuzzCommon.h"
#include "books/BooksFiles.h"

using namespace tabulo;

namespace {
fuzz::Operation slipBookRead("a slip book read and written again");
fuzz::Operation itemAccountsRead("item accounts read and written again");
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = fuzz::AsBytes(data, size);
    if (auto book = DecodeSlipBook(input, "FURIKAE13.DAT")) {
        auto bytes = EncodeSlipBook(*book);
        fuzz::Require(bytes.ok(), "a slip book read from a file can be written");
        fuzz::Require(bytes->size() == input.size(), "a slip book keeps its length");
        auto again = DecodeSlipBook(*bytes, "FURIKAE13.DAT");
        fuzz::Require(again.ok() && *again == *book, "a written slip book reads back");
        auto bytes2 = EncodeSlipBook(*again);
        fuzz::Require(bytes2.ok() && *bytes2 == *bytes, "writing is stable");
        slipBookRead.Succeeded();
    }
    if (auto accounts = DecodeItemAccounts(input, "KAMOKU.DAT")) {
        auto again = DecodeItemAccounts(EncodeItemAccounts(*accounts), "KAMOKU.DAT");
        fuzz::Require(again.ok() && *again == *accounts, "written item accounts read back");
        itemAccountsRead.Succeeded();
    }
    return 0;
}
