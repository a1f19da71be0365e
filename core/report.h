#pragma once

#include "message.h"
#include "variabili.h"

#include <QString>
#include <QStringList>

namespace ruvento {

// The texts the report writer tells the user.
namespace ReportMessages {
inline constexpr QStringView NothingToSave = u"Nessuna combinazione ..! ";
inline constexpr QStringView Saved = u"Report salvato in Shared/Sistemi..! ";
inline constexpr QStringView NotSaved = u"Report non salvato in Shared/Sistemi..! ";
inline constexpr QStringView TableMismatch = u"Sviluppo incompleto, report non salvato..! ";
} // namespace ReportMessages

// "90-05-C10": number mass, key count and combinations, two digits each.
[[nodiscard]] QString ReportHeader(const VARIABILI &state);

// "[TC LUN-143005]-90-05-C10.TXT", the report's name inside the data folder.
[[nodiscard]] QString ReportFileName(const VARIABILI &state, const QString &timeTag);

// The report's lines in file order: rows 1..TotalCombinations, untrimmed,
// sorted by character codes alone.
[[nodiscard]] QStringList ReportLines(const VARIABILI &state);

// The bytes of the report file: each line trimmed and ended by CRLF, one byte a character.
[[nodiscard]] QByteArray ReportContents(const VARIABILI &state);

// Saves the current development into the data folder under `timeTag` and
// returns what to tell the user. The file appears whole or not at all: an
// older report of the same name survives a failed save. The state is never changed.
[[nodiscard]] Message SaveReport(const VARIABILI &state, const QString &applicationPath, const QString &timeTag);

} // namespace ruvento
