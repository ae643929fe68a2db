#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "table_test_support.h"
#include "tables/table.h"
#include "tables/table_error.h"

namespace corvane::tables {
namespace {

using testing::AppendPerson;
using testing::Column;
using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::WriteBytes;

const TagDefinition kByName{"NAME", "UPPER(NAME)", ".not. deleted()", false};
const TagDefinition kByAgeDown{"AGE", "AGE", ".not. deleted()", true};

class TableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = dir_.Path() + "PEOPLE.DBF";
        Table::Create(path_, testing::PeopleFields());
        table_.Open(path_);
    }

    void AddPeople() {
        AppendPerson(table_, "carol", 41);
        AppendPerson(table_, "Alice", 30, false);
        AppendPerson(table_, "bob", 52);
        AppendPerson(table_, "Dave", 30);
    }

    ScratchDirectory dir_;
    std::string path_;
    Table table_;
};

TEST_F(TableTest, CurrentRecordIsCountPlusOneWithoutACurrentRow) {
    EXPECT_EQ(table_.RecCount(), 0u);
    EXPECT_EQ(table_.RecNo(), 1u);
    EXPECT_FALSE(table_.HasCurrentRow());
    AddPeople();
    EXPECT_EQ(table_.RecNo(), 4u);  // the row just posted
    table_.First();
    EXPECT_EQ(table_.RecNo(), 1u);
    table_.Last();
    EXPECT_FALSE(table_.Next());
    EXPECT_EQ(table_.RecNo(), 5u);  // past the end
    EXPECT_TRUE(table_.Prior());
    EXPECT_EQ(table_.RecNo(), 4u);
    table_.SetQuery("AGE > 100");
    EXPECT_EQ(table_.QueryRecCount(), 0u);
    EXPECT_EQ(table_.RecNo(), 5u);  // everything filtered out
    EXPECT_THROW(table_.Text("NAME"), TableError);
}

TEST_F(TableTest, TagsOrderRowsAscendingDescendingAndFollowEdits) {
    AddPeople();
    table_.IndexTag(kByName);
    table_.IndexTag(kByAgeDown);
    EXPECT_EQ(table_.TagArea("age"), 2);
    EXPECT_EQ(table_.TagArea("NOSUCH"), 0);

    table_.SetOrder(table_.TagArea("NAME"));
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"Alice", "bob", "carol", "Dave"}));
    table_.SetOrder(2);
    // Equal keys keep record order in either direction.
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"bob", "carol", "Alice", "Dave"}));

    table_.Go(3);  // bob
    table_.Edit();
    table_.SetNumber("AGE", 5);
    table_.Post();
    AppendPerson(table_, "Eve", 45);
    EXPECT_EQ(Column(table_, "NAME"),
              (std::vector<std::string>{"Eve", "carol", "Alice", "Dave", "bob"}));
    table_.SetOrder(0);
    EXPECT_EQ(Column(table_, "NAME"),
              (std::vector<std::string>{"carol", "Alice", "bob", "Dave", "Eve"}));
    EXPECT_THROW(table_.SetOrder(3), TableError);
}

TEST_F(TableTest, DeletedRowsAreHiddenFromNavigationCountsAndTags) {
    AddPeople();
    table_.IndexTag(kByName);
    table_.SetOrder(1);
    table_.First();  // Alice
    table_.Next();   // bob
    table_.Delete();
    EXPECT_EQ(table_.Text("NAME"), "carol");  // the cursor moved on
    EXPECT_EQ(table_.RecCount(), 4u);
    EXPECT_EQ(table_.QueryRecCount(), 3u);
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"Alice", "carol", "Dave"}));
    EXPECT_THROW(table_.Go(3), TableError);

    table_.SetDeletedHidden(false);
    table_.SetOrder(0);
    table_.Go(3);
    EXPECT_TRUE(table_.IsDeleted());

    table_.SetDeletedHidden(true);
    table_.Last();
    table_.Delete();  // the last row: the cursor falls back to the visible one before
    EXPECT_EQ(table_.RecNo(), 2u);
}

TEST_F(TableTest, QueryHidesRowsAndAnEditLeavingItMovesTheCursor) {
    AddPeople();
    table_.SetQuery("ACTIVE");
    EXPECT_EQ(table_.QueryRecCount(), 3u);
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"carol", "bob", "Dave"}));
    table_.First();
    table_.Edit();
    table_.SetLogical("ACTIVE", false);
    table_.Post();
    EXPECT_EQ(table_.Text("NAME"), "bob");
    EXPECT_THROW(table_.SetQuery("NAME"), ExpressionError);  // not logical
    EXPECT_EQ(table_.Query(), "ACTIVE");

    // The query is applied again when the table is opened again.
    table_.Close();
    table_.Open(path_);
    EXPECT_EQ(table_.QueryRecCount(), 2u);
    table_.SetQuery("");
    EXPECT_EQ(table_.QueryRecCount(), 4u);
}

TEST_F(TableTest, CancelDropsTheEditAndAppendNeedsPost) {
    AppendPerson(table_, "Alice", 30);
    table_.Edit();
    table_.SetText("NAME", "Changed");
    EXPECT_EQ(table_.Text("NAME"), "Changed");
    table_.Cancel();
    EXPECT_EQ(table_.Text("NAME"), "Alice");
    table_.Append();
    table_.Cancel();
    EXPECT_EQ(table_.RecCount(), 1u);
    EXPECT_THROW(table_.SetText("NAME", "x"), TableError);  // not editing
    table_.Edit();
    EXPECT_THROW(table_.SetText("AGE", "x"), TableError);  // wrong type
    EXPECT_THROW(table_.SetText("NOSUCH", "x"), TableError);
}

TEST_F(TableTest, TagsKeptUpToDateByEditsEqualFreshlyBuiltOnes) {
    table_.IndexTag(kByName);
    table_.IndexTag(kByAgeDown);
    table_.IndexTag({"ACTIVE", "ACTIVE", "AGE > 20", false});
    std::mt19937 random(7);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 400; ++step) {
        table_.SetOrder(pick(4));
        const int action = table_.RecCount() == 0 ? 0 : pick(3);
        if (action == 0) {
            AppendPerson(table_, std::string(1, static_cast<char>('a' + pick(26))), pick(60),
                         pick(2) == 0);
            continue;
        }
        table_.First();
        for (int skip = pick(10); skip > 0 && table_.Next();) --skip;
        if (!table_.HasCurrentRow())
            continue;
        if (action == 1) {
            table_.Edit();
            table_.SetNumber("AGE", pick(60));
            table_.SetText("NAME", std::string(1, static_cast<char>('A' + pick(26))));
            table_.Post();
        } else {
            table_.Delete();
        }
    }
    table_.Close();
    table_.Open(path_);
    EXPECT_EQ(table_.OpenedIndexState().status, IndexState::Matching)
        << table_.OpenedIndexState().reason;
    EXPECT_EQ(table_.CheckIndexFile(), "");
}

TEST_F(TableTest, NavigatingAwayPostsAPendingEdit) {
    AppendPerson(table_, "Alice", 30);
    table_.Append();
    table_.SetText("NAME", "Bob");
    table_.First();
    EXPECT_EQ(table_.RecCount(), 2u);
    table_.Edit();
    table_.SetText("NAME", "Ann");
    table_.Next();
    EXPECT_EQ(table_.Text("NAME"), "Bob");
    table_.Close();
    table_.Open(path_);
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"Ann", "Bob"}));
}

TEST_F(TableTest, PackRemovesDeletedRowsForGoodAndReportsProgress) {
    AddPeople();
    table_.IndexTag(kByName);
    table_.SetOrder(1);
    table_.Go(2);
    table_.Delete();
    std::vector<int> progress;
    table_.SetGaugeHook([&](int percent) { progress.push_back(percent); });
    table_.Pack();
    EXPECT_EQ(table_.RecCount(), 3u);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"bob", "carol", "Dave"}));
    table_.Close();
    table_.SetDeletedHidden(false);
    table_.Open(path_);
    EXPECT_EQ(table_.OpenedIndexState().status, IndexState::Matching);
    EXPECT_EQ(table_.RecCount(), 3u);
}

TEST_F(TableTest, ExclusiveAndSharedOpeningUseRealLocks) {
    Table other;
    EXPECT_THROW(other.Open(path_, OpenMode::Shared), TableError);  // table_ holds it exclusively
    EXPECT_THROW(Table::Create(path_, testing::PeopleFields()), TableError);
    table_.Close();
    table_.Open(path_, OpenMode::Shared);
    other.Open(path_, OpenMode::Shared);
    EXPECT_THROW(Table().Open(path_, OpenMode::Exclusive), TableError);
    EXPECT_THROW(table_.Pack(), TableError);

    // Appends of two shared handles do not overwrite each other.
    AppendPerson(table_, "Alice", 30);
    AppendPerson(other, "Bob", 40);
    EXPECT_EQ(other.RecCount(), 2u);
    table_.Refresh();
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"Alice", "Bob"}));
}

TEST_F(TableTest, PostedRowsSurviveAKilledProgramAndTheIndexIsRebuilt) {
    table_.IndexTag(kByName);
    table_.Close();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Table table;
        table.Open(path_);
        AppendPerson(table, "zed", 1);
        AppendPerson(table, "amy", 2);
        table.Go(1);
        table.Edit();
        table.SetText("NAME", "mia");
        table.Post();
        _exit(0);  // no close: the index file is never written
    }
    int status = 0;
    waitpid(child, &status, 0);

    table_.Open(path_);
    EXPECT_EQ(table_.OpenedIndexState().status, IndexState::Rebuilt);
    table_.SetOrder(1);
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"amy", "mia"}));
}

TEST_F(TableTest, AStaleOrDamagedIndexIsNeverUsed) {
    AddPeople();
    table_.IndexTag(kByName);
    table_.Close();
    const std::vector<char> goodIndex = ReadBytes(Table::IndexPathFor(path_));

    // Another program renames Alice (record 2) to Zoe behind our back.
    std::vector<char> dbf = ReadBytes(path_);
    const std::size_t headerLength = 32 + 32 * 4 + 1;
    const std::size_t recordLength = 1 + 10 + 8 + 3 + 1;
    std::copy_n("Zoe  ", 5, dbf.begin() + static_cast<long>(headerLength + recordLength + 1));
    WriteBytes(path_, dbf);
    {
        Table reader;
        reader.Open(path_, OpenMode::ReadOnly);
        EXPECT_NE(reader.CheckIndexFile(), "");
    }
    table_.Open(path_);
    EXPECT_EQ(table_.OpenedIndexState().status, IndexState::Rebuilt);
    table_.SetOrder(1);
    EXPECT_EQ(Column(table_, "NAME"), (std::vector<std::string>{"bob", "carol", "Dave", "Zoe"}));
    EXPECT_EQ(table_.CheckIndexFile(), "");  // the rebuilt index was written back
    table_.Close();

    // A flipped byte in the orders: rebuilt from the intact definitions.
    std::vector<char> damaged = ReadBytes(Table::IndexPathFor(path_));
    damaged[damaged.size() - 12] ^= 0x01;
    WriteBytes(Table::IndexPathFor(path_), damaged);
    table_.Open(path_);
    EXPECT_EQ(table_.OpenedIndexState().status, IndexState::Rebuilt);
    EXPECT_EQ(table_.TagArea("NAME"), 1);
    table_.Close();

    // Garbage: reported as damaged, the table itself still opens.
    WriteBytes(Table::IndexPathFor(path_), std::vector<char>(goodIndex.size(), 'x'));
    table_.Open(path_);
    EXPECT_EQ(table_.OpenedIndexState().status, IndexState::Damaged);
    EXPECT_EQ(table_.Tags().size(), 0u);
    EXPECT_EQ(table_.RecCount(), 4u);
}

TEST(TableFiles, BrokenTablesGiveAClearErrorNeverACrash) {
    ScratchDirectory dir;
    const std::string path = dir.Path() + "T.DBF";
    Table::Create(path, testing::PeopleFields());
    {
        Table table;
        table.Open(path);
        AppendPerson(table, "Alice", 30);
        AppendPerson(table, "Bob", 40);
    }
    const std::vector<char> good = ReadBytes(path);
    const auto with = [&](std::size_t at, char value) {
        std::vector<char> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    struct Case {
        const char* what;
        std::vector<char> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "too short"},
        {"not a table", std::vector<char>(200, 'x'), "not a dBASE table"},
        {"truncated rows", std::vector<char>(good.begin(), good.end() - 10), "truncated"},
        {"record count too big", with(5, 0x10), "truncated"},
        {"record length wrong", with(10, 30), "record length"},
        {"header length past the end", with(9, 0x70), "header length"},
        {"no end of descriptors", with(32 + 32 * 4, 'X'), ""},
        {"unknown field type", with(32 + 11, 'M'), "unsupported field type"},
        {"zero width", with(32 + 16, 0), "invalid width"},
    };
    for (const Case& c : cases) {
        WriteBytes(path, c.bytes);
        Table table;
        try {
            table.Open(path);
            ADD_FAILURE() << c.what << " opened";
        } catch (const TableError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                << c.what << ": " << error.what();
        }
        EXPECT_FALSE(table.IsOpen());
    }
    EXPECT_THROW(Table().Open(dir.Path() + "MISSING.DBF"), TableError);
}

TEST(TableFiles, ACrashBetweenRecordAndHeaderLeavesAValidTable) {
    // A row written after the last counted one (the header count not yet
    // updated) is ignored, and the next append writes over it.
    ScratchDirectory dir;
    const std::string path = dir.Path() + "T.DBF";
    Table::Create(path, testing::PeopleFields());
    std::vector<char> bytes = ReadBytes(path);
    bytes.pop_back();  // end mark
    const std::string halfWritten = " Ghost     " + std::string(8, ' ') + "  1T";
    bytes.insert(bytes.end(), halfWritten.begin(), halfWritten.end());
    WriteBytes(path, bytes);

    Table table;
    table.Open(path);
    EXPECT_EQ(table.RecCount(), 0u);
    AppendPerson(table, "Real", 2);
    table.Close();
    table.Open(path);
    EXPECT_EQ(Column(table, "NAME"), std::vector<std::string>{"Real"});
}

}  // namespace
}  // namespace corvane::tables
