// "db": create, inspect, check and rebuild the program's tables.
#include <cstdio>
#include <filesystem>
#include <string>

#include "command_registry.h"
#include "tables/fax_tables.h"
#include "tables/table.h"
#include "tables/table_error.h"
#include "tables/table_rebuild.h"

namespace corvane::cli {
namespace {

using namespace corvane::tables;

constexpr char kUsage[] =
    "db init DIR | db dump FILE.DBF [--order TAG] [--query EXPR] [--all] | db check FILE.DBF | db "
    "rebuild DIR";

int Usage() {
    std::fprintf(stderr, "usage: corvane-fax %s\n", kUsage);
    return 2;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "corvane-fax db: %s\n", message.c_str());
    return 1;
}

std::string AsDirectory(std::string directory) {
    if (directory.empty() || directory.back() != '/')
        directory += '/';
    return directory;
}

std::string CsvQuoted(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string FieldText(const Table& table, const Field& field) {
    switch (field.type) {
        case FieldType::Character:
            return table.Text(field.name);
        case FieldType::Logical:
            return table.Logical(field.name) ? "T" : "F";
        case FieldType::Numeric: {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.*f", field.decimals, table.Number(field.name));
            return buffer;
        }
        case FieldType::Date: {
            const Date date = table.DateValue(field.name);
            if (date.IsEmpty())
                return {};
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
            return buffer;
        }
    }
    return {};
}

int Init(const Arguments& args) {
    if (args.size() != 2)
        return Usage();
    const std::string directory = AsDirectory(args[1]);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        return Fail("cannot create " + directory + ": " + error.message());
    Table outgoing, received, phone;
    if (!OpenOutgoingTable(outgoing, directory, ".not. archived"))
        return Fail("cannot open or create CVOUT.DBF");
    if (!OpenRecFaxDBF(received, directory))
        return Fail("cannot open or create CVREC.DBF");
    if (!OpenPhoneTable(phone, directory, true))
        return Fail("cannot open or create CVPB.DBF");
    return 0;
}

int Dump(const Arguments& args) {
    if (args.size() < 2)
        return Usage();
    std::string order, query;
    bool all = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--all")
            all = true;
        else if (args[i] == "--order" && i + 1 < args.size())
            order = args[++i];
        else if (args[i] == "--query" && i + 1 < args.size())
            query = args[++i];
        else
            return Usage();
    }
    Table table;
    table.Open(args[1], OpenMode::ReadOnly);
    if (!order.empty()) {
        const int number = table.TagArea(order);
        if (number == 0) {
            const IndexState& index = table.OpenedIndexState();
            const std::string why =
                index.status == IndexState::Damaged ? " (" + index.reason + ")" : "";
            return Fail("no tag " + order + " in " + Table::IndexPathFor(args[1]) + why);
        }
        table.SetOrder(number);
    }
    table.SetDeletedHidden(!all);
    table.SetQuery(query);

    std::string line = all ? "DELETED" : "";
    for (const Field& field : table.Fields()) line += (line.empty() ? "" : ",") + field.name;
    std::printf("%s\n", line.c_str());
    for (table.First(); table.HasCurrentRow(); table.Next()) {
        line = all ? (table.IsDeleted() ? "*" : "") : "";
        bool first = !all;
        for (const Field& field : table.Fields()) {
            line += (first ? "" : ",") + CsvQuoted(FieldText(table, field));
            first = false;
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int Check(const Arguments& args) {
    if (args.size() != 2)
        return Usage();
    Table table;
    table.Open(args[1], OpenMode::ReadOnly);
    const std::string reason = table.CheckIndexFile();
    if (!reason.empty()) {
        std::printf("%s: %s\n", Table::IndexPathFor(args[1]).c_str(), reason.c_str());
        return 1;
    }
    std::printf("%s: index matches the table\n", Table::IndexPathFor(args[1]).c_str());
    return 0;
}

int Rebuild(const Arguments& args) {
    if (args.size() != 2)
        return Usage();
    const std::string directory = AsDirectory(args[1]);
    Table outgoing, received, spare;
    if (!OpenOutgoingTable(outgoing, directory, ".not. archived"))
        return Fail("cannot open CVOUT.DBF");
    if (!OpenRecFaxDBF(received, directory))
        return Fail("cannot open CVREC.DBF");
    int shown = -1;
    RebuildObserver observer;
    observer.label = [&](const std::string& label) {
        std::fprintf(stderr, "%s\n", label.c_str());
        shown = -1;
    };
    observer.gauge = [&](int percent) {
        if (percent == shown)
            return;
        shown = percent;
        std::fprintf(stderr, "  %d%%\n", percent);
    };
    RebuildFaxTables(outgoing, received, spare, directory, observer);
    return 0;
}

int RunDb(const Arguments& args) {
    if (args.empty())
        return Usage();
    try {
        if (args[0] == "init")
            return Init(args);
        if (args[0] == "dump")
            return Dump(args);
        if (args[0] == "check")
            return Check(args);
        if (args[0] == "rebuild")
            return Rebuild(args);
    } catch (const TableError& error) {
        return Fail(error.what());
    }
    return Usage();
}

static CommandRegistration registration({"db", kUsage, RunDb});

}  // namespace
}  // namespace corvane::cli
