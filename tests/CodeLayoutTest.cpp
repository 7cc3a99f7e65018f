// The shape of the source tree that a maintainer relies on: the folders' includes
// point one way only (no circle between subsystems, nothing but the shell opens the
// shell, nothing of the product reaches into the command line but the shell), the core
// libraries are free of Qt, and no file or screen keeps a name of the old form files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = TABULO_SOURCE_DIR;
// Folders of the product; tests, benchmarks and fuzz targets sit on top of everything.
const std::set<std::string> kSkipped = {"tests", "bench", "fuzz", "build", "scripts", "help",
                                        "packaging", "docs", ".ci", ".git", "cmake"};

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct SourceFile {
    std::string path;    // relative to the root, e.g. "books/Slips.cpp"
    std::string folder;  // its first folder
    std::vector<std::string> includes;  // the "..." includes
    std::vector<std::string> systemIncludes;  // the <...> includes
};

std::vector<SourceFile> ProductSources() {
    std::vector<SourceFile> out;
    const std::regex quoted(R"re(^\s*#\s*include\s+"([^"]+)")re");
    const std::regex angled(R"re(^\s*#\s*include\s+<([^>]+)>)re");
    for (const auto& top : fs::directory_iterator(kRoot)) {
        const std::string folder = top.path().filename().string();
        if (!top.is_directory() || kSkipped.count(folder) || folder.rfind("build", 0) == 0) continue;
        for (const auto& e : fs::recursive_directory_iterator(top.path())) {
            const std::string ext = e.path().extension().string();
            if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            SourceFile f;
            f.path = fs::relative(e.path(), kRoot).generic_string();
            f.folder = folder;
            std::istringstream lines(Read(e.path()));
            std::string line;
            std::smatch m;
            while (std::getline(lines, line)) {
                if (std::regex_search(line, m, quoted)) f.includes.push_back(m[1]);
                else if (std::regex_search(line, m, angled)) f.systemIncludes.push_back(m[1]);
            }
            out.push_back(std::move(f));
        }
    }
    return out;
}

std::string FolderOf(const std::string& include) {
    const auto slash = include.find('/');
    return slash == std::string::npos ? std::string() : include.substr(0, slash);
}

TEST(CodeLayout, TheSubsystemsIncludesPointOneWayOnly) {
    const auto sources = ProductSources();
    ASSERT_GT(sources.size(), 100u);
    // folder -> folder -> the first include that makes the arrow
    std::map<std::string, std::map<std::string, std::string>> arrows;
    for (const SourceFile& f : sources)
        for (const std::string& inc : f.includes) {
            const std::string to = FolderOf(inc);
            if (to.empty() || to == f.folder) continue;
            arrows[f.folder].emplace(to, f.path + " includes " + inc);
            EXPECT_TRUE(to != "shell" || f.folder == "shell")
                << f.path << " includes " << inc << ": only the shell opens the shell";
            EXPECT_TRUE(to != "cli" || f.folder == "shell")
                << f.path << " includes " << inc << ": the command line sits on the books";
        }
    EXPECT_FALSE(arrows.count("platform")) << "the platform layer includes none of the program";
    // A circle between folders: a walk that comes back to a folder still open.
    std::map<std::string, int> state;  // 1 open, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> walk = [&](const std::string& at) {
        state[at] = 1;
        path.push_back(at);
        for (const auto& [to, why] : arrows[at]) {
            if (state[to] == 1) {
                std::string circle;
                for (auto it = std::find(path.begin(), path.end(), to); it != path.end(); ++it)
                    circle += *it + " -> ";
                ADD_FAILURE() << "a circle: " << circle << to << " (" << why << ")";
            } else if (state[to] == 0) {
                walk(to);
            }
        }
        path.pop_back();
        state[at] = 2;
    };
    for (const auto& [from, to] : arrows)
        if (state[from] == 0) walk(from);
}

// The files of every core library, from the folders' CMakeLists.txt.
std::vector<std::string> CoreLibraryFiles() {
    std::vector<std::string> files;
    const std::regex library(R"(tabulo_core_library\(\s*(\w+)([^)]*)\))");
    for (const auto& top : fs::directory_iterator(kRoot)) {
        const fs::path lists = top.path() / "CMakeLists.txt";
        if (!top.is_directory() || !fs::exists(lists)) continue;
        const std::string text = Read(lists);
        for (std::sregex_iterator it(text.begin(), text.end(), library), end; it != end; ++it) {
            std::istringstream names((*it)[2].str());
            std::string name;
            while (names >> name) {
                if (name.front() == '#' || name.find('$') != std::string::npos) continue;
                files.push_back((fs::relative(top.path(), kRoot) / name).generic_string());
            }
        }
    }
    return files;
}

TEST(CodeLayout, TheCoreLibrariesAreFreeOfQt) {
    const auto core = CoreLibraryFiles();
    ASSERT_GT(core.size(), 50u);
    std::map<std::string, const SourceFile*> byPath;
    const auto sources = ProductSources();
    for (const SourceFile& f : sources) byPath[f.path] = &f;
    for (const std::string& file : core) {
        auto it = byPath.find(file);
        if (it == byPath.end()) continue;  // generated or outside the product folders
        for (const std::string& inc : it->second->systemIncludes)
            EXPECT_TRUE(inc.rfind("Q", 0) != 0) << file << " includes <" << inc << ">";
    }
}

TEST(CodeLayout, NoFileOrScreenKeepsAnOldFormName) {
    const std::vector<std::string> old = {
        "DataInp", "SelectKubun", "MasForm", "YokinForm", "SelYokin", "Getsuji", "Koumoku",
        "PrPrint", "InDataPrPrint", "Syukei1", "Syukei2", "Syukei3", "Syukei4", "NendoInp",
        "MentForm", "MentForm2", "BuTabulo", "Rireki", "KensakuForm", "DenshiForm", "MenuHyouji_Click"};
    for (const SourceFile& f : ProductSources()) {
        const std::string text = Read(kRoot / f.path);
        for (const std::string& name : old) {
            EXPECT_EQ(f.path.find(name), std::string::npos) << f.path;
            const std::regex word("\\b" + name + "\\b");
            EXPECT_FALSE(std::regex_search(text, word)) << f.path << " names " << name;
        }
    }
}

}  // namespace
