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

// Holds a file open as an antivirus or a sync client does on Windows, so that
// nothing can replace it until release(). POSIX lets a file open elsewhere be
// replaced all the same.
class FileHold
{
public:
    explicit FileHold(const QString &path);

    [[nodiscard]] bool active() const { return m_active; }
    void release() { m_file.close(); }

private:
    QFile m_file;
    bool m_active = false;
};

// Holds every file of a folder, those written into it later too, as a scanner
// or a sync client holds a folder's new files on Windows: none can be
// replaced or removed until release(); new ones can still be written.
class FolderHold
{
public:
    explicit FolderHold(const QString &path);
    ~FolderHold() { release(); }
    FolderHold(const FolderHold &) = delete;
    FolderHold &operator=(const FolderHold &) = delete;

    [[nodiscard]] bool active() const { return m_active; }
    void release();

private:
    QString m_path;
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
