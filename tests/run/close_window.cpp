// close_window: asks an X11 window to close the way a window manager's close box does (the
// WM_DELETE_WINDOW message), so that the program's own close handling runs. Works on a
// display without a window manager.
//   close_window WINDOW_ID      (as xwininfo prints it, 0x...; DISPLAY names the display)
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: close_window WINDOW_ID\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long window = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || window == 0) {
        std::fprintf(stderr, "close_window: not a window id: %s\n", argv[1]);
        return 2;
    }
    const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "close_window: cannot open the display\n");
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    if (XSendEvent(display.get(), window, False, NoEventMask, &event) == 0) {
        std::fprintf(stderr, "close_window: the close request could not be sent\n");
        return 1;
    }
    // An unknown window is reported by Xlib's error handler, which ends the program non-zero.
    XSync(display.get(), False);
    return 0;
}
