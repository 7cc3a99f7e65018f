#include "platform/FileError.h"

#include <cerrno>

namespace tabulo {

FileError FileErrorFromErrno(int err, std::string path, bool writing) {
    FileError e;
    e.path = std::move(path);
    e.writing = writing;
    switch (err) {
        case ENOENT:
            // Writing fails this way only when the folder is missing.
            e.code = writing ? FileErrorCode::PathNotFound : FileErrorCode::FileNotFound;
            e.detail = writing ? "パスが見つかりません。" : "ファイルが見つかりません。";
            break;
        case ENOTDIR:
            e.code = FileErrorCode::PathNotFound;
            e.detail = "パスが見つかりません。";
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EBUSY:
        case ETXTBSY:
            e.code = FileErrorCode::PathFileAccess;
            e.detail = "パス名またはファイル名にアクセスできません。";
            break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            e.code = FileErrorCode::DiskFull;
            e.detail = "ディスクの空き容量が不足しています。";
            break;
        case ENODEV:
        case ENXIO:
            e.code = FileErrorCode::DeviceUnavailable;
            e.detail = "デバイスが準備されていません。";
            break;
        case ENOMEDIUM:
            e.code = FileErrorCode::DiskNotReady;
            e.detail = "ディスクが準備されていません。";
            break;
        case ENAMETOOLONG:
            e.code = FileErrorCode::BadFileName;
            e.detail = "ファイル名が正しくありません。";
            break;
        default:
            e.code = FileErrorCode::IoError;
            e.detail = "デバイス I/O エラーです。";
            break;
    }
    return e;
}

FileError BadFormatError(std::string path, std::string detail) {
    FileError e;
    e.code = FileErrorCode::BadFormat;
    e.path = std::move(path);
    e.detail = std::move(detail);
    return e;
}

}  // namespace tabulo
