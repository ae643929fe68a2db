// The columns the three grids show: field, heading, display width in
// characters (0 for the field's own width) and whether it is shown.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace corvane::app {

struct GridColumn {
    std::string field;
    QString heading;
    int displayWidth = 0;
    bool shown = true;
};

const std::vector<GridColumn>& OutgoingColumns();
const std::vector<GridColumn>& ReceivedColumns();
const std::vector<GridColumn>& PhoneColumns();

}  // namespace corvane::app
