// What every dialog does once its form is set up: it takes its frame, places its controls from
// dialog units in its own font and, where the keys must not act, filters Enter and Escape.
#pragma once

class QDialog;
class QWidget;

namespace fenwick {

// The frame a dialog's window takes.
enum class DialogFrame {
    Fixed,      // a fixed frame with a caption and a close box
    OwnWindow,  // a top-level window of its own with a caption and a close box
    MainWindow, // a top-level window in the taskbar that can be minimised, maximised, resized
};

// What Enter and Escape do in the dialog.
enum class DialogKeys {
    Standard, // what they do in any dialog: press the default button, close the dialog
    Ignored,  // nothing: neither presses a button nor closes the window (EnterEscapeFilter)
};

// Call right after the form's setupUi: `client` is the form's widget whose children carry their
// geometry in dialog units. The key filter covers the controls the form has made.
void SetUpDialog(QDialog& dialog, QWidget& client, DialogFrame frame, DialogKeys keys);

} // namespace fenwick
