// The configuration folder holds what the program trusts (its definition file, its monitor
// list) and what it writes (the event log). Another user who may write there can plant or
// replace any of them.
#pragma once

#include <QString>

namespace fenwick {

// Why `folder` is not the operator's own, as the box that says so at start-up; empty when it
// is, or when it does not exist yet (the program makes it private).
QString FolderTrustProblem(const QString& folder);

} // namespace fenwick
