#pragma once
// Runs of the built tabulo-cli on a fixture folder, for the end-to-end tests: the
// process with its output and errors caught, and the folder's files before and after.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

extern char** environ;

namespace tabulo::testing {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args`, its output and errors caught in files of `temp`. `env`
// replaces the locale and the program's folders (NAME=VALUE; a bare NAME= is unset).
inline Outcome Execute(const TempFolder& temp, const std::string& program,
                       const std::vector<std::string>& args,
                       const std::vector<std::string>& env = {}) {
    const fs::path outPath = temp / "stdout", errPath = temp / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> vars;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string var = *e;
        bool replaced = false;
        for (const std::string& own : env)
            replaced = replaced || var.compare(0, own.find('=') + 1, own, 0, own.find('=') + 1) == 0;
        if (!replaced) vars.push_back(var);
    }
    for (const std::string& own : env)
        if (own.back() != '=') vars.push_back(own);
    std::vector<char*> envp;
    for (auto& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    Outcome run;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int st = 0;
        waitpid(pid, &st, 0);
        run.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
}

// Every entry of a folder with its bytes, to see that a command wrote nothing. An
// entry that is no regular file (a link, a FIFO) is recorded as what it is and never
// read: reading a FIFO or a link to /dev/zero would not end.
inline std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        const auto status = fs::symlink_status(e.path());
        std::string what;
        if (fs::is_symlink(status))
            what = "link to " + fs::read_symlink(e.path()).string();
        else if (fs::is_regular_file(status))
            what = fs::file_size(e.path()) > (4u << 20) ? "large " + std::to_string(fs::file_size(e.path()))
                                                        : ReadBytes(e.path());
        else
            what = "kind " + std::to_string(static_cast<int>(status.type()));
        files[e.path().filename().string()] = what;
    }
    return files;
}

class CliRun : public ::testing::Test {
  protected:
    void SetUp() override {
        year = temp / "KEIRIDATA";
        fs::create_directories(year);
        for (const char* name :
             {"DATE.DAT", "MASTER.DAT", "SHINKOKU.DAT", "KEIRI13.DAT", "YOKIN13.DAT"})
            fs::copy_file(FixturePath(name), year / name);
    }
    // Under a Japanese locale, with a program folder of the test's own and no
    // $TABULO_DATA, unless `env` says otherwise.
    Outcome Cli(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
        std::vector<std::string> all{"LANG=ja_JP.UTF-8", "LC_ALL=", "LC_MESSAGES=",
                                     "TABULO_HOME=" + (temp / "home").string(), "TABULO_DATA="};
        all.insert(all.end(), env.begin(), env.end());
        // A later NAME= wins over an earlier one.
        std::vector<std::string> merged;
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            const std::string name = it->substr(0, it->find('=') + 1);
            bool seen = false;
            for (const auto& m : merged) seen = seen || m.rfind(name, 0) == 0;
            if (!seen) merged.push_back(*it);
        }
        return Execute(temp, TABULO_CLI, args, merged);
    }
    // Runs and checks that the data folder is byte for byte as before.
    Outcome Unchanged(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
        auto before = Snapshot(year);
        Outcome r = Cli(args, std::move(env));
        EXPECT_EQ(Snapshot(year), before) << "the folder changed";
        return r;
    }
    TempFolder temp;
    fs::path year;
};

}  // namespace tabulo::testing
