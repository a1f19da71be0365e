#include "commands.h"
#include "development.h"
#include "faults.h"
#include "funzioni.h"
#include "report.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace ruvento;

namespace {

VARIABILI developed(const std::vector<qint16> &base, qint16 mass, qint16 combinations)
{
    VARIABILI state;
    state.KeyCount = static_cast<qint16>(base.size());
    state.NumberMass = mass;
    state.TotalCombinations = combinations;
    state.DevelopmentTable = DevelopTable(base, mass, combinations);
    return state;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

const QString Tag = u"LUN-143005"_s;

// The refusal keeps its sentence and its end and carries the system's reason between them.
bool saysWhyNotSaved(const Message &message)
{
    const QString sentence = u"Report non salvato in Shared/Sistemi: "_s;
    return message.icon == MessageIcon::Error && message.text.startsWith(sentence) && message.text.endsWith(u"..! "_s)
        && message.text.size() > sentence.size() + 4 && !message.text.endsWith(u"...! "_s);
}

} // namespace

class tst_Report final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void headerAndNameCarryTwoDigitCounters();
    void linesSortByCharacterCodes();
    void savesTheWorkedExampleByteForByte();
    void oneRowGivesOneLine();
    void identicalRowsStandSideBySide();
    void sameNameReplacesTheOlderReport();
    void nothingToSaveWritesNoFile_data();
    void nothingToSaveWritesNoFile();
    void countersBeyondTheTableAreRefused_data();
    void countersBeyondTheTableAreRefused();
    void failedSaveLeavesNoPartialFileAndKeepsOlder_data();
    void failedSaveLeavesNoPartialFileAndKeepsOlder();
    void briefHoldIsWaitedOut_data();
    void briefHoldIsWaitedOut();
    void fullDiskKeepsTheOlderReport();

private:
    // A program folder with its data folder, as the window would save into.
    std::unique_ptr<QTemporaryDir> m_app;
    QString appPath() const { return QDir::toNativeSeparators(m_app->path()); }
    QString sistemi() const { return m_app->filePath(u"Shared/Sistemi"_s); }
    QStringList reports() const
    {
        return QDir(sistemi()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

void tst_Report::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid());
    QVERIFY(QDir(m_app->path()).mkpath(u"Shared/Sistemi"_s));
}

void tst_Report::headerAndNameCarryTwoDigitCounters()
{
    const VARIABILI state = developed({88, 3, 45}, 90, 4);
    QCOMPARE(ReportHeader(state), u"90-03-C04"_s);
    QCOMPARE(ReportFileName(state, Tag), u"[TC LUN-143005]-90-03-C04.TXT"_s);

    VARIABILI wide = developed({1, 2, 3, 4, 5}, 90, 10);
    QCOMPARE(ReportFileName(wide, u"MON-000000"_s), u"[TC MON-000000]-90-05-C10.TXT"_s);
}

void tst_Report::linesSortByCharacterCodes()
{
    const VARIABILI state = developed({88, 3, 45}, 90, 4);
    QCOMPARE(ReportLines(state), (QStringList{u"01 06 48 "_s, u"03 45 88 "_s, u"04 46 89 "_s, u"05 47 90 "_s}));

    // A full circle of ten keys: the file order is plain text order.
    const VARIABILI big = developed({5, 99, 0, 42, 42, 17, 63, 88, 1, 50}, 99, 99);
    const QStringList lines = ReportLines(big);
    QCOMPARE(lines.size(), 99);
    QVERIFY(
        std::ranges::is_sorted(lines, [](const QString &a, const QString &b) { return QString::compare(a, b) < 0; }));
}

void tst_Report::savesTheWorkedExampleByteForByte()
{
    const VARIABILI state = developed({88, 3, 45}, 90, 4);
    const Message message = SaveReport(state, appPath(), Tag);
    QCOMPARE(message, (Message{u"Report salvato in Shared/Sistemi..! "_s, MessageIcon::None}));
    QCOMPARE(reports(), QStringList{u"[TC LUN-143005]-90-03-C04.TXT"_s});
    QCOMPARE(readAll(sistemi() + u"/[TC LUN-143005]-90-03-C04.TXT"_s),
             QByteArray("01 06 48\r\n03 45 88\r\n04 46 89\r\n05 47 90\r\n"));
}

void tst_Report::oneRowGivesOneLine()
{
    QCOMPARE(SaveReport(developed({9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, 9, 1), appPath(), Tag).icon, MessageIcon::None);
    QCOMPARE(readAll(sistemi() + u"/[TC LUN-143005]-09-10-C01.TXT"_s), QByteArray("00 01 02 03 04 05 06 07 08 09\r\n"));
}

void tst_Report::identicalRowsStandSideBySide()
{
    const QByteArray contents = ReportContents(developed({1, 31, 61}, 90, 31));
    QVERIFY(contents.startsWith("01 31 61\r\n01 31 61\r\n02 32 62\r\n"));
    QCOMPARE(contents.count("\r\n"), 31);
}

void tst_Report::sameNameReplacesTheOlderReport()
{
    QCOMPARE(SaveReport(developed({1, 2, 3}, 90, 4), appPath(), Tag).icon, MessageIcon::None);
    QCOMPARE(SaveReport(developed({10, 20, 30}, 90, 4), appPath(), Tag).icon, MessageIcon::None);
    QCOMPARE(SaveReport(developed({10, 20, 30}, 90, 4), appPath(), u"LUN-143006"_s).icon, MessageIcon::None);
    QCOMPARE(reports().size(), 2);
    QVERIFY(readAll(sistemi() + u"/[TC LUN-143005]-90-03-C04.TXT"_s).startsWith("10 20 30\r\n"));
}

void tst_Report::nothingToSaveWritesNoFile_data()
{
    QTest::addColumn<bool>("cleared");
    QTest::newRow("after start-up") << false;
    QTest::newRow("after clear") << true;
}

void tst_Report::nothingToSaveWritesNoFile()
{
    QFETCH(bool, cleared);
    VARIABILI state;
    if (cleared) {
        state = developed({88, 3, 45}, 90, 4);
        ClearCommand(state);
    }
    QCOMPARE(SaveReport(state, appPath(), Tag), (Message{u"Nessuna combinazione ..! "_s, MessageIcon::Error}));
    QVERIFY(reports().isEmpty());
}

void tst_Report::countersBeyondTheTableAreRefused_data()
{
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("table");
    QTest::newRow("no table yet") << 3 << 4 << false;
    QTest::newRow("more rows than the table") << 3 << 5 << true;
    QTest::newRow("more columns than the table") << 4 << 4 << true;
}

void tst_Report::countersBeyondTheTableAreRefused()
{
    QFETCH(int, keys);
    QFETCH(int, rows);
    QFETCH(bool, table);
    VARIABILI state = developed({88, 3, 45}, 90, 4);
    if (!table)
        state.DevelopmentTable.reset();
    state.KeyCount = static_cast<qint16>(keys);
    state.TotalCombinations = static_cast<qint16>(rows);

    const Message message = SaveReport(state, appPath(), Tag);
    QCOMPARE(message.icon, MessageIcon::Error);
    QCOMPARE(message.text, ReportMessages::TableMismatch.toString());
    QVERIFY(reports().isEmpty());
}

void tst_Report::failedSaveLeavesNoPartialFileAndKeepsOlder_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("data folder removed") << u"removed"_s;
    QTest::newRow("a directory holds the name") << u"directory"_s;
    QTest::newRow("access refused") << u"readonly"_s;
}

void tst_Report::failedSaveLeavesNoPartialFileAndKeepsOlder()
{
    QFETCH(QString, obstacle);
    const PermissionsEnforced permissions;
    const VARIABILI state = developed({88, 3, 45}, 90, 4);
    const QString name = ReportFileName(state, Tag);
    QDir folder(sistemi());

    if (obstacle == u"removed") {
        QVERIFY(folder.removeRecursively());
    } else if (obstacle == u"directory") {
        QVERIFY(folder.mkdir(name));
    } else {
        QFile older(folder.filePath(name));
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("older\r\n");
        older.close();
        QVERIFY(QFile::setPermissions(sistemi(), QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(folder.filePath(u"probe"_s));
        if (probe.open(QIODevice::WriteOnly)) { // a folder's read-only flag means nothing on Windows
            probe.remove();
            QFile::setPermissions(sistemi(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("Permissions do not hold for this user");
        }
    }
    const QStringList before = obstacle == u"removed" ? QStringList() : reports();

    int paused = 0;
    const Message message = SaveReport(state, appPath(), Tag, {6, [&paused] { ++paused; }});
    QVERIFY2(saysWhyNotSaved(message), qPrintable(message.text));
    QCOMPARE(paused, 0); // what lasts is told at once

    if (obstacle == u"removed") {
        QVERIFY(!QFileInfo::exists(sistemi()));
    } else {
        QCOMPARE(reports(), before); // no temporary file left behind
        if (obstacle == u"readonly") {
            QCOMPARE(readAll(folder.filePath(name)), QByteArray("older\r\n"));
            QFile::setPermissions(sistemi(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
}

void tst_Report::briefHoldIsWaitedOut_data()
{
    QTest::addColumn<bool>("letsGo");
    QTest::addColumn<bool>("folder"); // the save's temporary files held too, let go after the tries
    QTest::newRow("let go while the save waits") << true << false;
    QTest::newRow("held throughout") << false << false;
    QTest::newRow("folder held, let go while the save waits") << true << true;
    QTest::newRow("folder held throughout the tries") << false << true;
}

void tst_Report::briefHoldIsWaitedOut()
{
    QFETCH(bool, letsGo);
    QFETCH(bool, folder);
    const VARIABILI state = developed({88, 3, 45}, 90, 4);
    const QString path = sistemi() + u'/' + ReportFileName(state, Tag);
    {
        QFile older(path);
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("older\r\n") == 7);
    }
    FileHold hold(folder ? sistemi() : path, folder ? FileHold::Folder : FileHold::File);
    if (!hold.active())
        QSKIP("No hold of this kind here");
    int paused = 0;
    const auto pause = [&] {
        ++paused;
        if (letsGo || paused == 6)
            hold.release();
    };
    const Message message = SaveReport(state, appPath(), Tag, {6, pause});
    QCOMPARE(paused, letsGo ? 1 : (folder ? 6 : 5));
    hold.release();
    QCOMPARE(readAll(path), letsGo ? ReportContents(state) : QByteArray("older\r\n"));
    QVERIFY2(letsGo ? message.icon == MessageIcon::None : saysWhyNotSaved(message), qPrintable(message.text));
    QCOMPARE(reports().size(), 1); // no temporary file of the save left behind
}

void tst_Report::fullDiskKeepsTheOlderReport()
{
    const VARIABILI state = developed({5, 99, 0, 42, 42, 17, 63, 88, 1, 50}, 99, 99);
    const QString path = sistemi() + u'/' + ReportFileName(state, Tag);
    {
        QFile older(path);
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("older\r\n");
    }

    Message message;
    {
        const FileSizeLimit limit(64);
        if (!limit.active())
            QSKIP("No way here to make the disk look full");
        message = SaveReport(state, appPath(), Tag);
    }

    QVERIFY2(saysWhyNotSaved(message), qPrintable(message.text));
    QCOMPARE(readAll(path), QByteArray("older\r\n"));
    QCOMPARE(reports().size(), 1);
}

QTEST_APPLESS_MAIN(tst_Report)
#include "tst_report.moc"
