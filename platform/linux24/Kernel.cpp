// The layer's foundations: the entry point, the heap, the ends of the program and the tables that
// translate between newlib's numbers and the kernel's. Start reading at _start.
#include "platform/linux24/Kernel.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

extern "C" {
extern char** environ;
void __libc_init_array();
// The program's main, under a name that C++ lets the layer call.
int programMain(int argc, char** argv, char** envp) __asm__("main");

// What the compiler's own start files would bring: the handle that static destructors register
// under, and the .init/.fini hooks, unused on ARM (the constructors are in .init_array).
__attribute__((visibility("hidden"))) void* __dso_handle = &__dso_handle;
void _init() {}
void _fini() {}

void kernelStart(long* stack) __attribute__((noreturn, used));

// The kernel starts the program with argc at the stack pointer, then the argument pointers, a
// null, the environment's pointers and a null.
__attribute__((naked, noreturn)) void _start()
{
    __asm__ __volatile__("mov r0, sp\n\t"
                         "bic sp, sp, #7\n\t" // the EABI wants 8-byte alignment at calls
                         "bl kernelStart");
}

void kernelStart(long* stack)
{
    int argc = static_cast<int>(stack[0]);
    char** argv = reinterpret_cast<char**>(stack + 1);
    environ = argv + argc + 1;
    __libc_init_array(); // the static constructors
    exit(programMain(argc, argv, environ));
}

void _exit(int status)
{
    for (;;)
        kernel::call<kernel::CALL_exit>(status);
}

// The heap grows with brk: the kernel answers with the new break, or the old one when it cannot
// grow.
void* _sbrk(ptrdiff_t increment)
{
    static char* end = 0;
    if (!end)
        end = reinterpret_cast<char*>(kernel::call<kernel::CALL_brk>(0));
    char* wanted = end + increment;
    char* granted = reinterpret_cast<char*>(kernel::call<kernel::CALL_brk>(long(wanted)));
    if (granted != wanted) {
        errno = ENOMEM;
        return reinterpret_cast<void*>(-1);
    }
    char* previous = end;
    end = wanted;
    return previous;
}

int _getpid()
{
    return static_cast<int>(kernel::call<kernel::CALL_getpid>());
}

// ARMv4T has no atomic instructions, and the 2.4 kernel no helpers for them, so the compiler
// calls these for std::atomic. The programs run one thread, so a plain read and write is atomic
// enough; a signal handler never shares such a counter.
unsigned atomicFetchAdd4(volatile void* place, unsigned value, int) __asm__("__atomic_fetch_add_4");
unsigned atomicFetchSub4(volatile void* place, unsigned value, int) __asm__("__atomic_fetch_sub_4");

unsigned atomicFetchAdd4(volatile void* place, unsigned value, int)
{
    volatile unsigned* counter = static_cast<volatile unsigned*>(place);
    unsigned before = *counter;
    *counter = before + value;
    return before;
}

unsigned atomicFetchSub4(volatile void* place, unsigned value, int order)
{
    return atomicFetchAdd4(place, 0u - value, order);
}

int _kill(int process, int signal)
{
    int number = kernel::kernelSignal(signal);
    if (signal != 0 && number == 0) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(kernel::result(kernel::call<kernel::CALL_kill>(process, number)));
}
} // extern "C"

namespace kernel {

namespace {

    // The kernel's errno values above 34 as newlib numbers them (1 to 34 are the same in both).
    struct ErrorPair {
        int kernel;
        int newlib;
    };
    const ErrorPair errorTable[] = {
        {35, EDEADLK},    {36, ENAMETOOLONG}, {37, ENOLCK},   {38, ENOSYS},
        {39, ENOTEMPTY},  {40, ELOOP},        {61, ENODATA},  {62, ETIME},
        {75, EOVERFLOW},  {84, EILSEQ},       {88, ENOTSOCK}, {95, EOPNOTSUPP},
        {110, ETIMEDOUT}, {116, ESTALE},      {122, EDQUOT},  {125, ECANCELED}};

    // newlib's open flags and the kernel's (the access mode, the two low bits, is the same in
    // both). O_CLOEXEC is not among them: the 2.4 kernel has no such flag, and open sets it
    // afterwards. newlib's fopen passes 0x10000 for "b" and 0x20000 for "t" (its library was built
    // with them, though its headers hide them): they mean nothing on Linux and are dropped.
    enum { NEWLIB_BINARY_AND_TEXT = 0x30000 };
    struct FlagPair {
        int newlib;
        long kernel;
    };
    const FlagPair openFlagTable[] = {
        {O_CREAT, 0100},  {O_EXCL, 0200},        {O_NOCTTY, 0400},
        {O_TRUNC, 01000}, {O_APPEND, 02000},     {O_NONBLOCK, 04000},
        {O_SYNC, 010000}, {O_DIRECTORY, 040000}, {O_NOFOLLOW, 0100000}};

    // The signals whose numbers differ; the others (1 to 6, 8, 9, 11, 13 to 15, 24 to 27) agree.
    struct SignalPair {
        int newlib;
        int kernel;
    };
    const SignalPair signalTable[] = {{SIGBUS, 7},   {SIGUSR1, 10}, {SIGUSR2, 12}, {SIGCHLD, 17},
                                      {SIGCONT, 18}, {SIGSTOP, 19}, {SIGTSTP, 20}, {SIGTTIN, 21},
                                      {SIGTTOU, 22}, {SIGURG, 23},  {SIGIO, 29},   {SIGSYS, 31}};

    const int sameSignals[] = {1, 2, 3, 4, 5, 6, 8, 9, 11, 13, 14, 15, 24, 25, 26, 27, 28};

    template <typename T, size_t N>
    size_t countOf(const T (&)[N])
    {
        return N;
    }

    bool isSameSignal(int signal)
    {
        for (size_t i = 0; i < countOf(sameSignals); ++i) {
            if (sameSignals[i] == signal)
                return true;
        }
        return false;
    }

} // namespace

long result(long value)
{
    if (value < 0 && value >= -4095) {
        errno = newlibError(static_cast<int>(-value));
        return -1;
    }
    return value;
}

int newlibError(int kernelError)
{
    if (kernelError <= 34)
        return kernelError;
    for (size_t i = 0; i < countOf(errorTable); ++i) {
        if (errorTable[i].kernel == kernelError)
            return errorTable[i].newlib;
    }
    // A value newlib has no name for: still a failure, with the most general reason.
    return EIO;
}

long kernelOpenFlags(int flags)
{
    long kernelFlags = flags & O_ACCMODE;
    int rest = flags & ~(O_ACCMODE | O_CLOEXEC | NEWLIB_BINARY_AND_TEXT);
    for (size_t i = 0; i < countOf(openFlagTable); ++i) {
        if (rest & openFlagTable[i].newlib) {
            kernelFlags |= openFlagTable[i].kernel;
            rest &= ~openFlagTable[i].newlib;
        }
    }
    return rest ? -1 : kernelFlags;
}

int newlibOpenFlags(long flags)
{
    int newlibFlags = static_cast<int>(flags & O_ACCMODE);
    for (size_t i = 0; i < countOf(openFlagTable); ++i) {
        if (flags & openFlagTable[i].kernel)
            newlibFlags |= openFlagTable[i].newlib;
    }
    return newlibFlags;
}

int kernelSignal(int signal)
{
    if (isSameSignal(signal))
        return signal;
    for (size_t i = 0; i < countOf(signalTable); ++i) {
        if (signalTable[i].newlib == signal)
            return signalTable[i].kernel;
    }
    return 0;
}

int newlibSignal(int signal)
{
    if (isSameSignal(signal))
        return signal;
    for (size_t i = 0; i < countOf(signalTable); ++i) {
        if (signalTable[i].kernel == signal)
            return signalTable[i].newlib;
    }
    return 0;
}

int unprovided(const char* name)
{
    const char* parts[] = {name, ": not provided on this system\n"};
    for (size_t i = 0; i < countOf(parts); ++i)
        call<CALL_write>(2, long(parts[i]), long(strlen(parts[i])));
    errno = ENOSYS;
    return -1;
}

} // namespace kernel
