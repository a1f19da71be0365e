// The Windows program folder as its user meets it: the zip that cpack made in
// the Windows build, unpacked and started under Wine on a virtual X display,
// from a folder on a drive and from the root of a drive.

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

private:
    void placesToStartFrom();
    // Starts a fresh copy of the unpacked folder from the drive, as `place`
    // asks: the folder R:\Ruvento, or the drive's root itself; `removed`
    // names a part of the copy taken away first. The copy's host folder goes
    // to `folder`.
    [[nodiscard]] bool launch(QProcess &program, const QString &place, const QString &removed, QString *folder);

    QTemporaryDir m_root;
    QString m_unpacked;
    QString m_prefix;
    std::unique_ptr<QTemporaryDir> m_place;
    Desktop m_desktop;
};

void tst_WindowsFolder::initTestCase()
{
    for (const QStringView tool : {u"Xvfb", u"openbox", u"xdotool", u"wine"}) {
        if (QStandardPaths::findExecutable(tool.toString()).isEmpty())
            QFAIL(qPrintable(tool.toString() + u" is missing; scripts/setup.sh windows installs it"_s));
    }
    const QString build = qEnvironmentVariable("RUVENTO_WINDOWS_BUILD");
    const QStringList zips = QDir(build).entryList({u"Ruvento-*-win64.zip"_s}, QDir::Files);
    QVERIFY2(zips.size() == 1, "no single Ruvento-*-win64.zip in RUVENTO_WINDOWS_BUILD; ./test.sh windows makes it");

    QVERIFY(m_root.isValid());
    const Outcome unzip =
        run(QStringLiteral(RUVENTO_CMAKE_COMMAND), {u"-E"_s, u"tar"_s, u"xf"_s, QDir(build).filePath(zips.first())},
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
    // The program, the data folder, and what the program loads besides
    // Windows itself: nothing else is to be installed on the user's Windows.
    const QStringList expected{
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
        u"platforms/"_s,
        u"platforms/qwindows.dll"_s,
        u"ruvento.exe"_s,
    };
    QCOMPARE(tree(m_unpacked), expected);
}

void tst_WindowsFolder::placesToStartFrom()
{
    QTest::addColumn<QString>("place");
    QTest::newRow("folder on a drive") << u"R:\\Ruvento"_s;
    // The application path is then "R:\" and the data folder R:\\Shared\Sistemi\.
    QTest::newRow("root of a drive") << u"R:\\"_s;
}

bool tst_WindowsFolder::launch(QProcess &program, const QString &place, const QString &removed, QString *folder)
{
    m_place = std::make_unique<QTemporaryDir>();
    const QString drive = m_place->filePath(u"drive"_s);
    const bool atRoot = place.endsWith(u'\\');
    *folder = atRoot ? drive : drive + u"/Ruvento"_s;
    if (!m_place->isValid() || !QDir().mkpath(QFileInfo(*folder).path()) || !copyFolder(m_unpacked, *folder))
        return false;
    if (!removed.isEmpty() && !QDir(QDir(*folder).filePath(removed)).removeRecursively())
        return false;
    const QString link = m_prefix + u"/dosdevices/"_s + Drive;
    QFile::remove(link);
    if (!QFile::link(drive, link))
        return false;

    // Only what the folder brings: no DLL search path into the build's Qt.
    QProcessEnvironment environment = m_desktop.environment();
    environment.remove(u"RUVENTO_WINE_DLL_DIRS"_s);
    environment.remove(u"WINEPATH"_s);
    // An Italian user, whose weekday the report's name carries.
    environment.remove(u"LC_ALL"_s);
    environment.insert(u"LANG"_s, u"it_IT.UTF-8"_s);
    program.setProcessEnvironment(environment);
    program.start(WineRunner, {place + (atRoot ? QString() : u"\\"_s) + u"ruvento.exe"_s});
    return program.waitForStarted(HungAfterMs);
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

QTEST_GUILESS_MAIN(tst_WindowsFolder)
#include "tst_windowsfolder.moc"
