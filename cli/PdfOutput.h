#pragma once
// A printout played into a PDF file, on the same page area as the window's printer.
// Needs a QGuiApplication.

#include <filesystem>

#include "platform/FileError.h"
#include "platform/PrintDocument.h"

namespace tabulo {

// Every page of `doc` into `path`; the file is replaced whole or left as it was.
Status WritePdf(const PrintDocument& doc, const std::filesystem::path& path);

}  // namespace tabulo
