/* newlib's limits, with the kernel's longest path (newlib names none in this configuration). */
#ifndef TARVO_LINUX24_LIMITS_H
#define TARVO_LINUX24_LIMITS_H

#include_next <limits.h>

#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

#endif
