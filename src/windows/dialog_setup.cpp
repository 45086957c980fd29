#include "dialog_setup.h"

#include "dialog_units.h"
#include "enter_escape_filter.h"

#include <QDialog>
#include <QFontMetrics>

namespace fenwick {
namespace {

Qt::WindowFlags FlagsOf(DialogFrame frame) {
    const Qt::WindowFlags caption = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    switch (frame) {
    case DialogFrame::Fixed:
        return Qt::Dialog | caption;
    case DialogFrame::OwnWindow:
        return Qt::Window | caption;
    case DialogFrame::MainWindow:
        return Qt::Window | caption | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    }
    return Qt::Dialog | caption;
}

} // namespace

void SetUpDialog(QDialog& dialog, QWidget& client, DialogFrame frame, DialogKeys keys) {
    dialog.setWindowFlags(FlagsOf(frame));
    DialogUnits(QFontMetrics(dialog.font(), &dialog)).Lay(client);
    if (keys == DialogKeys::Ignored) {
        EnterEscapeFilter::Install(dialog);
    }
}

} // namespace fenwick
