// Programs, time, memory and signals: starting and waiting for programs, the clock and sleeping,
// mappings and device queries, signal dispositions and resource limits, the random source, and
// the calls the layer does not provide.
#include "platform/linux24/Kernel.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/times.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

using kernel::call;
using kernel::result;

extern "C" char** environ;

namespace {

enum {
    PAGE_SHIFT = 12,
    EXEC_ARGUMENT_LIMIT = 256,
    KERNEL_SA_RESTART = 0x10000000,
    KERNEL_SA_RESTORER = 0x04000000,
    KERNEL_SIGNAL_SET_BYTES = 8
};

int asInt(long value)
{
    return static_cast<int>(value);
}

long address(const void* pointer)
{
    return reinterpret_cast<long>(pointer);
}

// The status word of wait4 is laid out as newlib's macros read it; only a signal's number
// differs.
int toNewlibStatus(int status)
{
    int low = status & 0x7F;
    if (low == 0) // exited
        return status;
    if (low == 0x7F) // stopped: the signal in the second byte
        return (status & ~0xFF00) | (kernel::newlibSignal((status >> 8) & 0xFF) << 8);
    return (status & ~0x7F) | kernel::newlibSignal(low);
}

// The kernel's sigaction for rt_sigaction.
struct KernelSignalAction {
    long handler;
    unsigned long flags;
    long restorer;
    unsigned long mask[2];
};

// Where a handler returns to: the kernel puts the interrupted state back.
extern "C" __attribute__((naked)) void tarvoSignalReturn()
{
    __asm__ __volatile__("swi %[number]"
                         :
                         : [number] "i"(kernel::OLD_ABI_BASE + kernel::CALL_rt_sigreturn));
}

unsigned long kernelSignalMask(sigset_t mask)
{
    unsigned long kernelMask = 0;
    for (int signal = 1; signal < 32; ++signal) {
        int number = kernel::kernelSignal(signal);
        if ((mask & (1UL << signal)) && number > 0 && number <= 32)
            kernelMask |= 1UL << (number - 1);
    }
    return kernelMask;
}

} // namespace

extern "C" {

int _execve(const char* path, char* const arguments[], char* const environment[])
{
    return asInt(
        result(call<kernel::CALL_execve>(address(path), address(arguments), address(environment))));
}

// The 2.4 kernel has no call that runs an opened file: it runs the file's link in /proc instead,
// which is that very file whatever has become of its name.
int fexecve(int fd, char* const arguments[], char* const environment[])
{
    char path[32];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return _execve(path, arguments, environment);
}

int execv(const char* path, char* const arguments[])
{
    return _execve(path, arguments, environ);
}

int execl(const char* path, const char* argument, ...)
{
    char* arguments[EXEC_ARGUMENT_LIMIT];
    int count = 0;
    arguments[count++] = const_cast<char*>(argument);
    va_list rest;
    va_start(rest, argument);
    while (arguments[count - 1] && count < EXEC_ARGUMENT_LIMIT)
        arguments[count++] = va_arg(rest, char*);
    va_end(rest);
    if (arguments[count - 1]) {
        errno = E2BIG;
        return -1;
    }
    return execv(path, arguments);
}

// A name without a slash is looked for in each folder of PATH in turn; a folder where it could
// not be run for want of rights is reported over one where it is missing.
int execvp(const char* name, char* const arguments[])
{
    if (!name || !*name) {
        errno = ENOENT;
        return -1;
    }
    if (strchr(name, '/'))
        return execv(name, arguments);
    const char* folders = getenv("PATH");
    if (!folders)
        folders = "/bin:/usr/bin";
    size_t nameLength = strlen(name);
    bool denied = false;
    int error = ENOENT;
    for (const char* folder = folders;; ++folder) {
        const char* end = strchr(folder, ':');
        size_t length = end ? static_cast<size_t>(end - folder) : strlen(folder);
        char path[PATH_MAX];
        if (length + 1 + nameLength < sizeof path) {
            memcpy(path, folder, length);
            size_t at = length;
            if (length == 0)
                path[at++] = '.';
            path[at++] = '/';
            memcpy(path + at, name, nameLength + 1);
            execv(path, arguments);
            error = errno;
            denied = denied || error == EACCES;
        }
        if (!end)
            break;
        folder = end;
    }
    errno = denied ? EACCES : error;
    return -1;
}

int _fork()
{
    return asInt(result(call<kernel::CALL_fork>()));
}

pid_t waitpid(pid_t process, int* status, int options)
{
    int raw = 0;
    long child = result(call<kernel::CALL_wait4>(process, address(&raw), options, 0));
    if (child > 0 && status)
        *status = toNewlibStatus(raw);
    return static_cast<pid_t>(child);
}

int _wait(int* status)
{
    return waitpid(-1, status, 0);
}

int _gettimeofday(struct timeval* now, void* zone)
{
    (void)zone;
    kernel::TimePair raw;
    if (result(call<kernel::CALL_gettimeofday>(address(&raw), 0)) < 0)
        return -1;
    if (now) {
        now->tv_sec = raw.seconds;
        now->tv_usec = raw.fraction;
    }
    return 0;
}

clock_t _times(struct tms* buffer)
{
    return static_cast<clock_t>(call<kernel::CALL_times>(address(buffer)));
}

int nanosleep(const struct timespec* wanted, struct timespec* left)
{
    kernel::TimePair raw = {static_cast<long>(wanted->tv_sec), wanted->tv_nsec};
    kernel::TimePair rawLeft = {0, 0};
    int status = asInt(result(call<kernel::CALL_nanosleep>(address(&raw), address(&rawLeft))));
    if (left) {
        left->tv_sec = rawLeft.seconds;
        left->tv_nsec = rawLeft.fraction;
    }
    return status;
}

int usleep(useconds_t microseconds)
{
    struct timespec wanted;
    wanted.tv_sec = microseconds / 1000000;
    wanted.tv_nsec = static_cast<long>(microseconds % 1000000) * 1000;
    return nanosleep(&wanted, 0);
}

unsigned sleep(unsigned seconds)
{
    struct timespec wanted;
    struct timespec left;
    wanted.tv_sec = seconds;
    wanted.tv_nsec = 0;
    if (nanosleep(&wanted, &left) == 0)
        return 0;
    return static_cast<unsigned>(left.tv_sec);
}

// The offset goes to the kernel in pages, which also reaches the register window above 2 GiB
// that a signed 32-bit off_t cannot hold: the offset is read as unsigned. PROT_ and MAP_ values
// are the kernel's own (sys/mman.h of this layer).
void* mmap(void* start, size_t length, int protection, int flags, int fd, off_t offset)
{
    unsigned long bytes = static_cast<unsigned long>(offset);
    if (bytes & ((1UL << PAGE_SHIFT) - 1)) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    long mapped = call<kernel::CALL_mmap2>(address(start), long(length), protection, flags, fd,
                                           long(bytes >> PAGE_SHIFT));
    if (result(mapped) == -1) // addresses above 2 GiB are negative too, but not from -4095 on
        return MAP_FAILED;
    return reinterpret_cast<void*>(mapped);
}

int munmap(void* start, size_t length)
{
    return asInt(result(call<kernel::CALL_munmap>(address(start), long(length))));
}

// Requests and their structures are the kernel's (sys/ioctl.h, linux/fb.h of this layer), so the
// argument goes through as it is.
int ioctl(int fd, unsigned long request, ...)
{
    va_list rest;
    va_start(rest, request);
    long argument = va_arg(rest, long);
    va_end(rest);
    return asInt(result(call<kernel::CALL_ioctl>(fd, long(request), argument)));
}

int sigaction(int signal, const struct sigaction* action, struct sigaction* previous)
{
    int number = kernel::kernelSignal(signal);
    if (number == 0) {
        errno = EINVAL;
        return -1;
    }
    KernelSignalAction wanted;
    KernelSignalAction before;
    memset(&wanted, 0, sizeof wanted);
    memset(&before, 0, sizeof before);
    if (action) {
        wanted.handler = address(reinterpret_cast<void*>(action->sa_handler));
        wanted.flags = KERNEL_SA_RESTORER | KERNEL_SA_RESTART |
            ((action->sa_flags & SA_NOCLDSTOP) ? 1UL : 0UL);
        wanted.restorer = address(reinterpret_cast<void*>(tarvoSignalReturn));
        wanted.mask[0] = kernelSignalMask(action->sa_mask);
    }
    if (result(call<kernel::CALL_rt_sigaction>(number, action ? address(&wanted) : 0,
                                               address(&before), KERNEL_SIGNAL_SET_BYTES)) < 0)
        return -1;
    if (previous) {
        memset(previous, 0, sizeof *previous);
        previous->sa_handler = reinterpret_cast<_sig_func_ptr>(before.handler);
    }
    return 0;
}

// newlib's signal() and raise() keep handlers of their own and never tell the kernel; these
// replace them, so that a disposition holds for the signals the kernel sends.
_sig_func_ptr signal(int number, _sig_func_ptr handler)
{
    struct sigaction action;
    struct sigaction previous;
    memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    if (sigaction(number, &action, &previous) != 0)
        return SIG_ERR;
    return previous.sa_handler;
}

int raise(int number)
{
    return kill(getpid(), number);
}

int getrlimit(int resource, struct rlimit* limit)
{
    return asInt(result(call<kernel::CALL_ugetrlimit>(resource, address(limit))));
}

int setrlimit(int resource, const struct rlimit* limit)
{
    return asInt(result(call<kernel::CALL_setrlimit>(resource, address(limit))));
}

// The 2.4 kernel has no call for random bytes: they come from its random device.
int getentropy(void* buffer, size_t length)
{
    if (length > 256) {
        errno = EIO;
        return -1;
    }
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    size_t done = 0;
    while (done < length) {
        ssize_t got = read(fd, static_cast<char*>(buffer) + done, length - done);
        if (got <= 0) {
            close(fd);
            errno = EIO;
            return -1;
        }
        done += static_cast<size_t>(got);
    }
    close(fd);
    return 0;
}

// What the libraries can ask for but the 2.4 kernel cannot do, or the launcher never needs: a
// failure that says so, never a crash and never a silent wrong result.
int fchmodat(int, const char*, mode_t, int)
{
    return kernel::unprovided("fchmodat");
}

long pathconf(const char*, int)
{
    return kernel::unprovided("pathconf");
}

} // extern "C"
