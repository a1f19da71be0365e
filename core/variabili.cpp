#include "variabili.h"

namespace ruvento {

Table::Table(int rows, int columns)
    : m_rows(rows)
    , m_columns(columns)
    , m_cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), 0)
{
    Q_ASSERT(rows >= 0 && columns >= 0);
}

std::size_t Table::index(int row, int column) const
{
    Q_ASSERT(row >= 1 && row <= m_rows);
    Q_ASSERT(column >= 1 && column <= m_columns);
    return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(m_columns)
        + static_cast<std::size_t>(column - 1);
}

std::span<const qint16> Table::row(int row) const
{
    return std::span<const qint16>(m_cells).subspan(index(row, 1), static_cast<std::size_t>(m_columns));
}

std::span<qint16> Table::row(int row)
{
    return std::span<qint16>(m_cells).subspan(index(row, 1), static_cast<std::size_t>(m_columns));
}

bool TableCoversCounters(const VARIABILI &state)
{
    return state.DevelopmentTable.has_value() && state.KeyCount >= 0 && state.TotalCombinations >= 0
        && state.DevelopmentTable->rows() >= state.TotalCombinations
        && state.DevelopmentTable->columns() >= state.KeyCount;
}

} // namespace ruvento
