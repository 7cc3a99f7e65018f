#pragma once
// What a command prints, for reading PDF files with poppler's pdftotext and pdfinfo.

#include <array>
#include <cstdio>
#include <string>

namespace tabulo::testing {

inline std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        std::array<char, 4096> buf{};
        std::size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), f)) > 0) out.append(buf.data(), n);
        pclose(f);
    }
    return out;
}

}  // namespace tabulo::testing
