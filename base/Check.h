// Always-on checks for programming errors that would otherwise corrupt memory.
#ifndef TARVO_BASE_CHECK_H
#define TARVO_BASE_CHECK_H

#include <stdio.h>
#include <stdlib.h>

// TARVO_CHECK(cond) guards preconditions whose violation can only come from the program's own
// logic (an index out of range, a size that cannot exist), never from data read from outside:
// outside data takes a documented fallback instead. It stays on with NDEBUG because what it
// protects is memory safety, not a debugging aid.
#define TARVO_CHECK(cond) ((cond) ? (void)0 : tarvoCheckFailed(__FILE__, __LINE__, #cond))

__attribute__((noreturn)) inline void tarvoCheckFailed(const char* file, int line,
                                                       const char* condition)
{
    fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    fflush(stderr);
    abort();
}

#endif
