#include "development.h"

#include <QTest>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ruvento;

namespace {

using Row = std::vector<qint16>;
using Rows = std::vector<Row>;

VARIABILI developed(const Row &base, qint16 mass, qint16 combinations)
{
    VARIABILI state;
    state.KeyCount = static_cast<qint16>(base.size());
    state.NumberMass = mass;
    state.TotalCombinations = combinations;
    state.DevelopmentTable = DevelopTable(base, mass, combinations);
    return state;
}

Row rowOf(const Table &table, int r)
{
    const auto cells = table.row(r);
    return {cells.begin(), cells.end()};
}

} // namespace

Q_DECLARE_METATYPE(Row)
Q_DECLARE_METATYPE(Rows)

class tst_Development final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void developsRows_data();
    void developsRows();
    void everyRowIsSortedAndStepsByOne();
    void fullCircleEndsBeforeTheBaseRow();
    void tableHasCountersShape();
    void rowTextIsThreeCharactersAKey();
    void listTextEndsEveryLineWithCrlf();
    void listTextIsEmptyWithoutTable();
};

void tst_Development::developsRows_data()
{
    QTest::addColumn<Row>("base");
    QTest::addColumn<int>("mass");
    QTest::addColumn<Rows>("expected"); // sorted rows, development order

    QTest::newRow("worked example") << Row{88, 3, 45} << 90 << Rows{{3, 45, 88}, {4, 46, 89}, {5, 47, 90}, {1, 6, 48}};
    QTest::newRow("no wrap below N - C") << Row{10, 20, 30} << 90 << Rows{{10, 20, 30}, {11, 21, 31}, {12, 22, 32}};
    QTest::newRow("value N wraps to 1") << Row{90, 1, 2} << 90 << Rows{{1, 2, 90}, {1, 2, 3}};
    QTest::newRow("base 0 stays, then 1") << Row{0, 5, 9} << 90 << Rows{{0, 5, 9}, {1, 6, 10}};
    QTest::newRow("95 with N 90 gives 6") << Row{95, 1, 2} << 90 << Rows{{1, 2, 95}, {2, 3, 6}};
    QTest::newRow("99 with N 20 comes down N-1 a row")
        << Row{99, 1, 2} << 20 << Rows{{1, 2, 99}, {2, 3, 80}, {3, 4, 61}, {4, 5, 42}, {5, 6, 23}, {4, 6, 7}};
    QTest::newRow("repeated values side by side") << Row{7, 20, 7} << 90 << Rows{{7, 7, 20}, {8, 8, 21}};
    QTest::newRow("base row shown sorted") << Row{45, 3, 88} << 90 << Rows{{3, 45, 88}};
    QTest::newRow("99 with N 99") << Row{99, 98, 99} << 99 << Rows{{98, 99, 99}, {1, 1, 99}, {1, 2, 2}};
    QTest::newRow("ten columns, gaps 5 2 1")
        << Row{90, 10, 80, 20, 70, 30, 60, 40, 50, 1} << 90
        << Rows{{1, 10, 20, 30, 40, 50, 60, 70, 80, 90}, {1, 2, 11, 21, 31, 41, 51, 61, 71, 81}};
    QTest::newRow("descending ten") << Row{10, 9, 8, 7, 6, 5, 4, 3, 2, 1} << 10
                                    << Rows{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
}

void tst_Development::developsRows()
{
    QFETCH(Row, base);
    QFETCH(int, mass);
    QFETCH(Rows, expected);

    const Table table = DevelopTable(base, static_cast<qint16>(mass), static_cast<qint16>(expected.size()));
    QCOMPARE(table.rows(), int(expected.size()));
    QCOMPARE(table.columns(), int(base.size()));
    for (std::size_t r = 0; r < expected.size(); ++r)
        QCOMPARE(rowOf(table, int(r) + 1), expected[r]);
}

void tst_Development::everyRowIsSortedAndStepsByOne()
{
    // Columns follow their own circle, so compare each row's multiset with
    // the previous one moved on by one step.
    const Row base{5, 99, 0, 42, 42, 17, 63, 88, 1, 50};
    const qint16 mass = 99;
    const Table table = DevelopTable(base, mass, mass);
    for (int r = 1; r <= table.rows(); ++r) {
        const Row cells = rowOf(table, r);
        QVERIFY2(std::ranges::is_sorted(cells), qPrintable(u"row %1"_s.arg(r)));
        if (r == 1)
            continue;
        Row stepped = rowOf(table, r - 1);
        for (qint16 &v : stepped)
            v = static_cast<qint16>(v + 1 > mass ? v + 1 - mass : v + 1);
        std::ranges::sort(stepped);
        QCOMPARE(cells, stepped);
        for (qint16 v : cells)
            QVERIFY(v >= 1 && v <= 99);
    }
}

void tst_Development::fullCircleEndsBeforeTheBaseRow()
{
    const Table table = DevelopTable(Row{1, 45, 90}, 90, 90);
    QCOMPARE(rowOf(table, 90), (Row{44, 89, 90})); // 1-1 -> 90, 45-1, 90-1
}

void tst_Development::tableHasCountersShape()
{
    const Table table = DevelopTable(Row{1, 2, 3, 4}, 12, 7);
    QCOMPARE(table.rows(), 7);
    QCOMPARE(table.columns(), 4);
}

void tst_Development::rowTextIsThreeCharactersAKey()
{
    const VARIABILI state = developed({5, 12, 47}, 90, 1);
    QCOMPARE(FormatRow(state, 1), u"05 12 47 "_s);

    for (int keys = 3; keys <= 10; ++keys) {
        Row base;
        for (int k = 0; k < keys; ++k)
            base.push_back(static_cast<qint16>(k * 11));
        const VARIABILI wide = developed(base, 99, 99);
        for (int r = 1; r <= 99; ++r)
            QCOMPARE(FormatRow(wide, r).size(), 3 * keys);
    }
}

void tst_Development::listTextEndsEveryLineWithCrlf()
{
    QCOMPARE(ListText(developed({88, 3, 45}, 90, 4)), u"03 45 88\r\n04 46 89\r\n05 47 90\r\n01 06 48\r\n"_s);
    QCOMPARE(ListText(developed({0, 9, 99}, 99, 1)), u"00 09 99\r\n"_s);
}

void tst_Development::listTextIsEmptyWithoutTable()
{
    VARIABILI state;
    state.KeyCount = 3;
    state.NumberMass = 90;
    state.TotalCombinations = 4;
    QCOMPARE(ListText(state), QString());

    state.DevelopmentTable = DevelopTable(Row{1, 2, 3}, 90, 2); // fewer rows than counted
    QCOMPARE(ListText(state), QString());
}

QTEST_APPLESS_MAIN(tst_Development)
#include "tst_development.moc"
