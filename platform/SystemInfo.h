#pragma once
// Facts about the machine for the about box, and the memory trim the forms ask for.

#include <optional>
#include <string>
#include <string_view>

namespace tabulo {

// The "model name" of the first processor in /proc/cpuinfo text; "" when absent.
std::string ProcessorModelFrom(std::string_view cpuinfo);
// MemAvailable as a whole percentage of MemTotal in /proc/meminfo text.
std::optional<int> AvailableMemoryPercentFrom(std::string_view meminfo);

// The same, read from this machine.
std::string ProcessorModel();
std::optional<int> AvailableMemoryPercent();

// Gives unused heap memory back to the system (called when large forms open and close).
void TrimWorkingSet();

}  // namespace tabulo
