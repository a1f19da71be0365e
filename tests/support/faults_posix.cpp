#include "faults.h"

#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

FileSizeLimit::FileSizeLimit(long long bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_saved = static_cast<long long>(limit.rlim_cur);
    // A write past the limit fails with EFBIG instead of killing the process.
    m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (m_active) {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = static_cast<rlim_t>(m_saved);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (m_savedHandler != nullptr)
        std::signal(SIGXFSZ, m_savedHandler);
}

namespace {

// A folder marked append-only takes new files but lets none be renamed over
// or removed, even by root; marking it takes root.
bool setAppendOnly(const QString &path, bool appendOnly)
{
    const int folder = open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    bool done = folder >= 0 && ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0;
    flags = appendOnly ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
    done = done && ioctl(folder, FS_IOC_SETFLAGS, &flags) == 0;
    if (folder >= 0)
        close(folder);
    return done;
}

// Root's power over permission bits, laid aside from the effective set and
// kept in the permitted one, so that it can be taken up again.
constexpr unsigned OverPermissions = (1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH);

bool setOverPermissions(bool effective)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0 || (data[0].permitted & OverPermissions) == 0)
        return false;
    data[0].effective = effective ? data[0].effective | OverPermissions : data[0].effective & ~OverPermissions;
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

// m_file names the folder; nothing is opened.
FileHold::FileHold(const QString &path, Scope scope)
    : m_file(path)
    , m_active(scope == Folder && setAppendOnly(path, true))
{ }

void FileHold::release()
{
    if (m_active)
        m_active = !setAppendOnly(m_file.fileName(), false);
}

PermissionsEnforced::PermissionsEnforced()
    : m_lowered(setOverPermissions(false))
{ }

PermissionsEnforced::~PermissionsEnforced()
{
    if (m_lowered)
        setOverPermissions(true);
}
