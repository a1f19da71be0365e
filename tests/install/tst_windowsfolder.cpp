// The Windows program folder as its user meets it: the zip of the Windows
// release, unpacked and started under Wine on a virtual X display, from a
// folder on a drive and from the root of a drive; and the setup program,
// installed, used, uninstalled and installed again.

#include "desktopdriver.h"
#include "programsessions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace ruvento::testing;

namespace {

const QString WineRunner = QStringLiteral(RUVENTO_SOURCE_DIR "/scripts/wine.sh");
// The drive the program is started from; Wine maps it to a host folder.
const QString Drive = u"r:"_s;
const QString UninstallKey = u"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ruvento"_s;

} // namespace

class tst_WindowsFolder final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void zipHoldsOneSelfContainedFolder();
    void programShowsItsWindowAndCloses_data();
    void programShowsItsWindowAndCloses();
    void reportIsSavedBesideTheProgram_data();
    void reportIsSavedBesideTheProgram();
    void missingDataFolderEndsWithAMessage_data();
    void missingDataFolderEndsWithAMessage();
    void windowKeepsItsColoursInDarkMode();
    void setupInstallsNothingWhereRuventoCannotGo_data();
    void setupInstallsNothingWhereRuventoCannotGo();
    void setupInstallsAndUninstallingKeepsTheReports();

private:
    void placesToStartFrom();
    // Starts a fresh copy of the unpacked folder from the drive, as `place`
    // asks: the folder R:\Ruvento, or the drive's root itself; `removed`
    // names a part of the copy taken away first. The copy's host folder goes
    // to `folder`.
    [[nodiscard]] bool launch(QProcess &program, const QString &place, const QString &removed, QString *folder);
    // A fresh, empty drive R:, whose host folder is returned.
    [[nodiscard]] QString newDrive();
    // Starts a Windows program as an Italian user, with only the DLLs beside it.
    [[nodiscard]] bool start(QProcess &program, const QStringList &arguments);
    // Runs a Windows program and waits until every program of the prefix
    // ended; `exitCode` is the program's.
    void runAndSettle(const QStringList &arguments, int *exitCode);

    QTemporaryDir m_root;
    QString m_release;
    QString m_setup;
    QString m_signingCa;
    QString m_unpacked;
    QString m_prefix;
    std::unique_ptr<QTemporaryDir> m_place;
    Desktop m_desktop;
};

void tst_WindowsFolder::initTestCase()
{
    for (const QStringView tool : {u"Xvfb", u"openbox", u"xdotool", u"wine", u"makensis"}) {
        if (QStandardPaths::findExecutable(tool.toString()).isEmpty())
            QFAIL(qPrintable(tool.toString() + u" is missing; scripts/setup.sh windows installs it"_s));
    }
    m_release = qEnvironmentVariable("RUVENTO_WINDOWS_RELEASE");
    // With the CA of its certificate, the signed release beside it is tested.
    m_signingCa = qEnvironmentVariable("RUVENTO_SIGNING_CA");
    const QDir packages(m_signingCa.isEmpty() ? m_release : m_release + u"/signed"_s);
    const QStringList zips = packages.entryList({u"Ruvento-*-win64.zip"_s}, QDir::Files);
    const QStringList setups = packages.entryList({u"Ruvento-*-win64-setup.exe"_s}, QDir::Files);
    QVERIFY2(zips.size() == 1 && setups.size() == 1,
             "no single zip and setup program in RUVENTO_WINDOWS_RELEASE; ./test.sh windows makes them");
    m_setup = packages.filePath(setups.first());

    QVERIFY(m_root.isValid());
    const Outcome unzip =
        run(QStringLiteral(RUVENTO_CMAKE_COMMAND), {u"-E"_s, u"tar"_s, u"xf"_s, packages.filePath(zips.first())},
            QProcessEnvironment::systemEnvironment(), m_root.path());
    QVERIFY2(unzip.finished && unzip.exitCode == 0, qPrintable(unzip.err));
    m_unpacked = m_root.filePath(QString(zips.first()).chopped(4));

    const Outcome prefix = run(WineRunner, {u"--prefix"_s});
    QVERIFY2(prefix.finished && prefix.exitCode == 0, qPrintable(prefix.err));
    m_prefix = prefix.out.trimmed();

    QString failure;
    QVERIFY2(m_desktop.start(&failure), qPrintable(failure));
}

void tst_WindowsFolder::cleanupTestCase()
{
    QFile::remove(m_prefix + u"/dosdevices/"_s + Drive);
    m_desktop.stop();
}

void tst_WindowsFolder::zipHoldsOneSelfContainedFolder()
{
    // The program, the data folder, what the program loads besides Windows
    // itself (nothing else is to be installed on the user's Windows), and
    // the licences of all of it.
    const QStringList expected{
        u"LEGGIMI.txt"_s,
        u"LICENSE.txt"_s,
        u"Qt6Core.dll"_s,
        u"Qt6Gui.dll"_s,
        u"Qt6Widgets.dll"_s,
        u"Shared/"_s,
        u"Shared/Sistemi/"_s,
        u"imageformats/"_s,
        u"imageformats/qjpeg.dll"_s,
        u"libgcc_s_seh-1.dll"_s,
        u"libstdc++-6.dll"_s,
        u"libwinpthread-1.dll"_s,
        u"licenses/"_s,
        u"licenses/GCC-exception-3.1.txt"_s,
        u"licenses/GPL-3.0.txt"_s,
        u"licenses/LGPL-3.0.txt"_s,
        u"licenses/NOTICE.txt"_s,
        u"licenses/qt/"_s,
        u"licenses/winpthreads.txt"_s,
        u"platforms/"_s,
        u"platforms/qwindows.dll"_s,
        u"ruvento.exe"_s,
    };
    // One licence for each third-party part compiled into Qt's DLLs.
    QStringList entries = tree(m_unpacked);
    const qsizetype before = entries.size();
    entries.removeIf(
        [](const QString &entry) { return entry.startsWith(u"licenses/qt/"_s) && entry.endsWith(u".txt"_s); });
    QVERIFY(entries.size() < before);
    QCOMPARE(entries, expected);
    // Windows text files, which Notepad shows as they are.
    for (const QString &name : {u"licenses/NOTICE.txt"_s, u"LEGGIMI.txt"_s}) {
        QFile file(m_unpacked + u'/' + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QCOMPARE(text.count("\r\n"), text.count('\n'));
    }
}

void tst_WindowsFolder::placesToStartFrom()
{
    QTest::addColumn<QString>("place");
    QTest::newRow("folder on a drive") << u"R:\\Ruvento"_s;
    // The application path is then "R:\" and the data folder R:\\Shared\Sistemi\.
    QTest::newRow("root of a drive") << u"R:\\"_s;
}

QString tst_WindowsFolder::newDrive()
{
    m_place = std::make_unique<QTemporaryDir>();
    QString drive = m_place->filePath(u"drive"_s);
    const QString link = m_prefix + u"/dosdevices/"_s + Drive;
    QFile::remove(link);
    if (!m_place->isValid() || !QDir().mkpath(drive) || !QFile::link(drive, link))
        return {};
    return drive;
}

bool tst_WindowsFolder::start(QProcess &program, const QStringList &arguments)
{
    // Only what the folder brings: no DLL search path into the build's Qt.
    QProcessEnvironment environment = m_desktop.environment();
    environment.remove(u"RUVENTO_WINE_DLL_DIRS"_s);
    environment.remove(u"WINEPATH"_s);
    // An Italian user, whose weekday the report's name carries.
    environment.remove(u"LC_ALL"_s);
    environment.insert(u"LANG"_s, u"it_IT.UTF-8"_s);
    program.setProcessEnvironment(environment);
    program.start(WineRunner, arguments);
    return program.waitForStarted(HungAfterMs);
}

bool tst_WindowsFolder::launch(QProcess &program, const QString &place, const QString &removed, QString *folder)
{
    const QString drive = newDrive();
    const bool atRoot = place.endsWith(u'\\');
    *folder = atRoot ? drive : drive + u"/Ruvento"_s;
    if (drive.isEmpty() || !copyFolder(atRoot ? m_unpacked + u"/."_s : m_unpacked, *folder))
        return false;
    if (!removed.isEmpty() && !QDir(QDir(*folder).filePath(removed)).removeRecursively())
        return false;
    return start(program, {place + (atRoot ? QString() : u"\\"_s) + u"ruvento.exe"_s});
}

void tst_WindowsFolder::runAndSettle(const QStringList &arguments, int *exitCode)
{
    QProcess command;
    QVERIFY2(start(command, arguments), qPrintable(command.errorString()));
    QString failure;
    QVERIFY2(waitForExit(command, &failure), qPrintable(failure));
    *exitCode = command.exitCode();
    // An uninstaller hands its work to a copy of itself and returns at once.
    const Outcome settled = run(WineRunner, {u"--wait"_s}, m_desktop.environment());
    QVERIFY2(settled.finished && settled.exitCode == 0, qPrintable(settled.err));
}

void tst_WindowsFolder::programShowsItsWindowAndCloses_data()
{
    placesToStartFrom();
}

void tst_WindowsFolder::programShowsItsWindowAndCloses()
{
    QFETCH(QString, place);
    QProcess program;
    QString folder;
    QVERIFY2(launch(program, place, {}, &folder), qPrintable(program.errorString()));
    const auto cleanup = qScopeGuard([&program] { stop(program); });
    showWindowAndClose(m_desktop, program);
}

void tst_WindowsFolder::reportIsSavedBesideTheProgram_data()
{
    placesToStartFrom();
}

void tst_WindowsFolder::reportIsSavedBesideTheProgram()
{
    QFETCH(QString, place);
    QProcess program;
    QString folder;
    QVERIFY2(launch(program, place, {}, &folder), qPrintable(program.errorString()));
    const auto cleanup = qScopeGuard([&program] { stop(program); });
    QString saved;
    saveWorkedExample(m_desktop, program, QDir(folder + u"/Shared/Sistemi"_s), &saved);
    if (QTest::currentTestFailed())
        return;
    // The weekday of the Windows user's locale.
    static const QRegularExpression italianDay(u"^\\[TC (LUN|MAR|MER|GIO|VEN|SAB|DOM)-"_s);
    QVERIFY2(italianDay.match(saved).hasMatch(), qPrintable(saved));
}

void tst_WindowsFolder::missingDataFolderEndsWithAMessage_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("removed");
    QTest::newRow("folder on a drive, Sistemi removed") << u"R:\\Ruvento"_s << u"Shared/Sistemi"_s;
    QTest::newRow("root of a drive, Shared removed") << u"R:\\"_s << u"Shared"_s;
}

void tst_WindowsFolder::missingDataFolderEndsWithAMessage()
{
    QFETCH(QString, place);
    QFETCH(QString, removed);
    QProcess program;
    QString folder;
    QVERIFY2(launch(program, place, removed, &folder), qPrintable(program.errorString()));
    const auto cleanup = qScopeGuard([&program] { stop(program); });
    answerMissingFolderMessage(m_desktop, program);
}

void tst_WindowsFolder::windowKeepsItsColoursInDarkMode()
{
    // Windows' dark mode, which Qt follows, for every program of the user.
    const auto appsUseLightTheme = [this](const QString &value) {
        return run(WineRunner,
                   {u"reg"_s, u"add"_s, u"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"_s,
                    u"/v"_s, u"AppsUseLightTheme"_s, u"/t"_s, u"REG_DWORD"_s, u"/d"_s, value, u"/f"_s},
                   m_desktop.environment());
    };
    QCOMPARE(appsUseLightTheme(u"0"_s).exitCode, 0);
    const auto light = qScopeGuard([&appsUseLightTheme] { appsUseLightTheme(u"1"_s); });
    QProcess program;
    QString folder;
    QVERIFY2(launch(program, u"R:\\Ruvento"_s, {}, &folder), qPrintable(program.errorString()));
    const auto cleanup = qScopeGuard([&program] { stop(program); });
    QString failure;
    const WindowId window = m_desktop.waitForWindow(program, MainWindowTitle, &failure);
    QVERIFY2(window != 0, qPrintable(failure));
    // The window's grey, the first key box's yellow and the white result
    // box, painted once the window is shown.
    QTRY_COMPARE_WITH_TIMEOUT(m_desktop.colourAt(window, 5, 5), u"#c0c0c0"_s, HungAfterMs);
    QCOMPARE(m_desktop.colourAt(window, 38, 66), u"#eac564"_s);
    QCOMPARE(m_desktop.colourAt(window, 593, 195), u"#ffffff"_s);
}

void tst_WindowsFolder::setupInstallsNothingWhereRuventoCannotGo_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("refused");
    QTest::addColumn<bool>("registered");
    QTest::newRow("another program's folder") << u"win10"_s << u"Altro"_s << 11 << false;
    QTest::newRow("Windows 7") << u"win7"_s << u"Ruvento"_s << 12 << false;
    QTest::newRow("Windows 8.1") << u"win81"_s << u"Ruvento"_s << 12 << false;
    // The entry names Altro, whose uninstaller fails: it alone is run.
    QTest::newRow("older Ruvento not removed") << u"win10"_s << u"Ruvento"_s << 13 << true;
}

void tst_WindowsFolder::setupInstallsNothingWhereRuventoCannotGo()
{
    QFETCH(QString, windows);
    QFETCH(QString, folder);
    QFETCH(int, refused);
    QFETCH(bool, registered);
    // Another program's folder, whose uninstaller leaves a mark when it runs, and fails.
    const QString drive = newDrive();
    QVERIFY(QDir().mkpath(drive + u"/Altro"_s) && QFile::copy(m_setup, drive + u"/setup.exe"_s)
            && QFile::copy(m_unpacked + u"/LEGGIMI.txt"_s, drive + u"/Altro/altro.txt"_s));
    const Outcome made = run(u"makensis"_s,
                             {u"-XOutFile "_s + drive + u"/Altro/Uninstall.exe"_s, u"-XTarget amd64-unicode"_s,
                              u"-XSilentInstall silent"_s, u"-XSection"_s, u"-XFileOpen $0 R:\\uninstalled w"_s,
                              u"-XSetErrorLevel 9"_s, u"-XSectionEnd"_s, u"/dev/null"_s});
    QVERIFY2(made.finished && made.exitCode == 0, qPrintable(made.out + made.err));
    QVERIFY(copyFolder(drive, m_place->filePath(u"before"_s)));
    // The Windows that Wine reports; without the value, its default, Windows 10.
    const QStringList version{u"HKCU\\Software\\Wine"_s, u"/v"_s, u"Version"_s, u"/f"_s};
    QCOMPARE(run(WineRunner, QStringList{u"reg"_s, u"add"_s} + version + QStringList{u"/d"_s, windows}).exitCode, 0);
    const auto windows10 = qScopeGuard([&] { run(WineRunner, QStringList{u"reg"_s, u"delete"_s} + version); });
    const QStringList location{UninstallKey, u"/v"_s, u"InstallLocation"_s, u"/d"_s, u"R:\\Altro"_s, u"/f"_s};
    QVERIFY(!registered || run(WineRunner, QStringList{u"reg"_s, u"add"_s} + location).exitCode == 0);
    const auto unregistered = qScopeGuard([&] {
        if (registered)
            run(WineRunner, {u"reg"_s, u"delete"_s, UninstallKey, u"/f"_s});
    });

    int exitCode = -1;
    runAndSettle({u"cmd"_s, u"/c"_s, u"R:\\setup.exe /S /D=R:\\"_s + folder}, &exitCode);
    QCOMPARE(exitCode, refused);
    QCOMPARE(QFile::remove(drive + u"/uninstalled"_s), registered);
    // The same tree and bytes: nothing installed, nothing run.
    QCOMPARE(run(u"diff"_s, {u"-r"_s, m_place->filePath(u"before"_s), drive}).exitCode, 0);
}

void tst_WindowsFolder::setupInstallsAndUninstallingKeepsTheReports()
{
    // A folder whose name holds a blank and an accented letter.
    const QString drive = newDrive();
    QVERIFY(!drive.isEmpty());
    QVERIFY(QFile::copy(m_setup, drive + u"/setup.exe"_s));
    // An older Ruvento: this setup program again, with a folder "vecchio" more.
    QTemporaryDir older;
    const Outcome packed =
        run(QStringLiteral(RUVENTO_CPACK_COMMAND),
            {u"--config"_s, m_release + u"/../CPackConfig.cmake"_s, u"-G"_s, u"NSIS"_s, u"-B"_s, older.path(), u"-D"_s,
             u"CPACK_INSTALLED_DIRECTORIES="_s + m_unpacked + u"/licenses;vecchio"_s});
    QVERIFY2(packed.finished && packed.exitCode == 0, qPrintable(packed.out + packed.err));
    QVERIFY(QFile::copy(older.filePath(QFileInfo(m_setup).fileName()), drive + u"/older.exe"_s));
    const QString installed = drive + u"/Programmi Ruvento è/Ruvento"_s;
    const QString folder = u"R:\\Programmi Ruvento è\\Ruvento"_s;
    // NSIS reads /D= unquoted to the end of its command line, and Wine quotes
    // an argument with a blank: cmd hands the command line on as it is.
    const QStringList setup{u"cmd"_s, u"/c"_s, u"R:\\setup.exe /S /D="_s + folder};
    const QString program = folder + u"\\ruvento.exe"_s;
    const QString reports = installed + u"/Shared/Sistemi"_s;
    const QString obsolete = installed + u"/vecchio"_s;
    // The Start menu's entries, the program's and the reports', and the desktop's.
    const auto links = [this] { return tree(m_prefix + u"/drive_c/users"_s).filter(u".lnk"_s).join(u'|'); };

    // Into a folder that a setup stopped halfway left, without ruvento.exe or an entry.
    QVERIFY(QDir().mkpath(installed) && copyFolder(m_unpacked + u"/platforms"_s, installed)
            && QFile::copy(m_unpacked + u"/Qt6Core.dll"_s, installed + u"/Qt6Core.dll"_s));
    int exitCode = -1;
    runAndSettle({u"cmd"_s, u"/c"_s, u"R:\\older.exe /S /D="_s + folder}, &exitCode);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(exitCode, 0);
    for (const QStringView file :
         {u"ruvento.exe", u"Qt6Core.dll", u"platforms/qwindows.dll", u"Uninstall.exe", u"vecchio/NOTICE.txt"})
        QVERIFY2(QFileInfo::exists(installed + u'/' + file.toString()), qPrintable(file.toString()));
    QVERIFY(QFileInfo(reports).isDir());
    QVERIFY2(links().count(u".lnk"_s) == 3 && links().contains(u"/Report di Ruvento.lnk"_s), qPrintable(links()));
    const Outcome entry = run(WineRunner, {u"reg"_s, u"query"_s, UninstallKey}, m_desktop.environment());
    QVERIFY2(entry.finished && entry.exitCode == 0 && entry.out.contains(u"DisplayVersion"_s), qPrintable(entry.err));

    // While the installed program runs from the folder, the setup program
    // and the uninstaller (run in place, so waited for) refuse and touch
    // nothing. The program saves into its own Shared\Sistemi.
    {
        QProcess ruvento;
        QVERIFY2(start(ruvento, {program}), qPrintable(ruvento.errorString()));
        const auto cleanup = qScopeGuard([&ruvento] { stop(ruvento); });
        QString saved;
        QVERIFY2(m_desktop.waitForWindow(ruvento, MainWindowTitle, &saved) != 0, qPrintable(saved));
        QVERIFY(QFile::copy(installed + u"/Uninstall.exe"_s, drive + u"/un.exe"_s));
        for (const QString &refused : {setup.last(), u"R:\\un.exe /S _?="_s + folder})
            QCOMPARE(run(WineRunner, {u"cmd"_s, u"/c"_s, refused}, m_desktop.environment()).exitCode, 10);
        QVERIFY(QFileInfo::exists(obsolete));
        saveWorkedExample(m_desktop, ruvento, QDir(reports), &saved);
        if (QTest::currentTestFailed())
            return;
    }
    const QStringList report = QDir(reports).entryList(QDir::Files);
    QCOMPARE(report.size(), 1);
    const QStringList onlyTheReport{u"Shared/"_s, u"Shared/Sistemi/"_s, u"Shared/Sistemi/"_s + report.first()};

    // Closed, the older Ruvento gives way whole to this one; the report and a file of its user's stay.
    QVERIFY(QFile::copy(m_unpacked + u"/LEGGIMI.txt"_s, installed + u"/appunti.txt"_s));
    runAndSettle(setup, &exitCode);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(exitCode, 0);
    QVERIFY(!QFileInfo::exists(obsolete) && QFile::remove(installed + u"/appunti.txt"_s));
    QCOMPARE(QDir(reports).entryList(QDir::Files), report);
    // What a signed setup program installs is signed, its uninstaller too.
    const QStringList signedFiles =
        m_signingCa.isEmpty() ? QStringList() : QStringList{u"Uninstall.exe"_s, u"ruvento.exe"_s};
    for (const QString &file : signedFiles) {
        const Outcome verified =
            run(u"osslsigncode"_s, {u"verify"_s, u"-CAfile"_s, m_signingCa, u"-in"_s, installed + u'/' + file});
        QVERIFY2(verified.finished && verified.exitCode == 0, qPrintable(verified.out + verified.err));
    }

    // Uninstalled: the program and its entries are gone, the report stays.
    // The uninstaller hands its work to a copy of itself, not to be started
    // from cmd, which ends the copy with itself; its exit code is that of
    // the hand-over.
    runAndSettle({folder + u"\\Uninstall.exe"_s, u"/S"_s}, &exitCode);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(tree(installed), onlyTheReport);
    QCOMPARE(links(), QString());

    // Installed again: the report is still there, and the program starts.
    runAndSettle(setup, &exitCode);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(exitCode, 0);
    QCOMPARE(QDir(reports).entryList(QDir::Files), report);
    QProcess ruvento;
    QVERIFY2(start(ruvento, {program}), qPrintable(ruvento.errorString()));
    const auto cleanup = qScopeGuard([&ruvento] { stop(ruvento); });
    showWindowAndClose(m_desktop, ruvento);

    // Installed elsewhere: the one installed goes by its own uninstaller, leaving only the report.
    runAndSettle({u"cmd"_s, u"/c"_s, u"R:\\setup.exe /S /D=R:\\Altrove"_s}, &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(tree(installed), onlyTheReport);
    // The older uninstaller, run now, leaves the live entry and shortcuts alone.
    runAndSettle({u"cmd"_s, u"/c"_s, u"R:\\un.exe /S _?="_s + folder}, &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY(run(WineRunner, {u"reg"_s, u"query"_s, UninstallKey}).out.contains(u"R:\\Altrove\\Uninstall.exe"_s));
    QCOMPARE(links().count(u".lnk"_s), 3);
    // Uninstalled without a report: nothing of it stays, its folder included.
    runAndSettle({u"R:\\Altrove\\Uninstall.exe"_s, u"/S"_s}, &exitCode);
    QVERIFY(!QFileInfo::exists(drive + u"/Altrove"_s));
    QCOMPARE(links(), QString());
}

QTEST_GUILESS_MAIN(tst_WindowsFolder)
#include "tst_windowsfolder.moc"
