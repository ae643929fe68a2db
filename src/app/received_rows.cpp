#include "received_rows.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "faximage/apf_file.h"
#include "tables/table_error.h"
#include "text_utils.h"

namespace corvane::app {

namespace {

constexpr char kFileExtension[] = ".APF";
constexpr char kLeftoverReason[] = "found in Receive at start";

// Every FAXFILE the table names, upper-cased, whatever the query hides.
std::set<std::string> NamedFiles(tables::Table& table) {
    std::set<std::string> named;
    const std::string query = table.Query();
    table.SetDeletedHidden(false);
    table.SetQuery({});
    try {
        for (table.First(); table.HasCurrentRow(); table.Next()) {
            named.insert(UpperCase(TrimSpaces(table.Text("FAXFILE"))));
        }
    } catch (const tables::TableError&) {
    }
    table.SetDeletedHidden(true);
    table.SetQuery(query);
    return named;
}

ReceivedFax Leftover(const std::filesystem::path& path, int pages) {
    const QDateTime written = QFileInfo(QString::fromStdString(path.string())).lastModified();
    faximage::ApfFileHeader header;
    faximage::ReadApfHeader(path.string(), header);
    ReceivedFax fax;
    fax.date = {written.date().year(), written.date().month(), written.date().day()};
    fax.time = written.time().toString(QStringLiteral("hh:mm")).toStdString();
    fax.from = TrimSpaces(header.StationId());
    fax.pages = pages;
    fax.file = path.filename().string();
    fax.notes = IncompleteNote(kLeftoverReason);
    return fax;
}

}  // namespace

std::string IncompleteNote(const std::string& reason) {
    return "Incomplete fax: " + reason;
}

int FaxFilePages(const std::string& path) {
    faximage::ApfFileHeader header;
    return faximage::ReadApfHeader(path, header) == 0 ? header.pageCount : 0;
}

std::uint32_t AppendReceivedRow(tables::Table& table, const ReceivedFax& fax) {
    table.Append();
    table.SetDate("DATEREC", fax.date);
    table.SetText("TIMEREC", fax.time);
    table.SetText("FROM", fax.from);
    table.SetNumber("PAGES", std::clamp(fax.pages, 0, 99));
    table.SetText("FAXFILE", fax.file);
    table.SetText("NOTES", fax.notes);
    table.SetLogical("ARCHIVED", false);
    table.Post();
    return table.RecNo();
}

int ListUnlistedFaxFiles(tables::Table& table, const std::string& receiveDir) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(receiveDir, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path& path = it->path();
        // Names longer than the table's 8.3 field could not be listed anyway.
        if (UpperCase(path.extension().string()) == kFileExtension &&
            path.filename().string().size() <= 12 && it->is_regular_file(error)) {
            files.push_back(path);
        }
    }
    if (files.empty()) {
        return 0;
    }
    std::sort(files.begin(), files.end());
    const std::uint32_t record = table.RecNo();
    const std::set<std::string> named = NamedFiles(table);
    int listed = 0;
    for (const fs::path& path : files) {
        const int pages = FaxFilePages(path.string());
        if (pages > 0 && named.count(UpperCase(path.filename().string())) == 0) {
            AppendReceivedRow(table, Leftover(path, pages));
            ++listed;
        }
    }
    try {
        if (record > 0) {
            table.Go(record);
        }
    } catch (const tables::TableError&) {
    }
    return listed;
}

}  // namespace corvane::app
