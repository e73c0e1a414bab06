/* Folders on the GP2X build: newlib has no folder functions for this target, the layer in
   platform/linux24 provides them over the kernel's getdents. */
#ifndef TARVO_LINUX24_DIRENT_H
#define TARVO_LINUX24_DIRENT_H

#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

struct dirent {
    ino_t d_ino;
    char d_name[256];
};

typedef struct TarvoDirectory DIR;

DIR* opendir(const char* path);
DIR* fdopendir(int fd);
struct dirent* readdir(DIR* folder);
void rewinddir(DIR* folder);
int dirfd(DIR* folder);
int closedir(DIR* folder);

#ifdef __cplusplus
}
#endif

#endif
