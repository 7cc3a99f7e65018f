#pragma once
// The fixture year of the double-entry books in a temporary folder: DATE, MASTER, the
// three-line cash book and the deposit book, with the item accounts and the slip book
// of tests/data/books; `export` run on it, and the folder's files to compare.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "tests/support/TempFolder.h"

namespace tabulo::testing {

class BooksFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"DATE.DAT", "MASTER.DAT", "KEIRI13.DAT", "YOKIN13.DAT"})
            WriteBytes(dir / name, ReadBytes(FixturePath(name)));
        for (const char* name : {"KAMOKU.DAT", "FURIKAE13.DAT"})
            WriteBytes(dir / name, ReadBytes(FixturePath(std::string("books/") + name)));
    }
    struct Run {
        int status = -1;
        std::string out, err;
    };
    Run Export(std::vector<std::string> args) {
        args.insert(args.begin(), "export");
        auto p = ParseArguments(args);
        EXPECT_TRUE(p.request) << p.error;
        if (!p.request) return {};
        std::ostringstream out, err;
        Run r;
        r.status = RunExport(p.request->exportRequest, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            files[e.path().filename().string()] = ReadBytes(e.path());
        return files;
    }
    static std::string Expected(const std::string& name) {
        return ReadBytes(std::filesystem::path(TABULO_CLI_TESTS) / "expected" / name);
    }
    TempFolder dir;
};

}  // namespace tabulo::testing
