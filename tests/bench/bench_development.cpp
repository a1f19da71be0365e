#include "development.h"
#include "funzioni.h"
#include "report.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace ruvento;

// The largest development the window allows: ten keys, N 99, C 99.
class bench_Development final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void developAndListText();
    void saveReport();

private:
    static constexpr qint16 Mass = 99;
    static constexpr std::array<qint16, 10> Base{99, 5, 42, 0, 87, 13, 64, 99, 31, 58};
    VARIABILI m_state;
};

void bench_Development::initTestCase()
{
    m_state.KeyCount = Base.size();
    m_state.NumberMass = Mass;
    m_state.TotalCombinations = Mass;
    m_state.DevelopmentTable = DevelopTable(Base, Mass, Mass);
}

void bench_Development::developAndListText()
{
    qsizetype size = 0;
    QBENCHMARK
    {
        VARIABILI state = m_state;
        state.DevelopmentTable = DevelopTable(Base, Mass, Mass);
        size = ListText(state).size();
    }
    QCOMPARE(size, 99 * (29 + 2));
}

void bench_Development::saveReport()
{
    QTemporaryDir app;
    QVERIFY(QDir(app.path()).mkpath(u"Shared/Sistemi"_s));
    Message message;
    QBENCHMARK
    {
        message = SaveReport(m_state, app.path(), u"LUN-143005"_s);
    }
    QCOMPARE(message.icon, MessageIcon::None);
}

QTEST_APPLESS_MAIN(bench_Development)
#include "bench_development.moc"
