/* Resource limits on the GP2X build, with the kernel's numbers and layout (newlib's header has
   only getrusage). */
#ifndef TARVO_LINUX24_SYS_RESOURCE_H
#define TARVO_LINUX24_SYS_RESOURCE_H

#include <sys/time.h>

#define RLIMIT_CPU 0
#define RLIMIT_FSIZE 1
#define RLIMIT_DATA 2
#define RLIMIT_STACK 3
#define RLIMIT_CORE 4
#define RLIMIT_RSS 5
#define RLIMIT_NPROC 6
#define RLIMIT_NOFILE 7
#define RLIMIT_MEMLOCK 8
#define RLIMIT_AS 9
#define RLIM_INFINITY (~0UL)

typedef unsigned long rlim_t;

struct rlimit {
    rlim_t rlim_cur;
    rlim_t rlim_max;
};

#ifdef __cplusplus
extern "C" {
#endif

int getrlimit(int resource, struct rlimit* limit);
int setrlimit(int resource, const struct rlimit* limit);

#ifdef __cplusplus
}
#endif

#endif
