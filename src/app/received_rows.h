// Rows of the received-fax table for the files receive mode leaves in
// "Receive": a fax that arrived, a fax cut short after complete pages, and
// at start-up any fax file no row names (left by a crash or a kill).
#pragma once

#include <cstdint>
#include <string>

#include "tables/field.h"
#include "tables/table.h"

namespace corvane::app {

struct ReceivedFax {
    tables::Date date;
    std::string time;  // "hh:mm"
    std::string from;
    int pages = 0;
    std::string file;  // name without directory
    std::string notes;
};

// NOTES of a fax the call did not finish.
std::string IncompleteNote(const std::string& reason);

// The fax file's complete pages, or 0 for a file that is no sound fax file.
int FaxFilePages(const std::string& path);

// Appends and posts the row; returns its record number.
std::uint32_t AppendReceivedRow(tables::Table& table, const ReceivedFax& fax);

// Lists every fax file with pages in receiveDir that no row names (rows
// hidden by the query or deleted count as naming theirs), marked
// incomplete, dated by the file's time. The table's query, order and
// current row are kept. Returns how many were listed.
int ListUnlistedFaxFiles(tables::Table& table, const std::string& receiveDir);

}  // namespace corvane::app
