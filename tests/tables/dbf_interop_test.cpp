// Our DBF files must open in an independent reader with every field and value.
#include <gtest/gtest.h>

#include "process_support.h"
#include "table_test_support.h"
#include "tables/fax_tables.h"

namespace corvane::tables {
namespace {

using testing::Quoted;
using testing::RunCommand;

constexpr char kReader[] = R"(
import sys, dbfread
table = dbfread.DBF(sys.argv[1], encoding='utf-8', char_decode_errors='strict')
print(' '.join('%s:%s:%d:%d' % (f.name, f.type, f.length, f.decimal_count) for f in table.fields))
for record in table:
    print('|'.join('%s=%s' % item for item in record.items()))
print('deleted', len(table.deleted))
)";

TEST(DbfInterop, AnIndependentReaderFindsEveryFieldAndValue) {
    testing::ScratchDirectory dir;
    Table table;
    ASSERT_TRUE(OpenRecFaxDBF(table, dir.Path()));
    table.Append();
    table.SetDate("DATEREC", {2024, 3, 5});
    table.SetText("TIMEREC", "09:30");
    table.SetText("FROM",
                  "M\xC3\xBCller, +49 "
                  "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");  // cut
                                                                                    // inside
                                                                                    // the
                                                                                    // fifth
                                                                                    // €
    table.SetNumber("PAGES", 12);
    table.SetText("FAXFILE", "FAX00001.APF");
    table.SetText("NOTES", "first");
    table.SetLogical("ARCHIVED", true);
    table.Post();
    table.Append();
    table.SetText("FAXFILE", "FAX00002.APF");
    table.Post();
    table.Append();
    table.SetText("NOTES", "gone");
    table.Post();
    table.Delete();
    table.Close();

    const auto result =
        RunCommand("/usr/bin/python3 -c " + Quoted(kReader) + " " + dir.Path() + "CVREC.DBF 2>&1");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output,
              "DATEREC:D:8:0 TIMEREC:C:5:0 FROM:C:20:0 PAGES:N:2:0 FAXFILE:C:12:0 NOTES:C:60:0 "
              "ARCHIVED:L:1:0\n"
              "DATEREC=2024-03-05|TIMEREC=09:30|FROM=M\xC3\xBCller, +49 "
              "\xE2\x82\xAC\xE2\x82\xAC|PAGES=12|"
              "FAXFILE=FAX00001.APF|NOTES=first|ARCHIVED=True\n"
              "DATEREC=None|TIMEREC=|FROM=|PAGES=None|FAXFILE=FAX00002.APF|NOTES=|ARCHIVED=False\n"
              "deleted 1\n");
}

}  // namespace
}  // namespace corvane::tables
