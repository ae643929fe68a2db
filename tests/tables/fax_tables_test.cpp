#include <gtest/gtest.h>

#include <filesystem>

#include "table_test_support.h"
#include "tables/fax_tables.h"
#include "tables/table_rebuild.h"

namespace corvane::tables {
namespace {

using testing::Column;
using testing::ScratchDirectory;

void AddOutgoing(Table& table, const std::string& subject, Date sent, const std::string& time,
                 bool archived = false) {
    table.Append();
    table.SetText("SUBJECT", subject);
    table.SetDate("DATESENT", sent);
    table.SetText("TIMESENT", time);
    table.SetLogical("ARCHIVED", archived);
    table.Post();
}

void AddPhone(Table& table, const std::string& name) {
    table.Append();
    table.SetText("NAME", name);
    table.SetText("PHONE", "555");
    table.Post();
}

class FaxTablesTest : public ::testing::Test {
  protected:
    bool Exists(const char* name) const { return std::filesystem::exists(dir_.Path() + name); }

    ScratchDirectory dir_;
    Table outgoing_;
};

TEST_F(FaxTablesTest, FirstStartCreatesAllTablesWithTheirFieldsAndTags) {
    ASSERT_TRUE(OpenOutgoingTable(outgoing_, dir_.Path(), ".not. archived"));
    Table received, phone;
    ASSERT_TRUE(OpenRecFaxDBF(received, dir_.Path()));
    ASSERT_TRUE(OpenPhoneTable(phone, dir_.Path(), false));
    for (const char* name :
         {"CVOUT.DBF", "CVOUT.CDX", "CVREC.DBF", "CVREC.CDX", "CVPB.DBF", "CVPB.CDX"})
        EXPECT_TRUE(Exists(name)) << name;

    const struct {
        Table& table;
        const std::vector<Field>& fields;
        const std::vector<TagDefinition>& tags;
    } tables[] = {{outgoing_, OutgoingFields(), OutgoingTags()},
                  {received, ReceivedFields(), ReceivedTags()},
                  {phone, PhoneFields(), PhoneTags()}};
    for (const auto& t : tables) {
        ASSERT_EQ(t.table.Fields().size(), t.fields.size());
        for (std::size_t i = 0; i < t.fields.size(); ++i) {
            EXPECT_EQ(t.table.Fields()[i].name, t.fields[i].name);
            EXPECT_EQ(t.table.Fields()[i].width, t.fields[i].width);
        }
        EXPECT_EQ(t.table.Tags(), t.tags);
    }
    EXPECT_EQ(outgoing_.Tags().size(), 5u);
    EXPECT_EQ(outgoing_.TagArea("DATESENT"), 1);
    EXPECT_EQ(outgoing_.Query(), ".not. archived");
    EXPECT_EQ(received.Query(), ".not. deleted()");
    EXPECT_EQ(phone.IndexOrd(), 1);
}

TEST_F(FaxTablesTest, OutgoingListIsNewestFirstWithArchivedHidden) {
    ASSERT_TRUE(OpenOutgoingTable(outgoing_, dir_.Path(), ".not. archived"));
    AddOutgoing(outgoing_, "old", {2023, 12, 31}, "23:59");
    AddOutgoing(outgoing_, "unsent", {}, "");
    AddOutgoing(outgoing_, "new", {2024, 1, 2}, "08:00");
    AddOutgoing(outgoing_, "newer same day", {2024, 1, 2}, "17:45");
    AddOutgoing(outgoing_, "archived", {2024, 6, 1}, "10:00", true);
    outgoing_.SetOrder(1);
    EXPECT_EQ(Column(outgoing_, "SUBJECT"),
              (std::vector<std::string>{"newer same day", "new", "old", "unsent"}));
    EXPECT_EQ(outgoing_.QueryRecCount(), 4u);

    // 60 characters are stored as their first 50.
    outgoing_.Append();
    outgoing_.SetText("SUBJECT", std::string(50, 'a') + "0123456789");
    outgoing_.Post();
    EXPECT_EQ(outgoing_.Text("SUBJECT"), std::string(50, 'a'));
}

TEST_F(FaxTablesTest, MissingOrDamagedIndexIsMadeAgainKeepingTheRows) {
    ASSERT_TRUE(OpenOutgoingTable(outgoing_, dir_.Path(), ""));
    AddOutgoing(outgoing_, "one", {2024, 1, 1}, "10:00");
    AddOutgoing(outgoing_, "two", {2024, 1, 2}, "10:00");
    outgoing_.Close();
    for (const char* damage : {"remove", "garbage"}) {
        const std::string index = dir_.Path() + "CVOUT.CDX";
        if (std::string(damage) == "remove")
            std::filesystem::remove(index);
        else
            testing::WriteBytes(index, std::vector<char>(100, '\x7f'));
        ASSERT_TRUE(OpenOutgoingTable(outgoing_, dir_.Path(), "")) << damage;
        EXPECT_EQ(outgoing_.Tags(), OutgoingTags()) << damage;
        outgoing_.SetOrder(1);
        EXPECT_EQ(Column(outgoing_, "SUBJECT"), (std::vector<std::string>{"two", "one"})) << damage;
        outgoing_.Close();
    }
}

TEST_F(FaxTablesTest, PhoneBookOrderIsTheNameAsTyped) {
    Table phone;
    ASSERT_TRUE(OpenPhoneTable(phone, dir_.Path(), true));
    for (const char* name : {"bravo", "Alpha", "Charlie", "alpha"}) AddPhone(phone, name);
    EXPECT_EQ(Column(phone, "NAME"),
              (std::vector<std::string>{"Alpha", "Charlie", "alpha", "bravo"}));
}

TEST_F(FaxTablesTest, CloseAndOpenKeepsOrderQueryAndRow) {
    ASSERT_TRUE(OpenOutgoingTable(outgoing_, dir_.Path(), ".not. archived"));
    AddOutgoing(outgoing_, "a", {2024, 1, 1}, "10:00");
    AddOutgoing(outgoing_, "b", {2024, 1, 3}, "10:00");
    AddOutgoing(outgoing_, "c", {2024, 1, 2}, "10:00", true);
    outgoing_.SetOrder(1);
    outgoing_.Go(1);
    FaxTableCloseAndOpen(outgoing_, ".not. archived");
    EXPECT_EQ(outgoing_.RecNo(), 1u);
    EXPECT_EQ(outgoing_.IndexOrd(), 1);
    EXPECT_EQ(outgoing_.QueryRecCount(), 2u);

    // A row that is hidden by the query: the first row stays current.
    FaxTableCloseAndOpen(outgoing_, "");
    outgoing_.Go(3);
    FaxTableCloseAndOpen(outgoing_, ".not. archived");
    EXPECT_EQ(outgoing_.Text("SUBJECT"), "b");
}

TEST_F(FaxTablesTest, RebuildRemovesDeletedRowsAndKeepsOrdersAndLists) {
    ASSERT_TRUE(OpenOutgoingTable(outgoing_, dir_.Path(), ".not. archived"));
    Table received, spare;
    ASSERT_TRUE(OpenRecFaxDBF(received, dir_.Path()));
    for (int day = 1; day <= 5; ++day)
        AddOutgoing(outgoing_, "fax" + std::to_string(day), {2024, 2, day}, "12:00", day == 4);
    for (const char* from : {"ACME", "Zeta", "Beta"}) {
        received.Append();
        received.SetText("FROM", from);
        received.SetNumber("PAGES", 3);
        received.Post();
    }
    outgoing_.SetOrder(outgoing_.TagArea("SUBJECT"));
    outgoing_.Go(2);
    outgoing_.Delete();
    received.SetOrder(received.TagArea("FROM"));
    received.Go(1);
    received.Delete();
    std::filesystem::remove(dir_.Path() + "CVREC.CDX");  // made again without an error
    const std::vector<std::string> listedBefore = Column(outgoing_, "SUBJECT");

    std::vector<std::string> labels;
    int gaugeReports = 0;
    RebuildFaxTables(
        outgoing_, received, spare, dir_.Path(),
        {[&](const std::string& label) { labels.push_back(label); }, [&](int) { ++gaugeReports; }});

    EXPECT_EQ(
        labels,
        (std::vector<std::string>{
            "Removing FAX file records marked for deletion", "Rebuilding FAX file indexes",
            "Removing RECEIVE file records marked for deletion", "Rebuilding RECEIVE file indexes",
            "Removing PHONE file records marked for deletion", "Rebuilding PHONE file indexes"}));
    EXPECT_GT(gaugeReports, 0);
    EXPECT_EQ(outgoing_.RecCount(), 4u);
    EXPECT_EQ(outgoing_.IndexOrd(), outgoing_.TagArea("SUBJECT"));
    EXPECT_EQ(Column(outgoing_, "SUBJECT"), listedBefore);
    EXPECT_EQ(received.RecCount(), 2u);
    EXPECT_EQ(Column(received, "FROM"), (std::vector<std::string>{"Zeta", "Beta"}));
    EXPECT_TRUE(std::filesystem::exists(dir_.Path() + "CVREC.CDX"));
    EXPECT_FALSE(spare.IsOpen());

    // The phone book did not exist: it was created, empty, with its tag.
    Table phone;
    phone.Open(dir_.Path() + "CVPB.DBF");
    EXPECT_EQ(phone.RecCount(), 0u);
    EXPECT_EQ(phone.Tags(), PhoneTags());
}

}  // namespace
}  // namespace corvane::tables
