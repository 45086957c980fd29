// A main window over the in-memory network and recorded prompts, with a cfg folder of its own,
// and the helpers the window tests share.
#pragma once

#include "codec/definition_file.h"
#include "core/app/manager_core.h"
#include "core/state/program_state.h"
#include "support/port_doubles.h"
#include "windows/message_box_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <type_traits>

namespace fenwick::testing {

inline constexpr std::uint32_t kRigAgentKey = 0x5EED1234;
inline constexpr std::uint16_t kRigBasePort = 47000;

template <class Window> class WindowRig : public PortDoubles {
public:
    // Writes the definition file, builds the core and the window and shows it, which runs the
    // window's initialisation. False when the cfg folder could not be written. With
    // `upgradeBoxes`, the upgrade window's boxes are real ones (the main window's stay recorded).
    bool Open(MessageBoxPrompts* upgradeBoxes = nullptr) {
        const QString folder = root_.path() + QStringLiteral("/cfg");
        if (!root_.isValid() || !QDir().mkpath(folder)) {
            return false;
        }
        QFile file(folder + QStringLiteral("/define.ecf"));
        const std::vector<std::uint8_t> bytes = EncodeDefinitionFile(kRigAgentKey, kRigBasePort);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
            return false;
        }
        file.close();
        ManagerCore::Ports ports = Ports();
        UserPrompts& upgradeWindowBoxes =
            upgradeBoxes != nullptr ? *upgradeBoxes : ports.upgradePrompts;
        core = std::make_unique<ManagerCore>(
            *state_,
            ManagerCore::Ports{ports.prompts, ports.sockets, ports.timers, ports.clock,
                               ports.launcher, ports.localAddresses, upgradeWindowBoxes},
            ConfigFolders{folder, {}}, QStringLiteral("fenwick"));
        if constexpr (std::is_constructible_v<Window, ManagerCore&, MessageBoxPrompts*>) {
            window = std::make_unique<Window>(*core, upgradeBoxes);
        } else {
            window = std::make_unique<Window>(*core);
        }
        window->show();
        return true;
    }

    std::unique_ptr<ManagerCore> core;
    std::unique_ptr<Window> window;

private:
    QTemporaryDir root_;
    std::unique_ptr<ProgramState> state_ = std::make_unique<ProgramState>();
};

// The first widget of type T in `window` whose accessible name is `name`, or nullptr.
template <class T> T* FindControl(const QWidget& window, const QString& name) {
    for (T* control : window.findChildren<T*>()) {
        if (control->accessibleName() == name) {
            return control;
        }
    }
    return nullptr;
}

// The menu item at `path` ("Option", "Refresh time", "15 secs"), or nullptr; the texts are
// given without their mnemonic marks.
inline QAction* FindMenuItem(const QWidget& window, const QStringList& path) {
    const QMenuBar* bar = window.findChild<QMenuBar*>();
    if (bar == nullptr) {
        return nullptr;
    }
    QList<QAction*> items = bar->actions();
    QAction* found = nullptr;
    for (const QString& text : path) {
        found = nullptr;
        for (QAction* item : items) {
            if (QString(item->text()).remove(QLatin1Char('&')) == text) {
                found = item;
                break;
            }
        }
        if (found == nullptr) {
            return nullptr;
        }
        items = found->menu() != nullptr ? found->menu()->actions() : QList<QAction*>();
    }
    return found;
}

// How long a helper waits for a window that an action should open.
inline constexpr int kWindowWaitMs = 5000;

// The visible top-level windows.
inline QWidgetList VisibleWindows() {
    QWidgetList visible;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            visible << widget;
        }
    }
    return visible;
}

// Does `open` and runs `handle` on the modal window it opens, once that window's nested event
// loop is running. `handle` is meant to close it; if it does not, the window is rejected so
// that the test goes on. When no modal window opens within kWindowWaitMs (none at all, or only
// a modeless one), the current test fails at the caller's line and the result is false; a
// window the action opened meanwhile is closed, so that an action waiting on it returns.
inline bool OnNextModal(const std::function<void()>& open, std::function<void(QWidget&)> handle,
                        const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    const QWidgetList before = VisibleWindows();
    bool handled = false;
    bool gaveUp = false;
    QElapsedTimer waited;
    waited.start();
    // Looked for on every pass of the event loop, so that `handle` runs as soon as the window's
    // own loop starts, before anything else has happened in it.
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            if (waited.elapsed() > kWindowWaitMs) {
                watch.stop();
                gaveUp = true;
                for (QWidget* widget : VisibleWindows()) {
                    if (!before.contains(widget)) {
                        widget->close();
                    }
                }
            }
            return;
        }
        watch.stop();
        handled = true;
        handle(*modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    });
    watch.start();
    open();
    // A window that opens later than the action's return still counts, within the time.
    const bool settled =
        handled || gaveUp || QTest::qWaitFor([&] { return handled || gaveUp; }, kWindowWaitMs * 2);
    watch.stop();
    if (!settled || !handled) {
        QTest::qFail("no modal window opened", file, line);
        return false;
    }
    return true;
}

// The one open top-level window of type T. When there is none, or more than one, the current
// test fails at the caller's line and the result is nullptr; the caller then returns.
template <class T>
T* TheOpenWindow(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    QList<T*> open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<T*>(widget); window != nullptr && window->isVisible()) {
            open << window;
        }
    }
    if (open.size() != 1) {
        const QByteArray message =
            QStringLiteral("%1 open windows of type %2 where one was expected")
                .arg(open.size())
                .arg(QLatin1String(T::staticMetaObject.className()))
                .toUtf8();
        QTest::qFail(message.constData(), file, line);
        return nullptr;
    }
    return open.front();
}

} // namespace fenwick::testing
