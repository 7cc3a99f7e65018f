// The command line as a user types it, read into a request or refused with a reason.

#include "cli/Arguments.h"

#include <gtest/gtest.h>

namespace tabulo {
namespace {

ParsedArguments Parse(std::vector<std::string> args) { return ParseArguments(args); }

TEST(Arguments, OptionsMayStandAnywhereInEitherForm) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"export", "item", "7", "/d", "-o", "x.csv", "--encoding", "utf-8"},
             {"-ox.csv", "export", "item", "7", "--encoding=UTF-8", "/d"},
             {"export", "--output=x.csv", "item", "7", "/d", "--encoding", "utf8"},
         }) {
        auto p = Parse(args);
        ASSERT_TRUE(p.request) << p.error;
        EXPECT_EQ(p.request->kind, CliRequest::Export);
        const ExportRequest& e = p.request->exportRequest;
        EXPECT_EQ(e.what, "item");
        EXPECT_EQ(e.item, 7);
        EXPECT_EQ(e.folder, "/d");
        EXPECT_EQ(e.output, "x.csv");
        EXPECT_EQ(e.encoding, CsvEncoding::Utf8);
    }
    auto plain = Parse({"export", "ledger", "/d"});
    ASSERT_TRUE(plain.request);
    EXPECT_EQ(plain.request->exportRequest.encoding, CsvEncoding::Cp932);
    EXPECT_TRUE(plain.request->exportRequest.output.empty());
    // After "--" a folder may begin with a dash.
    auto dashed = Parse({"check", "--", "-odd folder"});
    ASSERT_TRUE(dashed.request) << dashed.error;
    EXPECT_EQ(dashed.request->folder, "-odd folder");
}

TEST(Arguments, PrintTakesTheReportItsNumberAndAPdf) {
    auto p = Parse({"print", "month", "4", "/d", "-o", "m.pdf"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_EQ(p.request->kind, CliRequest::Print);
    EXPECT_EQ(p.request->printRequest.what, "month");
    EXPECT_EQ(p.request->printRequest.number, 4);
    EXPECT_EQ(p.request->printRequest.output, "m.pdf");
    auto s = Parse({"print", "summary", "/d", "-o", "s.pdf"});
    ASSERT_TRUE(s.request) << s.error;
    EXPECT_EQ(s.request->printRequest.number, 0);
    EXPECT_TRUE(Parse({"print", "statement", "3", "/d", "-o", "s.pdf"}).request);
}

TEST(Arguments, ForceLetsAnExistingOutputBeReplaced) {
    auto e = Parse({"export", "ledger", "/d", "-o", "x.csv", "--force"});
    ASSERT_TRUE(e.request) << e.error;
    EXPECT_TRUE(e.request->exportRequest.force);
    auto p = Parse({"--force", "print", "month", "4", "/d", "-o", "m.pdf"});
    ASSERT_TRUE(p.request) << p.error;
    EXPECT_TRUE(p.request->printRequest.force);
    EXPECT_FALSE(Parse({"print", "month", "4", "/d", "-o", "m.pdf"}).request->printRequest.force);
    EXPECT_FALSE(Parse({"export", "ledger", "/d", "-o", "x.csv"}).request->exportRequest.force);
    EXPECT_FALSE(Parse({"check", "/d", "--force"}).request);
    EXPECT_NE(HelpText(true).find("--force"), std::string::npos);
    EXPECT_NE(HelpText(false).find("--force"), std::string::npos);
}

TEST(Arguments, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(Parse({"--help"}).request->kind, CliRequest::Help);
    EXPECT_EQ(Parse({"check", "-h"}).request->kind, CliRequest::Help);
    EXPECT_EQ(Parse({"--version"}).request->kind, CliRequest::Version);
    EXPECT_EQ(Parse({"-V"}).request->kind, CliRequest::Version);
    auto topic = Parse({"help", "check"});
    ASSERT_TRUE(topic.request) << topic.error;
    EXPECT_EQ(topic.request->kind, CliRequest::Help);
    EXPECT_EQ(topic.request->helpTopic, "check");
    EXPECT_EQ(Parse({"help"}).request->helpTopic, "");
    EXPECT_FALSE(Parse({"help", "delete"}).request);
    const std::string ja = HelpText(true), en = HelpText(false);
    EXPECT_EQ(ja.rfind("使い方:", 0), 0u);
    EXPECT_NE(ja.find("終了状態"), std::string::npos);
    EXPECT_EQ(en.rfind("Usage:", 0), 0u);
    EXPECT_NE(en.find("Exit status"), std::string::npos);
    EXPECT_EQ(HelpText(false, "print").find("--encoding cp932 (default)"), std::string::npos);
    EXPECT_NE(HelpText(false, "export").find("--encoding cp932 (default)"), std::string::npos);
}

TEST(Arguments, TheFolderMayBeLeftOutAndVerboseIsForCheck) {
    auto check = Parse({"check", "-v"});
    ASSERT_TRUE(check.request) << check.error;
    EXPECT_EQ(check.request->kind, CliRequest::Check);
    EXPECT_TRUE(check.request->folder.empty());
    EXPECT_TRUE(check.request->verbose);
    EXPECT_FALSE(Parse({"check", "/d"}).request->verbose);
    auto item = Parse({"export", "item", "7"});
    ASSERT_TRUE(item.request) << item.error;
    EXPECT_EQ(item.request->exportRequest.item, 7);
    EXPECT_TRUE(item.request->exportRequest.folder.empty());
    auto print = Parse({"print", "month", "4", "-o", "m.pdf"});
    ASSERT_TRUE(print.request) << print.error;
    EXPECT_TRUE(print.request->printRequest.folder.empty());
    auto refused = Parse({"export", "ledger", "-v"});
    EXPECT_FALSE(refused.request);
    // A refusal in each language alone.
    auto unknown = Parse({"check", "--frobnicate"});
    EXPECT_EQ(RefusalIn(unknown, true), "知らないオプションです: --frobnicate");
    EXPECT_EQ(RefusalIn(unknown, false), "unknown option: --frobnicate");
}

TEST(Arguments, WrongWordsNumbersAndOptionsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"check", "/d", "/e"},
        {"check", "/d", "-o", "x"},
        {"export"},
        {"export", "ledger", "/d", "/e"},
        {"export", "month", "4", "/d"},  // month is for print
        {"export", "item", "0", "/d"},
        {"export", "item", "51", "/d"},
        {"export", "item", "7x", "/d"},
        {"export", "item", "/d"},
        {"export", "ledger", "/d", "--encoding", "latin1"},
        {"export", "ledger", "/d", "-o"},
        {"export", "ledger", "/d", "-o", "a", "-o", "b"},
        {"export", "ledger", "/d", "--frobnicate"},
        {"print", "month", "13", "/d", "-o", "x.pdf"},
        {"print", "income", "0", "/d", "-o", "x.pdf"},
        {"print", "statement", "5", "/d", "-o", "x.pdf"},
        {"print", "deposits", "/d", "-o", "x.pdf"},
        {"print", "summary", "/d"},
        {"print", "summary", "/d", "-o", "x.pdf", "--encoding", "utf-8"},
        {"delete", "/d"},
    };
    for (const auto& args : bad) {
        auto p = Parse(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_FALSE(p.request) << joined;
        EXPECT_FALSE(p.error.empty()) << joined;
    }
}

}  // namespace
}  // namespace tabulo
