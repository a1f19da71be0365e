#include "funzioni.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace ruvento;

// Run under different LC_ALL / LC_TIME / LANG settings: the tag's weekday
// follows the user's time locale, as the platform defines it.
class tst_SystemLocale final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void weekdayFollowsTheUsersLocale();
};

void tst_SystemLocale::weekdayFollowsTheUsersLocale()
{
    QByteArray name = qgetenv("LC_ALL");
    if (name.isEmpty())
        name = qgetenv("LC_TIME");
    if (name.isEmpty())
        name = qgetenv("LANG");

    QStringList days;
    if (name.startsWith("it"))
        days = {u"LUN"_s, u"MAR"_s, u"MER"_s, u"GIO"_s, u"VEN"_s, u"SAB"_s, u"DOM"_s};
    else if (name.startsWith("en"))
        days = {u"MON"_s, u"TUE"_s, u"WED"_s, u"THU"_s, u"FRI"_s, u"SAT"_s, u"SUN"_s};
    else if (name.startsWith("de"))
        days = {u"MON"_s, u"DIE"_s, u"MIT"_s, u"DON"_s, u"FRE"_s, u"SAM"_s, u"SON"_s};
    else
        QSKIP("No expectation for this locale");

    const QString tag = Funzioni::ReportTimeTag();
    QCOMPARE(tag.size(), 10);
    QVERIFY2(days.contains(tag.left(3)), qPrintable(tag));
    QCOMPARE(tag.at(3), u'-');
    for (QChar c : tag.mid(4))
        QVERIFY(c.isDigit());
}

QTEST_APPLESS_MAIN(tst_SystemLocale)
#include "tst_systemlocale.moc"
