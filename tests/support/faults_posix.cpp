#include "faults.h"

#include <csignal>
#include <sys/resource.h>

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

FileHold::FileHold(const QString &path)
    : m_file(path)
{ }
