#pragma once

// Failures of the disk as a user's machine meets them, made on purpose for a
// test, one way on each platform. Where a platform cannot make one, active()
// is false and the test skips.

#include <QFile>

// Makes every write past `bytes` fail for this process, the way a full disk
// fails it, even for root; lifted again when the object goes away.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit(); // NOLINT(performance-trivially-destructible): the POSIX body lifts the limit
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    [[nodiscard]] bool active() const { return m_active; }

private:
    bool m_active = false;
    long long m_saved = 0;
    void (*m_savedHandler)(int) = nullptr;
};

// Holds a file as an antivirus or a sync client does on Windows, so that
// nothing can replace it until release(); with Folder, every file of the
// folder, those written later too, and none can be removed either. Windows
// holds a File (POSIX replaces a file open elsewhere), Linux a Folder, as root.
class FileHold
{
public:
    enum Scope { File, Folder };
    FileHold(const QString &path, Scope scope);
    ~FileHold() { release(); }

    [[nodiscard]] bool active() const { return m_active; }
    void release();

private:
    QFile m_file;
    bool m_active = false;
};

// Makes the permission bits hold for this process while the object lives,
// even for root, who otherwise passes them by privilege (CI runs as root).
class PermissionsEnforced
{
public:
    PermissionsEnforced();
    ~PermissionsEnforced(); // NOLINT(performance-trivially-destructible): the POSIX body restores root's privilege
    PermissionsEnforced(const PermissionsEnforced &) = delete;
    PermissionsEnforced &operator=(const PermissionsEnforced &) = delete;

private:
    bool m_lowered = false;
};
