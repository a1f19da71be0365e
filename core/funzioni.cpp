#include "funzioni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBoundaryFinder>

namespace ruvento {

QString ApplicationPath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString FileSystemPath(const QString &applicationPath, QStringView literal)
{
    QString tail = literal.toString();
    tail.replace(u'\\', QDir::separator());
    return applicationPath + tail;
}

QString DataFolder(const QString &applicationPath)
{
    return FileSystemPath(applicationPath, DataFolderLiteral);
}

namespace Funzioni {

bool FolderExists(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    // QFileInfo reports a failed stat as "does not exist", never as an error.
    const QFileInfo info(path);
    return info.isDir();
}

namespace {

// The first `count` user-perceived characters, so that a day name with
// accents or outside Latin script is never cut inside a character.
QString leadingCharacters(const QString &text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int taken = 0; taken < count; ++taken) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        end = next;
    }
    return text.left(end);
}

} // namespace

QString ReportTimeTag(const QDateTime &now, const QLocale &locale)
{
    const QString time = now.time().toString(u"hh:mm:ss").remove(u':');
    const QString day = locale.dayName(now.date().dayOfWeek(), QLocale::LongFormat).toUpper();
    return leadingCharacters(day, 3) + u'-' + time;
}

QString ReportTimeTag()
{
    return ReportTimeTag(QDateTime::currentDateTime(), QLocale::system());
}

} // namespace Funzioni
} // namespace ruvento
