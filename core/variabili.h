#pragma once

#include <QtGlobal>

#include <optional>
#include <span>
#include <vector>

namespace ruvento {

// A rectangle of 16-bit cells whose rows and columns are numbered from 1.
class Table
{
public:
    Table() = default;
    // Every cell starts at 0.
    Table(int rows, int columns);

    [[nodiscard]] int rows() const { return m_rows; }
    [[nodiscard]] int columns() const { return m_columns; }

    [[nodiscard]] qint16 at(int row, int column) const { return m_cells[index(row, column)]; }
    qint16 &at(int row, int column) { return m_cells[index(row, column)]; }

    // The cells of one row, column 1 first.
    [[nodiscard]] std::span<const qint16> row(int row) const;
    std::span<qint16> row(int row);

    friend bool operator==(const Table &, const Table &) = default;

private:
    [[nodiscard]] std::size_t index(int row, int column) const;

    int m_rows = 0;
    int m_columns = 0;
    std::vector<qint16> m_cells;
};

// The development state: written by the develop and clear commands, read by
// the report writer. It lives as long as the program.
struct VARIABILI
{
    qint16 KeyCount = 0;
    qint16 NumberMass = 0;
    qint16 TotalCombinations = 0;
    // No table until the first successful development; then always the last one.
    std::optional<Table> DevelopmentTable;

    friend bool operator==(const VARIABILI &, const VARIABILI &) = default;
};

// True when the table holds every row and column the counters name, so that
// formatting the counters' rows never reads outside it.
[[nodiscard]] bool TableCoversCounters(const VARIABILI &state);

} // namespace ruvento
