#include "shell/CheckStartup.h"

#include "platform/AtomicFile.h"
#include "platform/Prompt.h"
#include "shell/DataDisk.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {
namespace {

constexpr const char* kErrorTitle = "エラー確認";
// OK retries; Cancel gives up, so a wrong drive setting never locks the user out.
constexpr int kRetryStyle = MsgStyle::Exclamation + MsgStyle::OkCancel;

// "B:ドライブに..." for a letter drive, "/media/usb に..." for a directory drive.
std::string InsertDiskMessage(const std::string& setting) {
    const std::string drive = Trim(setting);
    const std::string where = drive.size() == 1 ? drive + ":ドライブ" : drive + " ";
    return where + "にデータディスクをセットしてください！！";
}

}  // namespace

StartupResult CheckStartup(SharedState& s, Prompt& prompt, const EnvLookup& env) {
    if (!ReadSetupFile(s)) {
        prompt.MsgBox("データが有りません！！", MsgStyle::Exclamation, kErrorTitle);
        return StartupResult::Failed;
    }
    FillKubunNames(s);
    // A save of the settings killed before its rename left its temporary file here.
    RemoveStaleTempFiles(s.ProgramFolder);
    // What a copy cut short in the last run left in the program folder goes now; a
    // failure here is tried again before the next copy.
    SettleAutomaticCopies(s.ProgramFolder);

    for (;;) {
        auto drive = ResolveDataDrive(s.ProgramFolder, s.SetupLines[1], env);
        Status probed = drive ? ProbeDataFolder(*drive) : Status(drive.error());
        if (probed) return StartupResult::Ready;
        switch (probed.error().code) {
        case FileErrorCode::DeviceUnavailable:
            if (prompt.MsgBox("パスが見つかりません！！", kRetryStyle, kErrorTitle) != Answer::Ok)
                return StartupResult::Abandoned;
            continue;
        case FileErrorCode::DiskNotReady:
            if (prompt.MsgBox(InsertDiskMessage(s.SetupLines[1]), kRetryStyle, kErrorTitle) !=
                Answer::Ok)
                return StartupResult::Abandoned;
            continue;
        case FileErrorCode::BadFileName:
            // Retrying cannot mend a setting that names no drive; the main window opens
            // so that the drive can be corrected in the settings.
            prompt.MsgBox(InsertDiskMessage(s.SetupLines[1]), MsgStyle::Exclamation, kErrorTitle);
            return StartupResult::Ready;
        case FileErrorCode::PathFileAccess:
            return StartupResult::Ready;
        default:
            prompt.MsgBox("データが有りません！！", MsgStyle::Exclamation, kErrorTitle);
            return StartupResult::Failed;
        }
    }
}

}  // namespace tabulo
