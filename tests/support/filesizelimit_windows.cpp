#include "filesizelimit.h"

// Windows has no per-process limit on file size; quotas need an
// administrator and a volume of their own.
FileSizeLimit::FileSizeLimit(long long /*bytes*/) { }

FileSizeLimit::~FileSizeLimit() = default;
