#include "report.h"

#include "development.h"
#include "funzioni.h"
#include "shellsort.h"

#include <QDir>
#include <QSaveFile>
#include <QThread>

using namespace Qt::StringLiterals;

namespace ruvento {

namespace {

QString twoDigits(qint16 value)
{
    return QString::number(value).rightJustified(2, u'0');
}

// Character codes alone decide, whatever the user's locale; a prefix sorts first.
bool greaterByCodes(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseSensitive) > 0;
}

// Writes the report under `path`; on failure, the system's error and reason.
// Written beside the final name and moved over it only when complete.
// Unbuffered, so that a short write (disk full) shows in write()'s count: a
// buffered QSaveFile can commit a truncated file after a failed flush.
bool writeWhole(const QString &path, const QByteArray &contents, QFileDevice::FileError *error, QString *reason)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(contents) == contents.size()
        && file.commit())
        return true;
    *error = file.error();
    *reason = file.errorString();
    file.cancelWriting();
    return false;
}

// The files beside the report whose names begin with its name and a dot, as
// QSaveFile names its temporary files ("<name>.XXXXXX").
QStringList temporaries(const QDir &folder, const QString &name)
{
    QStringList found = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    found.removeIf([&name](const QString &entry) { return !entry.startsWith(name + u'.'); });
    return found;
}

// Each failed try leaves its temporary file when another program holds it as
// QSaveFile removes it, as a scanner or a sync client holds a new file on
// Windows: removed here, waiting for the hold to end as the tries did. Only
// what appeared during this save is touched.
void removeTemporaries(const QDir &folder, const QString &name, const QStringList &earlier, const SaveRetry &retry)
{
    for (int tried = 1;; ++tried) {
        bool held = false;
        for (const QString &entry : temporaries(folder, name)) {
            if (!earlier.contains(entry) && !QFile::remove(folder.filePath(entry)))
                held = true;
        }
        if (!held || tried >= retry.tries)
            return;
        retry.pause();
    }
}

// The system's reason as part of a sentence: Windows ends its own with a full stop.
Message notSaved(QString reason)
{
    reason = reason.trimmed();
    while (reason.endsWith(u'.'))
        reason.chop(1);
    if (reason.isEmpty())
        return {ReportMessages::NotSaved.toString(), MessageIcon::Error};
    return {ReportMessages::NotSavedBecause.arg(reason), MessageIcon::Error};
}

} // namespace

QString ReportHeader(const VARIABILI &state)
{
    return twoDigits(state.NumberMass) + u'-' + twoDigits(state.KeyCount) + u"-C"_s
        + twoDigits(state.TotalCombinations);
}

QString ReportFileName(const VARIABILI &state, const QString &timeTag)
{
    return u"[TC "_s + timeTag + u"]-"_s + ReportHeader(state) + u".TXT"_s;
}

QStringList ReportLines(const VARIABILI &state)
{
    QStringList lines;
    if (!TableCoversCounters(state))
        return lines;
    lines.reserve(state.TotalCombinations);
    for (int i = 1; i <= state.TotalCombinations; ++i)
        lines.append(FormatRow(state, i));
    ShellSort(std::span<QString>(lines.data(), static_cast<std::size_t>(lines.size())), greaterByCodes);
    return lines;
}

QByteArray ReportContents(const VARIABILI &state)
{
    QByteArray bytes;
    for (const QString &line : ReportLines(state)) {
        bytes.append(line.trimmed().toLatin1());
        bytes.append("\r\n");
    }
    return bytes;
}

void SaveRetry::DefaultPause()
{
    QThread::msleep(200);
}

Message SaveReport(const VARIABILI &state, const QString &applicationPath, const QString &timeTag,
                   const SaveRetry &retry)
{
    if (state.TotalCombinations < 1)
        return {ReportMessages::NothingToSave.toString(), MessageIcon::Error};
    // Counters left by anything but a successful development could name rows
    // or columns the table does not have: write nothing rather than guess.
    if (!TableCoversCounters(state) || state.KeyCount < 1)
        return {ReportMessages::TableMismatch.toString(), MessageIcon::Error};

    const QString folderPath = DataFolder(applicationPath);
    const QString name = ReportFileName(state, timeTag);
    const QString path = folderPath + name;
    const QByteArray contents = ReportContents(state);
    const QDir folder(folderPath);
    const QStringList earlier = temporaries(folder, name);

    QFileDevice::FileError error = QFileDevice::NoError;
    QString reason;
    int tried = 1;
    bool saved = writeWhole(path, contents, &error, &reason);
    // Only putting the finished file in place meets another program's brief
    // hold; a missing folder or a full disk stays as it is.
    while (!saved && error == QFileDevice::RenameError && tried < retry.tries) {
        retry.pause();
        ++tried;
        saved = writeWhole(path, contents, &error, &reason);
    }
    if (!saved || tried > 1)
        removeTemporaries(folder, name, earlier, retry);
    if (!saved)
        return notSaved(reason);
    return {ReportMessages::Saved.toString(), MessageIcon::None};
}

} // namespace ruvento
