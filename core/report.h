#pragma once

#include "message.h"
#include "variabili.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace ruvento {

// The texts the report writer tells the user.
namespace ReportMessages {
inline constexpr QStringView NothingToSave = u"Nessuna combinazione ..! ";
inline constexpr QStringView Saved = u"Report salvato in Shared/Sistemi..! ";
inline constexpr QStringView NotSaved = u"Report non salvato in Shared/Sistemi..! ";
// The same, with the system's reason: "Report non salvato in Shared/Sistemi: Accesso negato..! ".
inline constexpr QStringView NotSavedBecause = u"Report non salvato in Shared/Sistemi: %1..! ";
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

// How often a save tries to put the finished report in place, and what it
// does between two tries. On Windows an antivirus, a sync client or the
// search indexer holds a new file for a moment, and the report would be
// refused for that moment alone.
struct SaveRetry
{
    int tries = 6;
    std::function<void()> pause = DefaultPause;

    static void DefaultPause(); // a fifth of a second: six tries last about a second
};

// Saves the current development into the data folder under `timeTag` and
// returns what to tell the user, with the system's reason when it fails.
// The file appears whole or not at all: an older report of the same name
// survives a failed save, and no temporary file of the save stays beside it.
// The state is never changed.
[[nodiscard]] Message SaveReport(const VARIABILI &state, const QString &applicationPath, const QString &timeTag,
                                 const SaveRetry &retry = {});

} // namespace ruvento
