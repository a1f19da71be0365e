#include "desktopdriver.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <vector>

using namespace Qt::StringLiterals;

namespace ruvento::testing {
namespace {

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// A reply, or null when its window vanished meanwhile: windows come and go
// while the display is read (a frame the window manager drops, a program that
// ends), and each one gone is simply not there.
template <typename T, typename Cookie>
Reply<T> take(xcb_connection_t *connection, T *(*replyOf)(xcb_connection_t *, Cookie, xcb_generic_error_t **),
              Cookie cookie)
{
    xcb_generic_error_t *error = nullptr;
    Reply<T> reply{replyOf(connection, cookie, &error)};
    std::free(error);
    return reply;
}

QString seconds(int milliseconds)
{
    return QString::number(milliseconds / 1000) + u" s"_s;
}

QString standardError(QProcess &program)
{
    const QString text = QString::fromLocal8Bit(program.readAllStandardError()).trimmed();
    return text.isEmpty() ? u"nothing on its standard error"_s : u"its standard error: "_s + text;
}

// One connection to the display that hears of every change to its windows:
// each window is watched before it is read, so nothing that changes after a
// look goes unreported.
class Display
{
public:
    explicit Display(const QString &name)
        : m_connection(xcb_connect(name.toLocal8Bit().constData(), nullptr))
    {
        if (!isOpen())
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_pid = atom("_NET_WM_PID");
        m_name = atom("_NET_WM_NAME");
        m_activeWindow = atom("_NET_ACTIVE_WINDOW");
        m_wmCheck = atom("_NET_SUPPORTING_WM_CHECK");
        windows();
    }
    Display(const Display &) = delete;
    Display &operator=(const Display &) = delete;
    ~Display() { xcb_disconnect(m_connection); }

    [[nodiscard]] bool isOpen() const { return xcb_connection_has_error(m_connection) == 0; }

    // Checks `ready` now and again after each change the X server reports,
    // until it holds. False, with the reason, when `program` (if any) ends
    // first, the display goes away, or the bound passes.
    bool waitUntil(const std::function<bool()> &ready, const QString &what, QProcess *program, QString *failure)
    {
        QEventLoop loop;
        bool done = false;
        bool lost = false;
        const auto look = [&] {
            // A look sees the state after every change reported before it;
            // changes reported during it call for another.
            for (;;) {
                if (ready()) {
                    done = true;
                    loop.quit();
                    return;
                }
                bool changed = false;
                while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)})
                    changed = true;
                if (!isOpen()) {
                    lost = true;
                    loop.quit();
                    return;
                }
                if (!changed)
                    return;
            }
        };
        QSocketNotifier notifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop, look);
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (program)
            QObject::connect(program, &QProcess::finished, &loop, &QEventLoop::quit);

        xcb_flush(m_connection);
        look();
        if (!done && !lost && (!program || program->state() != QProcess::NotRunning)) {
            bound.start(HungAfterMs);
            loop.exec();
        }
        if (done)
            return true;
        if (lost)
            *failure = u"the display went away while waiting for "_s + what;
        else if (program && program->state() == QProcess::NotRunning)
            *failure = u"the program ended (exit code %1) before "_s.arg(program->exitCode()) + what + u"; "_s
                + standardError(*program);
        else
            *failure = u"no "_s + what + u" after "_s + seconds(HungAfterMs) + u": hung"_s
                + (program ? u"; "_s + standardError(*program) : QString());
        return false;
    }

    QString colourAt(WindowId window, int x, int y)
    {
        const Reply<xcb_get_image_reply_t> image{
            take(m_connection, xcb_get_image_reply,
                 xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<std::int16_t>(x),
                               static_cast<std::int16_t>(y), 1, 1, ~0U))};
        if (!image || image->depth != 24 || xcb_get_image_data_length(image.get()) < 3)
            return {};
        // Xvfb's pixels of depth 24: blue, green and red bytes, then one unused.
        const std::uint8_t *bgr = xcb_get_image_data(image.get());
        return QString::asprintf("#%02x%02x%02x", bgr[2], bgr[1], bgr[0]);
    }

    // The first viewable window of process `pid` whose title matches.
    WindowId findWindow(qint64 pid, const QRegularExpression &title)
    {
        struct Asked
        {
            xcb_window_t window;
            xcb_get_window_attributes_cookie_t attributes;
            xcb_get_property_cookie_t pid, utf8Name, name;
        };
        std::vector<Asked> asked;
        for (const xcb_window_t window : windows()) {
            asked.push_back({window, xcb_get_window_attributes(m_connection, window), property(window, m_pid),
                             property(window, m_name), property(window, XCB_ATOM_WM_NAME)});
        }
        WindowId found = 0;
        for (const Asked &window : asked) {
            const auto attributes = take(m_connection, xcb_get_window_attributes_reply, window.attributes);
            const auto ownPid = take(m_connection, xcb_get_property_reply, window.pid);
            const auto utf8Name = take(m_connection, xcb_get_property_reply, window.utf8Name);
            const auto name = take(m_connection, xcb_get_property_reply, window.name);
            if (found != 0 || !attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE
                || number(ownPid.get()) != pid)
                continue;
            // The UTF-8 title where the program sets one, else the Latin-1 one.
            const QString text = utf8Name && xcb_get_property_value_length(utf8Name.get()) > 0
                ? QString::fromUtf8(bytes(utf8Name.get()))
                : QString::fromLatin1(bytes(name.get()));
            if (title.match(text).hasMatch())
                found = window.window;
        }
        return found;
    }

    // Asks the window manager to activate `window`, as a pager does.
    void activate(WindowId window)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_activeWindow;
        message.data.data32[0] = 2; // from a pager
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char *>(&message));
        xcb_flush(m_connection);
    }

    // The window manager names `window` active and the keyboard is in it.
    bool hasKeyboard(WindowId window)
    {
        if (number(take(m_connection, xcb_get_property_reply, property(m_root, m_activeWindow)).get()) != window)
            return false;
        const auto focus = take(m_connection, xcb_get_input_focus_reply, xcb_get_input_focus(m_connection));
        for (xcb_window_t inside = focus ? focus->focus : XCB_NONE; inside != XCB_NONE && inside != m_root;) {
            if (inside == window)
                return true;
            const auto tree = take(m_connection, xcb_query_tree_reply, xcb_query_tree(m_connection, inside));
            inside = tree ? tree->parent : XCB_NONE;
        }
        return false;
    }

    // A window manager has taken the display: it names itself on the root.
    bool hasWindowManager()
    {
        const auto check = take(m_connection, xcb_get_property_reply, property(m_root, m_wmCheck));
        return check && xcb_get_property_value_length(check.get()) > 0;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        const auto reply = take(m_connection, xcb_intern_atom_reply,
                                xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(qstrlen(name)), name));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    xcb_get_property_cookie_t property(xcb_window_t window, xcb_atom_t name)
    {
        return xcb_get_property(m_connection, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    }

    static QByteArray bytes(const xcb_get_property_reply_t *reply)
    {
        if (!reply)
            return {};
        return {static_cast<const char *>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply)};
    }

    // The first 32-bit value of a property (a process id, a window), or 0.
    static qint64 number(const xcb_get_property_reply_t *reply)
    {
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply) < 4)
            return 0;
        return *static_cast<const uint32_t *>(xcb_get_property_value(reply));
    }

    // Every window on the display, each watched from now on.
    std::vector<xcb_window_t> windows()
    {
        constexpr uint32_t Changes = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY
            | XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_FOCUS_CHANGE;
        std::vector<xcb_window_t> all;
        std::vector<xcb_window_t> level{m_root};
        while (!level.empty()) {
            std::vector<xcb_query_tree_cookie_t> trees;
            for (const xcb_window_t window : level) {
                if (m_watched.insert(window).second)
                    xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &Changes);
                trees.push_back(xcb_query_tree(m_connection, window));
            }
            all.insert(all.end(), level.begin(), level.end());
            level.clear();
            for (const xcb_query_tree_cookie_t cookie : trees) {
                const auto tree = take(m_connection, xcb_query_tree_reply, cookie);
                if (!tree)
                    continue;
                const xcb_window_t *children = xcb_query_tree_children(tree.get());
                level.insert(level.end(), children, children + xcb_query_tree_children_length(tree.get()));
            }
        }
        return all;
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_pid = XCB_ATOM_NONE;
    xcb_atom_t m_name = XCB_ATOM_NONE;
    xcb_atom_t m_activeWindow = XCB_ATOM_NONE;
    xcb_atom_t m_wmCheck = XCB_ATOM_NONE;
    std::set<xcb_window_t> m_watched;
};

QString windowName(WindowId window)
{
    return u"0x"_s + QString::number(window, 16);
}

} // namespace

Outcome run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
            const QString &workingDirectory)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    Outcome outcome;
    if (!process.waitForStarted(HungAfterMs)) {
        outcome.err = process.errorString();
        return outcome;
    }
    if (!process.waitForFinished(HungAfterMs)) {
        process.kill();
        process.waitForFinished();
        outcome.err = program + u" still ran after "_s + seconds(HungAfterMs) + u"; killed. "_s;
    } else {
        outcome.finished = process.exitStatus() == QProcess::NormalExit;
    }
    outcome.exitCode = process.exitCode();
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.err += QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished();
    }
}

bool waitForExit(QProcess &program, QString *failure)
{
    // waitForFinished() is false for a program whose end was already seen.
    if (program.state() == QProcess::NotRunning || program.waitForFinished(HungAfterMs))
        return true;
    *failure = u"the program still runs after "_s + seconds(HungAfterMs) + u": hung"_s;
    return false;
}

bool Desktop::start(QString *failure)
{
    // Xvfb picks a free display itself and names it on the descriptor given,
    // once it takes clients.
    m_server.start(u"Xvfb"_s,
                   {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x1024x24"_s, u"-nolisten"_s, u"tcp"_s});
    QByteArray number;
    const QDeadlineTimer bound(HungAfterMs);
    while (!number.contains('\n') && m_server.waitForReadyRead(static_cast<int>(bound.remainingTime())))
        number += m_server.readAllStandardOutput();
    if (!number.contains('\n')) {
        *failure = u"Xvfb named no display: "_s + m_server.errorString() + u"; "_s + standardError(m_server);
        return false;
    }
    m_display = u':' + QString::fromLatin1(number.trimmed());

    Display display(m_display);
    if (!display.isOpen()) {
        *failure = u"no connection to the display "_s + m_display;
        return false;
    }
    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.start(u"openbox"_s, {u"--sm-disable"_s});
    return display.waitUntil([&display] { return display.hasWindowManager(); }, u"openbox to manage the display"_s,
                             &m_windowManager, failure);
}

void Desktop::stop()
{
    ruvento::testing::stop(m_windowManager);
    ruvento::testing::stop(m_server);
}

QProcessEnvironment Desktop::environment() const
{
    // The program finds the display, not a test's headless platform.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.insert(u"DISPLAY"_s, m_display);
    return environment;
}

WindowId Desktop::waitForWindow(QProcess &program, const QRegularExpression &title, QString *failure) const
{
    Display display(m_display);
    if (!display.isOpen()) {
        *failure = u"no connection to the display "_s + m_display;
        return 0;
    }
    const qint64 pid = program.processId();
    WindowId found = 0;
    display.waitUntil([&] { return (found = display.findWindow(pid, title)) != 0; },
                      u"a window titled /"_s + title.pattern() + u'/', &program, failure);
    return found;
}

bool Desktop::waitForNoWindow(QProcess &program, const QRegularExpression &title, QString *failure) const
{
    Display display(m_display);
    if (!display.isOpen()) {
        *failure = u"no connection to the display "_s + m_display;
        return false;
    }
    const qint64 pid = program.processId();
    return display.waitUntil([&] { return display.findWindow(pid, title) == 0; },
                             u"no window titled /"_s + title.pattern() + u'/', &program, failure);
}

bool Desktop::hasWindow(const QProcess &program, const QRegularExpression &title) const
{
    Display display(m_display);
    return display.isOpen() && display.findWindow(program.processId(), title) != 0;
}

bool Desktop::sendKeys(WindowId window, const QStringList &arguments, QString *failure) const
{
    Display display(m_display);
    if (!display.isOpen()) {
        *failure = u"no connection to the display "_s + m_display;
        return false;
    }
    display.activate(window);
    if (!display.waitUntil([&] { return display.hasKeyboard(window); },
                           u"the keyboard in window "_s + windowName(window), nullptr, failure))
        return false;
    const Outcome typed = run(u"xdotool"_s, QStringList{u"key"_s} + arguments, environment());
    if (typed.finished && typed.exitCode == 0)
        return true;
    *failure = u"xdotool key failed: "_s + typed.err;
    return false;
}

QString Desktop::colourAt(WindowId window, int x, int y) const
{
    Display display(m_display);
    return display.isOpen() ? display.colourAt(window, x, y) : QString();
}

bool Desktop::close(WindowId window, QString *failure) const
{
    const Outcome closed = run(u"wmctrl"_s, {u"-i"_s, u"-c"_s, windowName(window)}, environment());
    if (closed.finished && closed.exitCode == 0)
        return true;
    *failure = u"wmctrl could not close window "_s + windowName(window) + u": "_s + closed.err;
    return false;
}

} // namespace ruvento::testing
