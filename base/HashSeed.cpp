// The secret of the process that keys the launcher's hash indexes.
#include "base/HashSeed.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

uint32_t processHashSeed()
{
    static bool taken = false;
    static uint32_t seed = 0;
    if (taken)
        return seed;
    taken = true;
    bool read4 = false;
    const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        read4 = read(fd, &seed, sizeof seed) == static_cast<ssize_t>(sizeof seed);
        close(fd);
    }
    if (!read4) {
        struct timeval now;
        gettimeofday(&now, 0);
        seed = static_cast<uint32_t>(now.tv_sec) ^
            static_cast<uint32_t>(now.tv_usec) * 2654435761u ^
            static_cast<uint32_t>(getpid()) << 16;
    }
    return seed;
}
