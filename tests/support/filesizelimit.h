#pragma once

// Makes every write past `bytes` fail for this process, the way a full disk
// fails it, even for root; lifted again when the object goes away. Where the
// platform has no such limit, active() is false and the test skips.
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
