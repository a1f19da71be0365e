#include "funzioni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace ruvento;

class tst_Funzioni final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folderExistsOnlyForDirectories();
    void dataFolderMapsOnlyTheLiteral();
    void timeTag_data();
    void timeTag();
    void timeTagTakesWholeCharacters();
};

void tst_Funzioni::folderExistsOnlyForDirectories()
{
    QTemporaryDir app;
    QVERIFY(app.isValid());
    const QString base = app.path();

    QVERIFY(!Funzioni::FolderExists(DataFolder(base))); // Shared missing
    QVERIFY(QDir(base).mkdir(u"Shared"_s));
    QVERIFY(!Funzioni::FolderExists(DataFolder(base))); // Sistemi missing

    QFile plain(base + u"/Shared/Sistemi"_s);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(!Funzioni::FolderExists(DataFolder(base)));
    QVERIFY(!Funzioni::FolderExists(base + u"/Shared/Sistemi"_s));
    QVERIFY(plain.remove());

    QVERIFY(QDir(base).mkpath(u"Shared/Sistemi"_s));
    QVERIFY(Funzioni::FolderExists(DataFolder(base))); // trailing separator
    QVERIFY(Funzioni::FolderExists(base + u"/Shared/Sistemi"_s));
    QVERIFY(Funzioni::FolderExists(base + u"//Shared/Sistemi/"_s)); // doubled separator

    QVERIFY(!Funzioni::FolderExists(QString()));
    QVERIFY(!Funzioni::FolderExists(base + u"/Shared\0/Sistemi"_s));
    QVERIFY(!Funzioni::FolderExists(u"/proc/self/fd/999999/x"_s));
}

void tst_Funzioni::dataFolderMapsOnlyTheLiteral()
{
    const auto native = [](const QString &path) { return QDir::toNativeSeparators(path); };
    QCOMPARE(DataFolder(native(u"/opt/ruvento"_s)), native(u"/opt/ruvento/Shared/Sistemi/"_s));
    // At the root the two texts join as they are.
    QCOMPARE(DataFolder(native(u"/"_s)), native(u"//Shared/Sistemi/"_s));
    // The application path is never touched: a drive root keeps its separator,
    // and a backslash inside a Linux folder name stays part of that name.
    QCOMPARE(DataFolder(u"R:\\"_s), u"R:\\"_s + native(u"/Shared/Sistemi/"_s));
    QCOMPARE(DataFolder(u"/home/a\\b"_s), u"/home/a\\b"_s + native(u"/Shared/Sistemi/"_s));
}

void tst_Funzioni::timeTag_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("tag");

    const QDate monday(2026, 12, 7);
    const auto at = [&](int dayOffset, int h, int m, int s) {
        return QDateTime(monday.addDays(dayOffset), QTime(h, m, s));
    };
    QTest::newRow("worked example") << at(0, 14, 30, 5) << u"it_IT"_s << u"LUN-143005"_s;
    QTest::newRow("English") << at(0, 14, 30, 5) << u"en_US"_s << u"MON-143005"_s;
    QTest::newRow("midnight belongs to the new day") << at(1, 0, 0, 0) << u"it_IT"_s << u"MAR-000000"_s;
    QTest::newRow("last second of the day") << at(0, 23, 59, 59) << u"it_IT"_s << u"LUN-235959"_s;
    const QStringList italian{u"LUN"_s, u"MAR"_s, u"MER"_s, u"GIO"_s, u"VEN"_s, u"SAB"_s, u"DOM"_s};
    const QStringList english{u"MON"_s, u"TUE"_s, u"WED"_s, u"THU"_s, u"FRI"_s, u"SAT"_s, u"SUN"_s};
    for (int d = 0; d < 7; ++d) {
        QTest::addRow("it day %d", d + 1) << at(d, 9, 5, 0) << u"it_IT"_s << italian[d] + u"-090500"_s;
        QTest::addRow("en day %d", d + 1) << at(d, 9, 5, 0) << u"en_GB"_s << english[d] + u"-090500"_s;
    }
}

void tst_Funzioni::timeTag()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, locale);
    QFETCH(QString, tag);
    QCOMPARE(Funzioni::ReportTimeTag(now, QLocale(locale)), tag);
}

void tst_Funzioni::timeTagTakesWholeCharacters()
{
    const QDateTime friday(QDate(2026, 12, 11), QTime(8, 0, 0));
    // Greek Παρασκευή, Russian пятница: upper-cased, three letters each.
    QCOMPARE(Funzioni::ReportTimeTag(friday, QLocale(u"el_GR"_s)), u"ΠΑΡ-080000"_s);
    QCOMPARE(Funzioni::ReportTimeTag(friday, QLocale(u"ru_RU"_s)), u"ПЯТ-080000"_s);
}

QTEST_APPLESS_MAIN(tst_Funzioni)
#include "tst_funzioni.moc"
