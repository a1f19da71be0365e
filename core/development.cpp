#include "development.h"

#include "shellsort.h"

namespace ruvento {

Table DevelopTable(std::span<const qint16> baseRow, qint16 numberMass, qint16 totalCombinations)
{
    Q_ASSERT(baseRow.size() >= 3);
    Q_ASSERT(totalCombinations >= 1 && totalCombinations <= numberMass);

    const int keyCount = static_cast<int>(baseRow.size());
    Table table(totalCombinations, keyCount);

    // Row 1 takes the values as typed, even 0 or values above the number mass.
    for (int k = 1; k <= keyCount; ++k)
        table.at(1, k) = baseRow[static_cast<std::size_t>(k - 1)];

    // Each cell wraps at most once, so a base value far above the mass comes
    // down step by step rather than in one jump.
    for (int r = 2; r <= totalCombinations; ++r) {
        for (int k = 1; k <= keyCount; ++k) {
            auto cell = static_cast<qint16>(table.at(r - 1, k) + 1);
            if (cell > numberMass)
                cell = static_cast<qint16>(cell - numberMass);
            table.at(r, k) = cell;
        }
    }

    for (int r = 1; r <= totalCombinations; ++r)
        ShellSort(table.row(r), [](qint16 a, qint16 b) { return a > b; });

    return table;
}

namespace {

// The "00 " pattern: at least two digits, then one blank.
void appendNumber(QString &text, qint16 value)
{
    if (value >= 0 && value <= 99) {
        text.append(QChar(u'0' + value / 10));
        text.append(QChar(u'0' + value % 10));
    } else {
        text.append(QString::number(value).rightJustified(2, u'0'));
    }
    text.append(u' ');
}

} // namespace

QString FormatRow(const VARIABILI &state, int row)
{
    Q_ASSERT(TableCoversCounters(state));
    const std::span<const qint16> cells =
        state.DevelopmentTable.value().row(row).first(static_cast<std::size_t>(state.KeyCount));
    QString text;
    text.reserve(3 * qsizetype{state.KeyCount});
    for (qint16 cell : cells)
        appendNumber(text, cell);
    return text;
}

QString ListText(const VARIABILI &state)
{
    if (!TableCoversCounters(state))
        return {};
    QString text;
    text.reserve(qsizetype{state.TotalCombinations} * (3 * qsizetype{state.KeyCount} + 1));
    for (int r = 1; r <= state.TotalCombinations; ++r) {
        text.append(FormatRow(state, r).trimmed());
        text.append(u"\r\n");
    }
    return text;
}

} // namespace ruvento
