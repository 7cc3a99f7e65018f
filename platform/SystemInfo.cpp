#include "platform/SystemInfo.h"

#include <malloc.h>

#include <charconv>
#include <fstream>
#include <iterator>

namespace tabulo {
namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Calls `f(key, value)` for every "key: value" line.
template <class F>
void ForEachField(std::string_view text, F f) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        if (f(TrimBlanks(line.substr(0, colon)), TrimBlanks(line.substr(colon + 1)))) return;
    }
}

std::optional<long long> Kilobytes(std::string_view value) {
    long long n = 0;
    auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec != std::errc() || p == value.data()) return std::nullopt;
    return n;
}

std::string ReadProcFile(const char* path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

std::string ProcessorModelFrom(std::string_view cpuinfo) {
    std::string model;
    ForEachField(cpuinfo, [&](std::string_view key, std::string_view value) {
        // x86 names it "model name"; some ARM kernels give only "Processor" or "Hardware".
        if (key == "model name" || key == "Processor" || key == "Hardware") {
            model = std::string(value);
            return true;
        }
        return false;
    });
    return model;
}

std::optional<int> AvailableMemoryPercentFrom(std::string_view meminfo) {
    std::optional<long long> total, available;
    ForEachField(meminfo, [&](std::string_view key, std::string_view value) {
        if (key == "MemTotal") total = Kilobytes(value);
        if (key == "MemAvailable") available = Kilobytes(value);
        return total && available;
    });
    if (!total || !available || *total <= 0) return std::nullopt;
    return static_cast<int>((*available * 100 + *total / 2) / *total);
}

std::string ProcessorModel() { return ProcessorModelFrom(ReadProcFile("/proc/cpuinfo")); }

std::optional<int> AvailableMemoryPercent() {
    return AvailableMemoryPercentFrom(ReadProcFile("/proc/meminfo"));
}

void TrimWorkingSet() { malloc_trim(0); }

}  // namespace tabulo
