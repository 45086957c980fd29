// Runs a dialog or box modal to its owner only, as a modal dialog is on the desktops these
// windows were drawn for: its owner (and the owner's owners) wait for it, while every other
// top-level window, the upgrade window above all, goes on taking input. A dialog without an
// owner blocks nothing but itself.
#pragma once

class QDialog;

namespace fenwick {

// Shows `dialog` modal to its parent window and returns its result once it has closed.
int RunOwnedModal(QDialog& dialog);

} // namespace fenwick
