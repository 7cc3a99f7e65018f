#pragma once
// Shared by the fuzz targets: the input as bytes, and a check that stops the run.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

namespace tabulo::fuzz {

inline std::span<const std::byte> AsBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const std::byte*>(data), size};
}

// A broken promise of a reader or writer: report and abort so the fuzzer keeps the input.
inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace tabulo::fuzz
