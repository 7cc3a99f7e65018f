#include "cli/DataFolder.h"

#include <system_error>

#include "platform/AtomicFile.h"
#include "store/DataSet.h"

namespace tabulo {
namespace {

bool HoldsYear(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::exists(folder / YearFileName(YearFileKind::FiscalYear, 0), ec) ||
           std::filesystem::exists(folder / "KEIRIDATA" / YearFileName(YearFileKind::FiscalYear, 0), ec);
}

// The data folder of the program folder's settings: the drive's KEIRIDATA. A missing
// or empty settings file is the default the program would write (drive A).
Result<std::filesystem::path> SettingsDataFolder(const std::filesystem::path& programFolder,
                                                 const EnvLookup& env) {
    const std::filesystem::path settings = programFolder / "TAB_SET3.DAT";
    auto bytes = ReadWholeFile(settings);
    if (!bytes) {
        FileError e = bytes.error();
        e.path = settings.string();
        return e;
    }
    auto lines = DecodeSetupFile(*bytes);
    if (!lines) {
        FileError e = lines.error();
        e.path = settings.string();
        return e;
    }
    auto drive = ResolveDataDrive(programFolder, (*lines)[1], env);
    if (!drive) {
        FileError e = drive.error();
        e.path = settings.string();
        return e;
    }
    return drive->dataFolder;
}

}  // namespace

Result<ChosenDataFolder> ChooseDataFolder(const std::filesystem::path& given, const EnvLookup& env) {
    if (!given.empty()) {
        std::error_code ec;
        // A program folder: the year is on the data drive its settings name.
        if (!HoldsYear(given) && std::filesystem::exists(given / "TAB_SET3.DAT", ec)) {
            auto folder = SettingsDataFolder(given, env);
            if (!folder) return folder.error();
            return ChosenDataFolder{*folder, "プログラムフォルダーの TAB_SET3.DAT のデータドライブ",
                                    "the data drive of the program folder's TAB_SET3.DAT"};
        }
        return ChosenDataFolder{given, "", ""};
    }
    if (auto data = env("TABULO_DATA"); data && !data->empty())
        return ChosenDataFolder{*data, "$TABULO_DATA", "$TABULO_DATA"};
    const std::filesystem::path programFolder = ProgramFolderPath(env);
    auto folder = SettingsDataFolder(programFolder, env);
    if (!folder) return folder.error();
    return ChosenDataFolder{*folder,
                            "プログラムのデータドライブ（" + (programFolder / "TAB_SET3.DAT").string() + "）",
                            "the program's data drive (" + (programFolder / "TAB_SET3.DAT").string() + ")"};
}

}  // namespace tabulo
