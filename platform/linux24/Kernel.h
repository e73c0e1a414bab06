// The GP2X's 2.4 kernel as the layer between newlib and it sees it: the system calls it has, each
// named once with its number, the one way to make a call, and the kernel's own values where they
// differ from newlib's. Only the files of this folder include it.
//
// The kernel takes calls the old ARM way: `swi 0x900000 + number`, arguments in r0 to r5, the
// result in r0, a failure as -errno (-4095 to -1). Its structures are those of the old ABI, whose
// 64-bit members are aligned to 4 bytes only; the layer uses no structure with such members.
#ifndef TARVO_PLATFORM_LINUX24_KERNEL_H
#define TARVO_PLATFORM_LINUX24_KERNEL_H

#include <stddef.h>
#include <stdint.h>

// Every call the layer makes, and no other. The programs get no call that is not here.
#define TARVO_KERNEL_CALLS(CALL)                                                                   \
    CALL(exit, 1)                                                                                  \
    CALL(fork, 2)                                                                                  \
    CALL(read, 3)                                                                                  \
    CALL(write, 4)                                                                                 \
    CALL(open, 5)                                                                                  \
    CALL(close, 6)                                                                                 \
    CALL(link, 9)                                                                                  \
    CALL(unlink, 10)                                                                               \
    CALL(execve, 11)                                                                               \
    CALL(chdir, 12)                                                                                \
    CALL(chmod, 15)                                                                                \
    CALL(lseek, 19)                                                                                \
    CALL(getpid, 20)                                                                               \
    CALL(access, 33)                                                                               \
    CALL(kill, 37)                                                                                 \
    CALL(rename, 38)                                                                               \
    CALL(mkdir, 39)                                                                                \
    CALL(rmdir, 40)                                                                                \
    CALL(dup, 41)                                                                                  \
    CALL(pipe, 42)                                                                                 \
    CALL(times, 43)                                                                                \
    CALL(brk, 45)                                                                                  \
    CALL(ioctl, 54)                                                                                \
    CALL(fcntl, 55)                                                                                \
    CALL(umask, 60)                                                                                \
    CALL(dup2, 63)                                                                                 \
    CALL(setrlimit, 75)                                                                            \
    CALL(gettimeofday, 78)                                                                         \
    CALL(symlink, 83)                                                                              \
    CALL(readlink, 85)                                                                             \
    CALL(munmap, 91)                                                                               \
    CALL(truncate, 92)                                                                             \
    CALL(ftruncate, 93)                                                                            \
    CALL(fchmod, 94)                                                                               \
    CALL(stat, 106)                                                                                \
    CALL(lstat, 107)                                                                               \
    CALL(fstat, 108)                                                                               \
    CALL(wait4, 114)                                                                               \
    CALL(fsync, 118)                                                                               \
    CALL(fchdir, 133)                                                                              \
    CALL(getdents, 141)                                                                            \
    CALL(nanosleep, 162)                                                                           \
    CALL(rt_sigreturn, 173)                                                                        \
    CALL(rt_sigaction, 174)                                                                        \
    CALL(getcwd, 183)                                                                              \
    CALL(ugetrlimit, 191)                                                                          \
    CALL(mmap2, 192)

namespace kernel {

#define TARVO_KERNEL_CALL_NUMBER(name, number) CALL_##name = number,
enum CallNumber { TARVO_KERNEL_CALLS(TARVO_KERNEL_CALL_NUMBER) CALL_NONE = 0 };
#undef TARVO_KERNEL_CALL_NUMBER

enum { OLD_ABI_BASE = 0x900000 };

// One system call. The number is part of the instruction, so each call is its own instantiation.
template <int NUMBER>
inline long call(long a = 0, long b = 0, long c = 0, long d = 0, long e = 0, long f = 0)
{
    register long r0 __asm__("r0") = a;
    register long r1 __asm__("r1") = b;
    register long r2 __asm__("r2") = c;
    register long r3 __asm__("r3") = d;
    register long r4 __asm__("r4") = e;
    register long r5 __asm__("r5") = f;
    __asm__ __volatile__("swi %[number]"
                         : "+r"(r0)
                         : [number] "i"(OLD_ABI_BASE + NUMBER), "r"(r1), "r"(r2), "r"(r3), "r"(r4),
                           "r"(r5)
                         : "memory");
    return r0;
}

// A call's result for the caller: the value itself, or -1 with errno set to newlib's number for
// the kernel's error.
long result(long value);

// The kernel's errno value as newlib numbers it.
int newlibError(int kernelError);

// newlib's open flags as the kernel's, and back; -1 for a flag the kernel does not know.
long kernelOpenFlags(int flags);
int newlibOpenFlags(long flags);

// The kernel's signal number for newlib's, and back; 0 for one the other does not have.
int kernelSignal(int signal);
int newlibSignal(int signal);

// A call the layer does not provide: writes "NAME: not provided on this system" to standard error
// (without stdio, which may not be usable there) and fails with ENOSYS. Gives -1.
int unprovided(const char* name);

// The kernel's struct stat (stat, lstat, fstat): no 64-bit members, so the old ABI lays it out as
// the compiler does.
struct Stat {
    uint32_t dev;
    uint32_t ino;
    uint16_t mode;
    uint16_t nlink;
    uint16_t uid;
    uint16_t gid;
    uint32_t rdev;
    uint32_t size;
    uint32_t blksize;
    uint32_t blocks;
    uint32_t atime;
    uint32_t atimeNanoseconds;
    uint32_t mtime;
    uint32_t mtimeNanoseconds;
    uint32_t ctime;
    uint32_t ctimeNanoseconds;
    uint32_t unused[2];
};

// struct timespec and struct timeval of the kernel: two longs (newlib's time_t has 64 bits).
struct TimePair {
    long seconds;
    long fraction;
};

} // namespace kernel

#endif
