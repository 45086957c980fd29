// A main window over the in-memory network and recorded prompts, with a cfg folder of its own,
// and the helpers the window tests share.
#pragma once

#include "codec/definition_file.h"
#include "core/app/manager_core.h"
#include "core/app/program_state.h"
#include "support/port_doubles.h"
#include "windows/message_box_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
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

// Runs `handle` on the modal window that the next action opens, once its nested event loop is
// running. `handle` is meant to close it; if it does not, the window is rejected so that the
// test goes on.
inline void OnNextModal(std::function<void(QWidget&)> handle) {
    QTimer::singleShot(0, qApp, [handle = std::move(handle)] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        handle(*modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    });
}

} // namespace fenwick::testing
