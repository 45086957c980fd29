// The configuration folder of an installed copy need not exist before the program first writes
// a file there.
#pragma once

#include <QString>

namespace fenwick {

// Makes `folder` when it does not exist yet, its parents as the system makes them and the
// folder itself open to its owner alone. Where it cannot be made, nothing is said here: the
// file written next fails and tells why.
void MakeFolder(const QString& folder);

} // namespace fenwick
