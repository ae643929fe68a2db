#include "grid_columns.h"

namespace corvane::app {

const std::vector<GridColumn>& OutgoingColumns() {
    // The grid's own field order, which is its initial column order.
    static const std::vector<GridColumn> columns = {{"DATESENT", "Date Sent", 0},
                                                    {"TIMESENT", "Time Sent", 5},
                                                    {"PHONE", "Fax#", 15},
                                                    {"RECIPIENT", "Recipient", 20},
                                                    {"SUBJECT", "Subject", 20},
                                                    {"LASTRESULT", "Last Attempt", 20},
                                                    {"FAXDOC", "", 0, false},
                                                    {"FAXCOVER", "", 0, false},
                                                    {"NOTES", "Notes", 25},
                                                    {"CODES", "Codes", 15},
                                                    {"ARCHIVED", "Archived", 0, false}};
    return columns;
}

const std::vector<GridColumn>& ReceivedColumns() {
    static const std::vector<GridColumn> columns = {
        {"DATEREC", "Date Rec'd", 0}, {"TIMEREC", "Time Rec'd", 5}, {"FROM", "From", 20},
        {"PAGES", "Pages", 0},        {"FAXFILE", "", 0, false},    {"NOTES", "Notes", 60},
        {"ARCHIVED", "", 0, false}};
    return columns;
}

const std::vector<GridColumn>& PhoneColumns() {
    static const std::vector<GridColumn> columns = {{"NAME", "Name", 50}, {"PHONE", "Fax #", 25}};
    return columns;
}

}  // namespace corvane::app
