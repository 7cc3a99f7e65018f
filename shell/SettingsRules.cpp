#include "shell/SettingsRules.h"

#include <cctype>

#include "platform/Prompt.h"
#include "shell/CheckStartup.h"
#include "store/DataSet.h"
#include "store/SharedState.h"
#include "store/Text.h"

namespace tabulo {

std::string SettingsBoxOnLeave(int box, std::string_view text, Prompt& prompt) {
    const bool empty = IsBlank(text);
    switch (box) {
    case 0:
        return empty ? std::string("A") : std::string(text);
    case 1:
        if (empty) return "2000";
        if (Val(text) > kMaxDataCount) {
            prompt.MsgBox(std::string("データ件数は") + "10,000" + "件までです。",
                          MsgStyle::Exclamation, "エラー確認");
            return RightAlign(std::to_string(kMaxDataCount), 5);
        }
        return std::string(text);
    default:
        return empty ? std::string("0") : std::string(text);
    }
}

SettingsBoxes SettingsBoxesFrom(const SharedState& s) {
    SettingsBoxes boxes;
    for (int i = 0; i < kSettingsBoxes; ++i) boxes[i] = s.SetupLines[i + 1];
    return boxes;
}

bool StoreSettingsBoxes(SharedState& s, const SettingsBoxes& boxes, Prompt& prompt) {
    const auto before = s.SetupLines;
    for (int i = 0; i < kSettingsBoxes; ++i) s.SetupLines[i + 1] = TrimRight(boxes[i]);
    std::string& drive = s.SetupLines[1];
    if (drive.size() == 1 && std::isalpha(static_cast<unsigned char>(drive[0])))
        drive[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    Status written = WriteSetupFile(s);
    if (!written) {
        s.SetupLines = before;
        UpdatePageLimit(s);
        ShowFileError(prompt, written.error());
        return false;
    }
    return true;
}

bool SaveSettingsAndReset(SharedState& s, const SettingsBoxes& boxes, Prompt& prompt,
                          const EnvLookup& env) {
    ClearYearData(s);
    if (!StoreSettingsBoxes(s, boxes, prompt)) return false;
    if (CheckStartup(s, prompt, env) != StartupResult::Ready) return true;
    // A new disk without DATE.DAT is asked for its year when the data are read.
    if (BuildDataFolder(s)) (void)ReadFiscalYearFile(s);
    return true;
}

}  // namespace tabulo
