/* Mappings on the GP2X build, with the kernel's own flag values (newlib has no such header). */
#ifndef TARVO_LINUX24_SYS_MMAN_H
#define TARVO_LINUX24_SYS_MMAN_H

#include <sys/types.h>

#define PROT_NONE 0x0
#define PROT_READ 0x1
#define PROT_WRITE 0x2
#define PROT_EXEC 0x4
#define MAP_SHARED 0x01
#define MAP_PRIVATE 0x02
#define MAP_FIXED 0x10
#define MAP_ANONYMOUS 0x20
#define MAP_FAILED ((void*)-1)

#ifdef __cplusplus
extern "C" {
#endif

void* mmap(void* start, size_t length, int protection, int flags, int fd, off_t offset);
int munmap(void* start, size_t length);

#ifdef __cplusplus
}
#endif

#endif
