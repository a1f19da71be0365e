#include "faults.h"

// Windows has no per-process limit on file size; quotas need an
// administrator and a volume of their own.
FileSizeLimit::FileSizeLimit(long long /*bytes*/) { }

FileSizeLimit::~FileSizeLimit() = default;

// Qt opens a file without FILE_SHARE_DELETE: while it is open, Windows
// refuses to move another file over it.
FileHold::FileHold(const QString &path, Scope scope)
    : m_file(path)
    , m_active(scope == File && m_file.open(QIODevice::ReadOnly))
{ }

void FileHold::release()
{
    m_file.close();
}

// Windows' permissions hold for every user already.
PermissionsEnforced::PermissionsEnforced() = default;

PermissionsEnforced::~PermissionsEnforced() = default;
