// The cfg folder beside the executable, where the definition file, the monitor list and the
// event log live.
#pragma once

#include <QString>

namespace fenwick {

// The executable's own folder followed by "/cfg", without a trailing separator.
QString GetConfigFolder();

} // namespace fenwick
