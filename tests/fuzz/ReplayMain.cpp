// Replays a fuzz target's seed inputs (every file of the folder given, in name order)
// through the target, as the fuzzer starts from them, and fails unless there were
// seeds and each operation the target names succeeded at least once. The target's own
// checks end the run at the first broken promise, as they do under the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SEED-FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> seeds;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(argv[1], ec))
        if (e.is_regular_file(ec)) seeds.push_back(e.path());
    std::sort(seeds.begin(), seeds.end());
    if (seeds.empty()) {
        std::fprintf(stderr, "no seed inputs in %s\n", argv[1]);
        return 1;
    }
    for (const std::filesystem::path& p : seeds) {
        const std::string bytes = tabulo::fuzz::ReadAll(p);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    const auto& operations = tabulo::fuzz::Operation::All();
    if (operations.empty()) {
        std::fprintf(stderr, "the target names no operation it drives\n");
        return 1;
    }
    int unreached = 0;
    for (const tabulo::fuzz::Operation* op : operations) {
        std::printf("%-55s %ld\n", op->Name(), op->Count());
        if (op->Count() == 0) {
            std::fprintf(stderr, "never succeeded from the %zu seeds: %s\n", seeds.size(), op->Name());
            ++unreached;
        }
    }
    return unreached == 0 ? 0 : 1;
}
