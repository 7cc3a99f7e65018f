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

// What a target is for: an operation it drives, counted each time it succeeds. The
// tests replay each target's seed inputs (fuzz/seeds/<target>/) and require every
// operation the target names to succeed at least once, so that a target whose input
// can never reach its operation (a year the operations refuse) is found at once.
class Operation {
  public:
    explicit Operation(const char* name) : name_(name) { All().push_back(this); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    void Succeeded() { ++count_; }
    const char* Name() const { return name_; }
    long Count() const { return count_; }
    // Every operation of the target, in the order they are defined.
    static std::vector<Operation*>& All() {
        static std::vector<Operation*> all;
        return all;
    }

  private:
    const char* name_;
    long count_ = 0;
};

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tabulo::fuzz
