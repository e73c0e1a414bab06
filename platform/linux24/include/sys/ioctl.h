/* Device requests on the GP2X build; the requests and their structures are the kernel's own. */
#ifndef TARVO_LINUX24_SYS_IOCTL_H
#define TARVO_LINUX24_SYS_IOCTL_H

#ifdef __cplusplus
extern "C" {
#endif

int ioctl(int fd, unsigned long request, ...);

#ifdef __cplusplus
}
#endif

#endif
