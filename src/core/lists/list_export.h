// File > "Export lists...": the Discovery List and the Monitor List, as the window shows them,
// in a CSV file for an inventory.
#pragma once

#include "core/lists/list_view_model.h"
#include "core/lists/main_lists.h"
#include "core/ports/user_prompts.h"

#include <QByteArray>
#include <QString>

namespace fenwick {

// What the Monitor List's status image says of a device: "alive" (no image), "not alive" (the
// failure sign) or "unknown" (the warning sign, which only a loaded file brings, or any other
// value a file may hold).
QString MonitorStatusText(int image);

// Both lists in UTF-8, one section each: the list's name, the column headings, then the rows
// in the order shown, every column; a blank line between the sections. The Monitor List's
// status column holds MonitorStatusText.
QByteArray ListsCsv(const ListViewModel& discovery, const ListViewModel& monitor);

class ListExport {
public:
    ListExport(UserPrompts& prompts, MainLists& lists);

    // Asks for a file and writes ListsCsv there, whole or not at all; a failure is told.
    void ExportLists();

private:
    UserPrompts& prompts_;
    MainLists& lists_;
};

} // namespace fenwick
