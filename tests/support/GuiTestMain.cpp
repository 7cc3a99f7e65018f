// Main of the form tests: one QApplication on the offscreen platform for all cases.
// Each test process keeps its user settings (QSettings) in a folder of its own, so
// that tests running side by side never see each other's choices, and the
// developer's own settings are never touched. The fonts are those of the font set
// that FONTCONFIG_FILE names (tests/CMakeLists.txt), with the program's substitutions.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Fonts.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    std::string config =
        (std::filesystem::temp_directory_path() / "tabulo-settings-XXXXXX").string();
    const bool own = mkdtemp(config.data()) != nullptr;
    if (own) setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        // The faces the forms ask for resolve as they do in the program.
        tabulo::RegisterFontSubstitutions();
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (own) {
        std::error_code ec;
        std::filesystem::remove_all(config, ec);
    }
    return result;
}
