#pragma once
// A failed file operation, with the run-time error number the messages are keyed on.

#include <string>
#include <utility>
#include <variant>

namespace tabulo {

namespace FileErrorCode {
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int DiskFull = 61;
inline constexpr int IoError = 57;
inline constexpr int BadFormat = 1000;  // a file that does not follow its layout
inline constexpr int Overflow = 6;      // 32-bit amount arithmetic overflowed
inline constexpr int NotEncodable = 1001;  // a text with no CP932 form was to be written
}  // namespace FileErrorCode

struct FileError {
    int code = 0;
    std::string path;    // the file or folder concerned, as a native path
    std::string detail;  // what was wrong, in Japanese, for the user
    bool writing = false;  // the failure came while writing (for the message's verb)
    // The new contents did reach the file and only making them durable failed (the
    // flush of the folder after a rename): the caller keeps what it wrote.
    bool applied = false;
    int line = 0;  // the ledger line at fault (an amount that overflows a sum), 0 for none
};

// Builds the error for a failed system call on `path` from errno.
FileError FileErrorFromErrno(int err, std::string path, bool writing = false);
// A file that does not follow its layout.
FileError BadFormatError(std::string path, std::string detail);

// Either a value or the error that prevented it.
template <class T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(FileError error) : v_(std::move(error)) {}
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const FileError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, FileError> v_;
};

struct Done {};
using Status = Result<Done>;
inline Status Ok() { return Done{}; }

}  // namespace tabulo
