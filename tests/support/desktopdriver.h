#pragma once

// Drives a program from outside, as its user meets it: a virtual X display
// with a small window manager, windows found as the X server reports them,
// keys typed into them, the program's end awaited.
//
// Every wait ends on the event it waits for. The bound below only stops a
// test that would otherwise hang: a step that takes seconds on a busy
// machine is waited for, a step that takes minutes is reported as hung.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace ruvento::testing {

inline constexpr int HungAfterMs = 120'000;

struct Outcome
{
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a command-line tool to its end; one that runs past the bound is killed.
Outcome run(const QString &program, const QStringList &arguments,
            const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
            const QString &workingDirectory = {});

// Ends a program that is still running: asked first, then killed.
void stop(QProcess &process);

// Waits for the program's own end; false, with the reason, past the bound.
bool waitForExit(QProcess &program, QString *failure);

// A window on the display, as the X server names it; 0 is none.
using WindowId = std::uint32_t;

// Xvfb on a display of its own, with openbox managing its windows.
class Desktop
{
public:
    Desktop() = default;
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;
    ~Desktop() { stop(); }

    // Returns once the window manager has taken the display; false, with the
    // reason, when either program fails.
    bool start(QString *failure);
    void stop();

    // The environment of a program shown on this display.
    [[nodiscard]] QProcessEnvironment environment() const;

    // The first viewable window of `program` (by _NET_WM_PID) whose title
    // matches. Waits until the X server shows one; 0, with the reason, when
    // the program ends first or the bound passes.
    WindowId waitForWindow(QProcess &program, const QRegularExpression &title, QString *failure) const;
    // Waits until `program` shows no viewable window whose title matches, as
    // after a box is answered; false, with the reason, past the bound.
    bool waitForNoWindow(QProcess &program, const QRegularExpression &title, QString *failure) const;
    // The same as waitForWindow, without waiting.
    [[nodiscard]] bool hasWindow(const QProcess &program, const QRegularExpression &title) const;

    // Activates `window`, waits until it has the keyboard, then runs
    // `xdotool key ARGUMENTS...` (key names, as "Tab" or "Return").
    bool sendKeys(WindowId window, const QStringList &arguments, QString *failure) const;
    // Asks the window manager to close `window`, as its user closes it.
    bool close(WindowId window, QString *failure) const;
    // The colour shown at (x, y) of `window`, as "#rrggbb"; empty when unseen.
    [[nodiscard]] QString colourAt(WindowId window, int x, int y) const;

private:
    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
};

} // namespace ruvento::testing
