#pragma once

#include "variabili.h"

#include <QString>

#include <span>

namespace ruvento {

// Develops the base row circularly into `totalCombinations` rows: row 1 is the
// base row as typed, each later row adds 1 to every cell of the row before and
// takes `numberMass` off once where the sum passes it. Every row ends sorted.
// The caller guarantees 1 <= totalCombinations <= numberMass and a base row
// of at least three values.
[[nodiscard]] Table DevelopTable(std::span<const qint16> baseRow, qint16 numberMass, qint16 totalCombinations);

// One table row as the result box and the report see it: columns
// 1..KeyCount, each as two digits and a blank ("05 12 47 ").
// The table must cover the counters (TableCoversCounters).
[[nodiscard]] QString FormatRow(const VARIABILI &state, int row);

// The result box text: rows 1..TotalCombinations in development order,
// trimmed, each followed by CRLF. Empty when the table does not cover the counters.
[[nodiscard]] QString ListText(const VARIABILI &state);

} // namespace ruvento
