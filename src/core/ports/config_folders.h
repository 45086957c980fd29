// Where this run keeps its files, as the platform found it: the folder of the definition file,
// the monitor list and the event log, and the site-wide folder that supplies define.ecf when
// the operator's own folder holds none.
#pragma once

#include <QString>

namespace fenwick {

struct ConfigFolders {
    QString folder;
    // Empty: define.ecf is looked for in `folder` alone.
    QString siteFolder;
};

} // namespace fenwick
