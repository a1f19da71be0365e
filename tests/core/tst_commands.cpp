#include "commands.h"
#include "development.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace ruvento;

namespace {

InputTexts inputs(std::initializer_list<std::pair<int, QString>> keys, QString numeri, QString combinazioni)
{
    InputTexts input;
    for (const auto &[index, text] : keys)
        input.txtChiave[static_cast<std::size_t>(index - 1)] = text;
    input.txtNumeri = std::move(numeri);
    input.txtCombinazioni = std::move(combinazioni);
    return input;
}

InputTexts workedExample()
{
    return inputs({{1, u"88"_s}, {4, u"3"_s}, {7, u"45"_s}}, u"90"_s, u"4"_s);
}

} // namespace

Q_DECLARE_METATYPE(InputTexts)
Q_DECLARE_METATYPE(FocusBox)

class tst_Commands final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsOneOrTwoAsciiDigits();
    void developsTheWorkedExample();
    void keysAnywhereFormColumnsInBoxOrder();
    void refusesInCheckOrder_data();
    void refusesInCheckOrder();
    void failedDevelopKeepsThePreviousState();
    void combinationsEqualToMassAreAccepted();
    void clearZeroesCountersAndKeepsTable();
};

void tst_Commands::readsOneOrTwoAsciiDigits()
{
    QCOMPARE(ReadBox(u"07"_s), std::optional<qint16>(7));
    QCOMPARE(ReadBox(u"99"_s), std::optional<qint16>(99));
    QCOMPARE(ReadBox(u"0"_s), std::optional<qint16>(0));
    for (const QString &bad : {u""_s, u"123"_s, u"7x"_s, u"-1"_s, u"+5"_s, u" 5"_s, u"5."_s,
                               u"\u0663"_s /* Arabic-Indic three */, u"\uFF15"_s /* full-width five */})
        QVERIFY2(!ReadBox(bad), qPrintable(bad));
}

void tst_Commands::developsTheWorkedExample()
{
    VARIABILI state;
    const DevelopOutcome outcome = DevelopCommand(state, workedExample());
    QVERIFY(outcome.developed());
    QCOMPARE(outcome.focus, FocusBox::Unchanged);
    QCOMPARE(outcome.listText, u"03 45 88\r\n04 46 89\r\n05 47 90\r\n01 06 48\r\n"_s);
    QCOMPARE(state.KeyCount, 3);
    QCOMPARE(state.NumberMass, 90);
    QCOMPARE(state.TotalCombinations, 4);
    QVERIFY(state.DevelopmentTable);
    QCOMPARE(state.DevelopmentTable.value().rows(), 4);
}

void tst_Commands::keysAnywhereFormColumnsInBoxOrder()
{
    VARIABILI state;
    const auto outcome = DevelopCommand(state, inputs({{2, u"30"_s}, {5, u"07"_s}, {10, u"9"_s}}, u"90"_s, u"1"_s));
    QVERIFY(outcome.developed());
    QCOMPARE(state.KeyCount, 3);
    QCOMPARE(outcome.listText, u"07 09 30\r\n"_s);
}

void tst_Commands::refusesInCheckOrder_data()
{
    QTest::addColumn<InputTexts>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<FocusBox>("focus");
    QTest::addColumn<int>("chiave");

    const auto keys3 = {std::pair{1, u"1"_s}, std::pair{2, u"2"_s}, std::pair{3, u"3"_s}};
    QTest::newRow("nothing at all") << InputTexts{} << DevelopMessages::TooFewKeys.toString() << FocusBox::Chiave << 1;
    QTest::newRow("two keys, rest filled") << inputs({{3, u"1"_s}, {9, u"2"_s}}, u"90"_s, u"4"_s)
                                           << DevelopMessages::TooFewKeys.toString() << FocusBox::Chiave << 1;
    QTest::newRow("mass and combinations empty")
        << inputs(keys3, {}, {}) << DevelopMessages::NoNumberMass.toString() << FocusBox::Numeri << 0;
    QTest::newRow("combinations empty") << inputs(keys3, u"90"_s, {}) << DevelopMessages::NoCombinations.toString()
                                        << FocusBox::Combinazioni << 0;
    QTest::newRow("combinations above mass")
        << inputs(keys3, u"10"_s, u"11"_s) << DevelopMessages::AboveNumberMass.toString() << FocusBox::Combinazioni
        << 0;
    QTest::newRow("zero combinations") << inputs(keys3, u"90"_s, u"0"_s) << DevelopMessages::ZeroCombinations.toString()
                                       << FocusBox::Combinazioni << 0;
    QTest::newRow("only zeros") << inputs(keys3, u"90"_s, u"00"_s) << DevelopMessages::ZeroCombinations.toString()
                                << FocusBox::Combinazioni << 0;
    QTest::newRow("mass 0, combinations 0")
        << inputs(keys3, u"0"_s, u"0"_s) << DevelopMessages::ZeroCombinations.toString() << FocusBox::Combinazioni << 0;
    QTest::newRow("pasted letters in key 6") << inputs({{1, u"1"_s}, {2, u"2"_s}, {6, u"ab"_s}}, u"90"_s, u"4"_s)
                                             << DevelopMessages::NotANumber.toString() << FocusBox::Chiave << 6;
    QTest::newRow("three digits in a key") << inputs({{1, u"1"_s}, {2, u"123"_s}, {3, u"3"_s}}, u"90"_s, u"4"_s)
                                           << DevelopMessages::NotANumber.toString() << FocusBox::Chiave << 2;
    QTest::newRow("mass not a number") << inputs(keys3, u"9x"_s, u"4"_s) << DevelopMessages::NotANumber.toString()
                                       << FocusBox::Numeri << 0;
    QTest::newRow("combinations overflow a 16-bit number")
        << inputs(keys3, u"90"_s, u"99999"_s) << DevelopMessages::NotANumber.toString() << FocusBox::Combinazioni << 0;
}

void tst_Commands::refusesInCheckOrder()
{
    QFETCH(InputTexts, input);
    QFETCH(QString, text);
    QFETCH(FocusBox, focus);
    QFETCH(int, chiave);

    VARIABILI state;
    const DevelopOutcome outcome = DevelopCommand(state, input);
    QVERIFY(!outcome.developed());
    QCOMPARE(outcome.message.value().text, text);
    QCOMPARE(outcome.message.value().icon, MessageIcon::Error);
    QVERIFY(outcome.message.value().text.endsWith(u"..! "_s));
    QCOMPARE(outcome.focus, focus);
    if (focus == FocusBox::Chiave)
        QCOMPARE(outcome.chiaveIndex, chiave);
    QVERIFY(outcome.listText.isEmpty());
    QCOMPARE(state, VARIABILI{});
}

void tst_Commands::failedDevelopKeepsThePreviousState()
{
    VARIABILI state;
    QVERIFY(DevelopCommand(state, workedExample()).developed());
    const VARIABILI before = state;

    // Each of these would have replaced a counter as soon as it was read.
    QVERIFY(!DevelopCommand(state, inputs({{1, u"5"_s}}, u"20"_s, u"2"_s)).developed());
    QVERIFY(!DevelopCommand(state, inputs({{1, u"5"_s}, {2, u"6"_s}, {3, u"7"_s}, {4, u"8"_s}}, u"20"_s, u"30"_s))
                 .developed());
    QVERIFY(!DevelopCommand(state, inputs({{1, u"5"_s}, {2, u"6"_s}, {3, u"7"_s}}, u"50"_s, {})).developed());
    QCOMPARE(state, before);
}

void tst_Commands::combinationsEqualToMassAreAccepted()
{
    VARIABILI state;
    QVERIFY(DevelopCommand(state, inputs({{1, u"1"_s}, {2, u"2"_s}, {3, u"3"_s}}, u"99"_s, u"99"_s)).developed());
    QCOMPARE(state.DevelopmentTable.value().rows(), 99);
}

void tst_Commands::clearZeroesCountersAndKeepsTable()
{
    VARIABILI state;
    QVERIFY(DevelopCommand(state, workedExample()).developed());
    const Table table = state.DevelopmentTable.value();
    ClearCommand(state);
    QCOMPARE(state.NumberMass, 0);
    QCOMPARE(state.TotalCombinations, 0);
    QCOMPARE(state.KeyCount, 3);
    QCOMPARE(state.DevelopmentTable.value(), table);
}

QTEST_APPLESS_MAIN(tst_Commands)
#include "tst_commands.moc"
