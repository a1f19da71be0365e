#include "faults.h"

// Windows has no per-process limit on file size; quotas need an
// administrator and a volume of their own.
FileSizeLimit::FileSizeLimit(long long /*bytes*/) { }

FileSizeLimit::~FileSizeLimit() = default;

// Qt opens a file without FILE_SHARE_DELETE: while it is open, Windows
// refuses to move another file over it.
FileHold::FileHold(const QString &path)
    : m_file(path)
    , m_active(m_file.open(QIODevice::ReadOnly))
{ }

// A folder's files can be held only as they appear, by a program watching it.
FolderHold::FolderHold(const QString &path)
    : m_path(path)
{ }

void FolderHold::release() { }

// Windows' permissions hold for every user already.
PermissionsEnforced::PermissionsEnforced() = default;

PermissionsEnforced::~PermissionsEnforced() = default;
