// Printer-driver jobs taken in at activation, the driver's INI file, and
// the outgoing grid's column order files.
#include <QHeaderView>
#include <fstream>

#include "app/driver_pickup.h"
#include "app/fax_grid.h"
#include "app/grid_orders.h"
#include "app/main_screen.h"
#include "app/profile.h"
#include "app/table_model.h"
#include "gui_support.h"
#include "tables/fax_tables.h"

namespace corvane::testing {
namespace {

class PickupTest : public ProgramDirectoryFixture {
  protected:
    PickupTest() { std::filesystem::create_directories(send); }
    std::string send = home() + "SEND/";
};

TEST_F(PickupTest, JobsBecomeRowsWithFieldsCutAndTheJobFileRemoved) {
    WriteFaxFile(send + "JOB1.APF");
    WriteFile(send + "JOB1.PXD", std::string(25, '5') + "\r\n" + std::string(40, 'r') +
                                     "\r\nSubject one\r\nextra\r\n");
    WriteFaxFile(send + "job2.apf");  // other letter case than its job file
    WriteFile(send + "JOB2.pxd", "555 0100\r\nSmith\r\nSecond\r\n");
    WriteFile(send + "LATER.PXD", "1\r\n2\r\n3\r\n");  // its fax file is not there yet
    WriteFile(send + "HALF.APF", "APF");               // still being written
    WriteFile(send + "HALF.PXD", "1\r\n2\r\n3\r\n");

    app::MainScreen screen;
    screen.FirstActivate();
    tables::Table& table = screen.FaxTable();
    ASSERT_EQ(table.QueryRecCount(), 2u);
    std::map<std::string, std::vector<std::string>> rows;
    for (table.First(); table.HasCurrentRow(); table.Next())
        rows[table.Text("FAXDOC")] = {table.Text("PHONE"), table.Text("RECIPIENT"),
                                      table.Text("SUBJECT")};
    EXPECT_EQ(rows["JOB1.APF"], (std::vector<std::string>{std::string(25, '5'),
                                                          std::string(35, 'r'), "Subject one"}));
    EXPECT_EQ(rows["job2.apf"], (std::vector<std::string>{"555 0100", "Smith", "Second"}));
    EXPECT_FALSE(Exists(send + "JOB1.PXD"));
    EXPECT_FALSE(Exists(send + "JOB2.pxd"));
    EXPECT_TRUE(Exists(send + "JOB1.APF"));
    EXPECT_TRUE(Exists(send + "LATER.PXD"));
    EXPECT_TRUE(Exists(send + "HALF.PXD"));
    EXPECT_EQ(screen.OutgoingGrid().model()->rowCount(), 2);

    // The job left behind is taken at a later activation once its file is there.
    WriteFaxFile(send + "LATER.APF");
    screen.LaterActivate();
    EXPECT_EQ(table.QueryRecCount(), 3u);
    EXPECT_FALSE(Exists(send + "LATER.PXD"));
    EXPECT_EQ(screen.OutgoingGrid().model()->rowCount(), 3);
}

TEST_F(PickupTest, ShortOrOddJobFilesGiveWhatTheyHold) {
    struct Case {
        std::string job;
        std::vector<std::string> fields;  // PHONE, RECIPIENT, SUBJECT
    } cases[] = {
        {"555", {"555", "", ""}},
        {"", {"", "", ""}},
        {"1\n2\n3", {"1", "2", "3"}},
        {std::string(100000, '7') + "\r\nAnn\r\n", {std::string(25, '7'), "", ""}},
    };
    tables::Table table;
    ASSERT_TRUE(tables::OpenOutgoingTable(table, home(), ""));
    for (const Case& c : cases) {
        WriteFaxFile(send + "ODD.APF");
        WriteFile(send + "ODD.PXD", c.job);
        app::ProcessPDFaxFile(table, send + "ODD.APF");
        table.SetOrder(0);
        table.Last();
        EXPECT_EQ((std::vector<std::string>{table.Text("PHONE"), table.Text("RECIPIENT"),
                                            table.Text("SUBJECT")}),
                  c.fields);
        EXPECT_FALSE(Exists(send + "ODD.PXD"));
    }
    EXPECT_EQ(table.RecCount(), 4u);
}

TEST_F(PickupTest, ALongFaxFileNameIsShortenedToFitTheRow) {
    WriteFaxFile(send + "QUARTERLYREPORT.APF");
    WriteFile(send + "QUARTERLYREPORT.PXD", "1\r\n2\r\n3\r\n");
    tables::Table table;
    ASSERT_TRUE(tables::OpenOutgoingTable(table, home(), ""));
    EXPECT_TRUE(app::ProcessExtraPDFaxFiles(table, ""));
    ASSERT_EQ(table.QueryRecCount(), 1u);
    table.First();
    EXPECT_EQ(table.Text("FAXDOC"), "PRN00000.APF");
    EXPECT_TRUE(Exists(send + "PRN00000.APF"));
    EXPECT_FALSE(Exists(send + "QUARTERLYREPORT.PXD"));
}

TEST_F(PickupTest, DriverIniNamesTheSendDirectoryAndTheProgram) {
    app::WriteCVPDINI("/opt/corvane/bin/corvane");
    const app::Profile ini(app::ConfigDirectory() + "CVPD.INI");
    EXPECT_EQ(ini.ReadString("Location", "CVOutPath", ""), home() + "SEND/");
    EXPECT_EQ(ini.ReadString("Location", "CVExecutable", ""), "/opt/corvane/bin/corvane");
}

TEST_F(PickupTest, GridOrderFilesSkipUnknownFieldsAndMissingWidths) {
    tables::Table table;
    ASSERT_TRUE(tables::OpenOutgoingTable(table, home(), ""));
    app::TableModel model(table, app::OutgoingColumns());
    app::FaxGrid grid(model);
    WriteFile(home() + "Out.gco", "SUBJECT\r\nNOSUCHFIELD\r\nphone\r\n");
    WriteFile(home() + "Out.gcs", "20\r\n140\r\nwide\r\n");
    const int untouched = grid.ColumnWidth(1);  // DATESENT's, which ends up in column 3
    app::LoadGridOrders(grid, "Out");
    const auto order = model.FieldOrder();
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], "SUBJECT");
    EXPECT_EQ(order[1], "PHONE");
    EXPECT_EQ(order[2], "DATESENT");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Subject");
    EXPECT_EQ(grid.ColumnWidth(0), 20);
    EXPECT_EQ(grid.ColumnWidth(1), 140);
    EXPECT_EQ(grid.ColumnWidth(3), untouched);

    // Saving writes every field in its order and one width per grid column.
    app::SaveGridOrders(grid, "Copy");
    std::ifstream fields(home() + "Copy.gco");
    std::string line;
    std::getline(fields, line);
    EXPECT_EQ(line, "SUBJECT\r");
    std::ifstream widths(home() + "Copy.gcs");
    int lines = 0;
    while (std::getline(widths, line)) ++lines;
    EXPECT_EQ(lines, grid.GridColumnCount());
}

TEST_F(PickupTest, ADraggedColumnMovesItsFieldAndSurvivesARestart) {
    {
        app::MainScreen screen;
        screen.FirstActivate();
        QHeaderView* header = screen.OutgoingGrid().horizontalHeader();
        header->moveSection(4, 0);  // Subject to the front
        EXPECT_EQ(screen.OutgoingGrid().Model().FieldOrder()[0], "SUBJECT");
        screen.OutgoingGrid().SetColumnWidth(1, 210);
        screen.close();
    }
    app::MainScreen screen;
    screen.FirstActivate();
    EXPECT_EQ(screen.OutgoingGrid().Model().FieldOrder()[0], "SUBJECT");
    EXPECT_EQ(screen.OutgoingGrid().ColumnWidth(1), 210);
}

}  // namespace
}  // namespace corvane::testing
