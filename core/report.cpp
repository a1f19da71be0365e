#include "report.h"

#include "development.h"
#include "funzioni.h"
#include "shellsort.h"

#include <QSaveFile>

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

Message SaveReport(const VARIABILI &state, const QString &applicationPath, const QString &timeTag)
{
    if (state.TotalCombinations < 1)
        return {ReportMessages::NothingToSave.toString(), MessageIcon::Error};
    // Counters left by anything but a successful development could name rows
    // or columns the table does not have: write nothing rather than guess.
    if (!TableCoversCounters(state) || state.KeyCount < 1)
        return {ReportMessages::TableMismatch.toString(), MessageIcon::Error};

    const QString path = DataFolder(applicationPath) + ReportFileName(state, timeTag);
    const QByteArray contents = ReportContents(state);

    // Written beside the final name and moved over it only when complete.
    // Unbuffered, so that a short write (disk full) shows in write()'s count:
    // a buffered QSaveFile can commit a truncated file after a failed flush.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(contents) != contents.size()
        || !file.commit()) {
        file.cancelWriting();
        return {ReportMessages::NotSaved.toString(), MessageIcon::Error};
    }

    return {ReportMessages::Saved.toString(), MessageIcon::None};
}

} // namespace ruvento
