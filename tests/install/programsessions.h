#pragma once

// What a user does with the program once it is started, whatever started it:
// the same steps for the Linux program folder and for the Windows one under
// Wine. Each step checks with QtTest's macros; the caller's test ends there
// when one fails.

#include "desktopdriver.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTest>

namespace ruvento::testing {

inline const QRegularExpression MainWindowTitle(QStringLiteral("SVILUPPO TESTATE CICLICHE"));
inline const QRegularExpression MessageBoxTitle(QStringLiteral("^Ruvento$"));

// Every path below `root`, relative to it, folders marked with a slash.
inline QStringList tree(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = QDir(root).relativeFilePath(it.filePath());
        entries << (it.fileInfo().isDir() ? relative + u'/' : relative);
    }
    entries.sort();
    return entries;
}

// A folder copied whole, as a user copies a program folder.
inline bool copyFolder(const QString &from, const QString &to)
{
    const Outcome copy = run(QStringLiteral("cp"), {QStringLiteral("-a"), from, to});
    return copy.finished && copy.exitCode == 0;
}

// The window appears and its user closes it through the window manager: the
// program ends with exit status 0.
inline void showWindowAndClose(const Desktop &desktop, QProcess &program)
{
    QString failure;
    const WindowId window = desktop.waitForWindow(program, MainWindowTitle, &failure);
    QVERIFY2(window != 0, qPrintable(failure));
    QVERIFY2(desktop.close(window, &failure), qPrintable(failure));
    QVERIFY2(waitForExit(program, &failure), qPrintable(failure));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

// Without its data folder the program shows its message and never its
// window; answered from the keyboard, it ends with exit status 1.
inline void answerMissingFolderMessage(const Desktop &desktop, QProcess &program)
{
    QString failure;
    const WindowId box = desktop.waitForWindow(program, MessageBoxTitle, &failure);
    QVERIFY2(box != 0, qPrintable(failure));
    QVERIFY(!desktop.hasWindow(program, MainWindowTitle));
    // The box's OK button has the focus.
    QVERIFY2(desktop.sendKeys(box, {QStringLiteral("Return")}, &failure), qPrintable(failure));
    QVERIFY2(waitForExit(program, &failure), qPrintable(failure));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
}

// The worked example typed in, developed and saved: exactly one report in
// `reports`, named for the moment and the counters, holding the sorted rows.
// Its name goes to `saved`. Then the user closes the window.
inline void saveWorkedExample(const Desktop &desktop, QProcess &program, const QDir &reports, QString *saved)
{
    QVERIFY(reports.isEmpty());
    QString failure;
    const WindowId window = desktop.waitForWindow(program, MainWindowTitle, &failure);
    QVERIFY2(window != 0, qPrintable(failure));

    // Keys 88, 3 and 45 in boxes 1 to 3, Tab on to the number mass past the
    // other seven key boxes, 90 and 4 rows, then SVILUPPA TESTATA; past the
    // result box lies SALVA. One key command: xdotool reads every word after
    // "key" as a key name.
    QStringList typing{QStringLiteral("--delay"), QStringLiteral("20")};
    typing << QStringLiteral("8 8 Tab 3 Tab 4 5").split(u' ') << QStringList(8, QStringLiteral("Tab"))
           << QStringLiteral("9 0 Tab 4 Tab space Tab Tab space").split(u' ');
    QVERIFY2(desktop.sendKeys(window, typing, &failure), qPrintable(failure));

    const WindowId confirmation = desktop.waitForWindow(program, MessageBoxTitle, &failure);
    QVERIFY2(confirmation != 0, qPrintable(failure));
    QVERIFY2(desktop.sendKeys(confirmation, {QStringLiteral("Return")}, &failure), qPrintable(failure));
    // The window takes no close request while its box is open.
    QVERIFY2(desktop.waitForNoWindow(program, MessageBoxTitle, &failure), qPrintable(failure));

    const QStringList files = reports.entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    static const QRegularExpression name(QStringLiteral(R"(^\[TC \w{3}-\d{6}\]-90-03-C04\.TXT$)"));
    QVERIFY2(name.match(files.first()).hasMatch(), qPrintable(files.first()));
    QFile report(reports.filePath(files.first()));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(report.readAll(), QByteArray("01 06 48\r\n03 45 88\r\n04 46 89\r\n05 47 90\r\n"));
    *saved = files.first();

    QVERIFY2(desktop.close(window, &failure), qPrintable(failure));
    QVERIFY2(waitForExit(program, &failure), qPrintable(failure));
    QCOMPARE(program.exitCode(), 0);
}

} // namespace ruvento::testing
