#include "platform/Drives.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/WholeFolder.h"

namespace tabulo {
namespace {

std::string TrimBlanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return std::string(s.substr(b, e - b));
}

}  // namespace

EnvLookup ProcessEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* v = std::getenv(name.c_str());
        if (v == nullptr) return std::nullopt;
        return std::string(v);
    };
}

Result<DataDrive> ResolveDataDrive(const std::filesystem::path& programFolder,
                                   std::string_view setting, const EnvLookup& env) {
    std::string value = TrimBlanks(setting);
    // "A" as stored; "A:" as a Windows user might type it.
    bool letter = (value.size() == 1 || (value.size() == 2 && value[1] == ':')) &&
                  std::isalpha(static_cast<unsigned char>(value[0]));
    DataDrive d;
    if (letter) {
        char L = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
        auto mounted = env("TABULO_DRIVE_" + std::string(1, L));
        if (mounted && !mounted->empty()) {
            d.directory = *mounted;
        } else {
            d.directory = programFolder / "drives" / std::string(1, L);
        }
        // Only a drive folder of the program's own may be made; a stick's mount point
        // that is missing means the stick is not there.
        d.createWhenMissing = !(mounted && !mounted->empty());
        d.dataFolder = d.directory / "KEIRIDATA";
        d.displayFolder = std::string(1, L) + ":\\KEIRIDATA";
        return d;
    }
    std::filesystem::path dir(value);
    if (value.empty() || !dir.is_absolute()) {
        FileError e;
        e.code = FileErrorCode::BadFileName;
        e.path = value;
        e.detail = "データドライブの指定が正しくありません。";
        return e;
    }
    d.directory = dir;
    d.createWhenMissing = false;
    d.dataFolder = dir / "KEIRIDATA";
    d.displayFolder = d.dataFolder.string();
    return d;
}

Status ProbeDataFolder(const DataDrive& drive) {
    const std::string dir = drive.directory.string();
    struct stat st {};
    if (::stat(drive.directory.c_str(), &st) != 0) {
        int err = errno;
        if (err == ENOENT && drive.createWhenMissing) {
            std::error_code ec;
            std::filesystem::create_directories(drive.directory, ec);
            if (ec) return FileErrorFromErrno(ec.value(), dir, true);
        } else if (err == ENOENT) {
            FileError e;
            e.code = FileErrorCode::DiskNotReady;
            e.path = dir;
            e.detail = "ディスクが準備されていません。";
            return e;
        } else {
            FileError e;
            e.code = FileErrorCode::DeviceUnavailable;
            e.path = dir;
            e.detail = "デバイスが準備されていません。";
            return e;
        }
    } else if (!S_ISDIR(st.st_mode) || ::access(drive.directory.c_str(), R_OK | W_OK | X_OK) != 0) {
        FileError e;
        e.code = FileErrorCode::DeviceUnavailable;
        e.path = dir;
        e.detail = "デバイスが準備されていません。";
        return e;
    }
    const std::string folder = drive.dataFolder.string();
    // A copy of a whole year onto this disk that was cut short is finished or undone
    // before anyone looks at the folder.
    if (auto settled = SettleFolder(drive.dataFolder); !settled) return settled.error();
    if (::stat(drive.dataFolder.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            FileError e;
            e.code = FileErrorCode::DeviceUnavailable;
            e.path = folder;
            e.detail = "データフォルダーがフォルダーではありません。";
            return e;
        }
        return Ok();
    }
    if (::mkdir(drive.dataFolder.c_str(), 0777) != 0 && errno != EEXIST) {
        return FileErrorFromErrno(errno, folder, true);
    }
    return Ok();
}

std::filesystem::path ProgramFolderPath(const EnvLookup& env) {
    if (auto home = env("TABULO_HOME"); home && !home->empty()) return *home;
    if (auto xdg = env("XDG_DATA_HOME"); xdg && !xdg->empty() &&
                                         std::filesystem::path(*xdg).is_absolute()) {
        return std::filesystem::path(*xdg) / "tabulo";
    }
    std::string home = env("HOME").value_or("");
    return std::filesystem::path(home) / ".local" / "share" / "tabulo";
}

}  // namespace tabulo
