#pragma once
// Shared by the fuzz targets: the input as bytes, a check that stops the run, and a
// folder of their own for the targets that work on files.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
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

// A folder of its own under /tmp for a target that works on files, made once per run.
inline const std::filesystem::path& TempFolder(const char* pattern) {
    static const std::filesystem::path folder = [pattern] {
        std::string name = pattern;
        const char* made = ::mkdtemp(name.data());
        Require(made != nullptr, "temporary folder");
        return std::filesystem::path(made);
    }();
    return folder;
}

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tabulo::fuzz
