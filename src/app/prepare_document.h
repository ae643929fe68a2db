// Building the one work file that is sent or viewed: a fax body re-rendered
// page by page into a uniform fine page 1664 pixels wide, a cover copied,
// the two joined cover first. Work files live in the program directory and
// belong to the command that made them.
#pragma once

#include <string>

namespace corvane::app {

// Re-renders the fax file at source into a new fax file at target. True
// without doing anything when source does not exist; false when it has no
// pages, a page fails to re-render, or target cannot be written.
bool PrepareDocument(const std::string& source, const std::string& target);

enum class PrepareResult {
    Prepared,   // workFile names the joined file
    OpenError,  // "Error opening fax file"
    NoFile,     // the row names no existing file
};

// An outgoing row's body (FAXDOC) and cover (FAXCOVER), names in the send
// directory, prepared into one work file, cover first. A missing body is
// not an error: the cover alone is used. On any result but Prepared no
// work file of this call is left.
PrepareResult PrepareOutgoingFax(const std::string& faxDoc, const std::string& faxCover,
                                 std::string& workFile);
// A received row's FAXFILE in the receive directory, prepared for viewing.
PrepareResult PrepareIncomingFax(const std::string& faxFile, std::string& workFile);

// "To: " + recipient + " " and ",   Subject: " + subject (or "Subject: " +
// subject alone): the send dialog's caption and the outgoing viewer title.
std::string OutgoingTitle(const std::string& recipient, const std::string& subject);
// The sender, then " - " + notes when there are notes.
std::string IncomingTitle(const std::string& from, const std::string& notes);

}  // namespace corvane::app
