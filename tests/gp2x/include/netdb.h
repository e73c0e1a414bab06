/* For GoogleTest on the GP2X build only. It can stream its results to a socket when asked to,
   which the tests never ask; the handheld's programs have no network, so every call fails. */
#ifndef TARVO_TESTS_GP2X_NETDB_H
#define TARVO_TESTS_GP2X_NETDB_H

#include <sys/socket.h>

#define EAI_SYSTEM (-11)

struct addrinfo {
    int ai_flags;
    int ai_family;
    int ai_socktype;
    int ai_protocol;
    socklen_t ai_addrlen;
    struct sockaddr* ai_addr;
    char* ai_canonname;
    struct addrinfo* ai_next;
};

static inline int getaddrinfo(const char*, const char*, const struct addrinfo*, struct addrinfo**)
{
    errno = ENOSYS;
    return EAI_SYSTEM;
}

static inline void freeaddrinfo(struct addrinfo*) {}

static inline const char* gai_strerror(int)
{
    return "no network on this system";
}

#endif
