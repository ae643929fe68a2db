#include <gtest/gtest.h>

#include <filesystem>

#include "process_support.h"
#include "table_test_support.h"
#include "tables/fax_tables.h"

namespace corvane::tables {
namespace {

using testing::Quoted;
using testing::RunCommand;

class DbCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kProgram)) << kProgram << " is not built";
        home_ = dir_.Path() + "home/";
    }

    testing::CommandResult Db(const std::string& arguments) const {
        return RunCommand(std::string(kProgram) + " db " + arguments + " 2>&1");
    }

    void AddOutgoingRows() const {
        Table table;
        ASSERT_TRUE(OpenOutgoingTable(table, home_, ""));
        const struct {
            const char* subject;
            Date sent;
            bool archived;
        } rows[] = {{"first, \"quoted\"", {2024, 1, 1}, false},
                    {"second", {2024, 1, 3}, true},
                    {"third", {2024, 1, 2}, false}};
        for (const auto& row : rows) {
            table.Append();
            table.SetText("SUBJECT", row.subject);
            table.SetDate("DATESENT", row.sent);
            table.SetLogical("ARCHIVED", row.archived);
            table.Post();
        }
        table.Go(3);
        table.Delete();
    }

    static constexpr const char* kProgram = CORVANE_BIN_DIR "/corvane-fax";
    testing::ScratchDirectory dir_;
    std::string home_;
};

TEST_F(DbCommandTest, InitDumpCheckAndRebuild) {
    ASSERT_EQ(Db("init " + home_).exitCode, 0);
    for (const char* name :
         {"CVOUT.DBF", "CVOUT.CDX", "CVREC.DBF", "CVREC.CDX", "CVPB.DBF", "CVPB.CDX"})
        EXPECT_TRUE(std::filesystem::exists(home_ + name)) << name;
    AddOutgoingRows();
    const std::string table = home_ + "CVOUT.DBF";

    auto dump = Db("dump " + table + " --order DATESENT --query " + Quoted(".not. archived"));
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.output,
              "SUBJECT,DATESENT,TIMESENT,RECIPIENT,PHONE,LASTRESULT,FAXDOC,FAXCOVER,NOTES,CODES,"
              "ARCHIVED\n"
              "\"first, \"\"quoted\"\"\",2024-01-01,,,,,,,,,F\n");
    dump = Db("dump " + table + " --all");
    EXPECT_NE(dump.output.find("\n,\"first"), std::string::npos) << dump.output;
    EXPECT_NE(dump.output.find("\n*,third,2024-01-02"), std::string::npos) << dump.output;

    EXPECT_EQ(Db("check " + table).exitCode, 0);
    std::vector<char> bytes = testing::ReadBytes(table);
    bytes[bytes.size() - 3] = 'T';  // last row's ARCHIVED flag, behind the engine's back
    testing::WriteBytes(table, bytes);
    const auto check = Db("check " + table);
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.output.find("rows changed"), std::string::npos) << check.output;

    const auto rebuild = Db("rebuild " + home_);
    EXPECT_EQ(rebuild.exitCode, 0) << rebuild.output;
    EXPECT_NE(rebuild.output.find("Rebuilding PHONE file indexes"), std::string::npos)
        << rebuild.output;
    EXPECT_EQ(Db("check " + table).exitCode, 0);
    EXPECT_EQ(Db("dump " + table + " --all").output.find("third"),
              std::string::npos);  // packed away
}

TEST_F(DbCommandTest, BadArgumentsAndFilesAreReported) {
    ASSERT_EQ(Db("init " + home_).exitCode, 0);
    const std::string table = home_ + "CVOUT.DBF";
    const struct {
        std::string arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {"", 2, "usage"},
        {"frobnicate", 2, "usage"},
        {"dump", 2, "usage"},
        {"dump " + table + " --order", 2, "usage"},
        {"dump " + table + " --order NOSUCH", 1, "no tag NOSUCH"},
        {"dump " + table + " --query " + Quoted("SUBJECT ="), 1, "bad expression"},
        {"dump " + home_ + "MISSING.DBF", 1, "cannot open"},
        {"check " + home_ + "CV.INI", 1, "cannot open"},
    };
    for (const auto& c : cases) {
        const auto result = Db(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos)
            << c.arguments << ": " << result.output;
    }
    std::filesystem::remove(home_ + "CVPB.CDX");
    const auto check = Db("check " + home_ + "CVPB.DBF");
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.output.find("missing"), std::string::npos);
}

}  // namespace
}  // namespace corvane::tables
