#pragma once
// The year as the command line reads it. While the window runs, the cash book's redo
// log (KEIRI<nn>.JNL) may hold operations that are done but not yet written into the
// files; the command line never writes the data folder, so it reads such a year from
// a private copy in the temporary folder with the log settled there, as the program
// would settle it on reading. A year without such a log is read where it is.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "store/Journal.h"

namespace tabulo {

class ReadableYear {
  public:
    // `folder` as the commands take it (the year's folder or the drive folder above
    // it). An error names the file that could not be copied or settled; nothing of
    // the data folder is written either way.
    static Result<ReadableYear> Open(const std::filesystem::path& folder);
    ReadableYear(ReadableYear&& other) noexcept;
    ReadableYear& operator=(ReadableYear&&) = delete;
    ~ReadableYear();  // removes the copy

    // The folder to read: the one given, or the copy with the log settled.
    const std::filesystem::path& Folder() const { return read_; }
    // The year's own folder on the disk (for the checks on an output file).
    const std::filesystem::path& DataFolder() const { return data_; }
    // What the logs found did (empty: none counted).
    const std::vector<Settled>& Logs() const { return logs_; }
    // Whether a log was set aside or removed as damaged rather than applied.
    bool LogRefused() const;
    // What settling `log` did, in a sentence ("" for a log that did not count).
    static std::string LogText(const Settled& log, bool japanese);
    // The line for standard error that says a log was read, and how ("" when none).
    std::string Note(bool japanese) const;
    // `text` with the copy's folder named as the data folder it was copied from.
    std::string Shown(std::string text) const;
    FileError Shown(FileError e) const;

  private:
    ReadableYear() = default;
    std::filesystem::path given_, data_, read_, copy_;
    std::vector<Settled> logs_;
};

}  // namespace tabulo
