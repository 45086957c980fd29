#include "owned_modal.h"

#include <QDialog>

namespace fenwick {

int RunOwnedModal(QDialog& dialog) {
    // exec() would make the dialog application-modal unless told otherwise.
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

} // namespace fenwick
