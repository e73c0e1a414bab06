/* For GoogleTest on the GP2X build only (see netdb.h): sockets that cannot be made. */
#ifndef TARVO_TESTS_GP2X_SYS_SOCKET_H
#define TARVO_TESTS_GP2X_SYS_SOCKET_H

#include <errno.h>

#define AF_UNSPEC 0
#define SOCK_STREAM 1

typedef unsigned socklen_t;
struct sockaddr;

static inline int socket(int, int, int)
{
    errno = ENOSYS;
    return -1;
}

static inline int connect(int, const struct sockaddr*, socklen_t)
{
    errno = ENOSYS;
    return -1;
}

#endif
