#pragma once

#include "message.h"

#include <QString>

#include <functional>
#include <memory>

class QApplication;
class QWidget;

namespace ruvento {

// The message shown when the data folder is missing; the same wherever the
// program is installed, since it names the folder relative to the program.
[[nodiscard]] QString MissingDataFolderText();

// The start-up check: true when the data folder exists beside the program;
// otherwise tells the user and returns false.
[[nodiscard]] bool Form_Initialize(const QString &applicationPath, MessageSeam &messages);

using MainWindowFactory = std::function<std::unique_ptr<QWidget>()>;

// Runs the program: the start-up check first, and only when it passes the main
// window, until the user closes it. Returns the exit status: 1 when the data
// folder is missing, the event loop's status otherwise.
[[nodiscard]] int RunProgram(QApplication &app, const QString &applicationPath, MessageSeam &messages,
                             const MainWindowFactory &createMainWindow);

} // namespace ruvento
