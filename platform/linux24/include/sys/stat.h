/* newlib's file status, with lstat, which its header declares only for other systems. */
#ifndef TARVO_LINUX24_SYS_STAT_H
#define TARVO_LINUX24_SYS_STAT_H

#include_next <sys/stat.h>

#ifdef __cplusplus
extern "C" {
#endif

int lstat(const char* path, struct stat* info);

#ifdef __cplusplus
}
#endif

#endif
