#pragma once
// Runs `save` while files may grow only to `limit` bytes in this process, as on a disk that fills
// up in the middle of a write. It holds for root as well, unlike a read-only folder. A process's
// file-size limit exists on POSIX systems only: the Windows build leaves these cases out.

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace tq::test {

inline void withDiskFull(rlim_t limit, const std::function<void()>& save)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = limit;
    std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
    setrlimit(RLIMIT_FSIZE, &small);
    save();
    setrlimit(RLIMIT_FSIZE, &saved);
}

}  // namespace tq::test
#endif
