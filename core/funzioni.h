#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace ruvento {

// The data folder as the system writes it, relative to the application path.
// Shown as it stands in messages; mapped to the platform's separator only
// when a path is handed to the file system.
inline constexpr QStringView DataFolderLiteral = u"\\Shared\\Sistemi\\";

// The folder of the running executable, in the platform's own notation.
[[nodiscard]] QString ApplicationPath();

// The application path followed by a literal such as DataFolderLiteral, with
// the literal's backslashes turned into the platform's separator. The
// application path itself is kept exactly as given.
[[nodiscard]] QString FileSystemPath(const QString &applicationPath, QStringView literal);

// The data folder for reports: <application path>/Shared/Sistemi/.
[[nodiscard]] QString DataFolder(const QString &applicationPath);

namespace Funzioni {

// True when `path` names an existing directory. Every failure to examine the
// path (missing, malformed, refused) counts as false; a plain file is false.
[[nodiscard]] bool FolderExists(const QString &path);

// "DDD-hhmmss": the first three characters of the upper-cased full weekday
// name in `locale`, and the time of day. Day and time come from the one instant.
[[nodiscard]] QString ReportTimeTag(const QDateTime &now, const QLocale &locale);

// The tag for this moment in the user's locale.
[[nodiscard]] QString ReportTimeTag();

} // namespace Funzioni
} // namespace ruvento
