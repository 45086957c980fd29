// The main window's two lists as the core keeps them: each list's rows and its selection.
#pragma once

#include "core/lists/list_selection.h"
#include "core/lists/list_view_model.h"

namespace fenwick {

struct MainLists {
    ListViewModel& discovery;
    ListSelection& discoverySelection;
    ListViewModel& monitor;
    ListSelection& monitorSelection;
};

} // namespace fenwick
