// Watches the resolvers of the process it is preloaded into (LD_PRELOAD): the C library's
// (getaddrinfo, gethostbyname and their variants) and GIO's (g_resolver_lookup_by_name and its
// variants, which answer names under "localhost" themselves, without the C library). Each host
// name asked for is appended to the file named by QUENLITH_RESOLVER_LOG as a line "program host",
// before the real function runs; then the call goes on unchanged.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void note(const char* host) {
    const char* path = getenv("QUENLITH_RESOLVER_LOG");
    if (!path || !host) return;
    char line[1024];
    int length = snprintf(line, sizeof line, "%s %s\n", program_invocation_short_name, host);
    if (length <= 0 || (size_t)length >= sizeof line) return;
    // One write of a short line to a file opened for appending: lines of several threads and
    // processes do not mix.
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    ssize_t written = write(fd, line, (size_t)length);
    (void)written;
    close(fd);
}

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                struct addrinfo** result) {
    note(node);
    return REAL(getaddrinfo)(node, service, hints, result);
}

struct hostent* gethostbyname(const char* name) {
    note(name);
    return REAL(gethostbyname)(name);
}

struct hostent* gethostbyname2(const char* name, int family) {
    note(name);
    return REAL(gethostbyname2)(name, family);
}

int gethostbyname_r(const char* name, struct hostent* entry, char* buffer, size_t length,
                    struct hostent** result, int* error) {
    note(name);
    return REAL(gethostbyname_r)(name, entry, buffer, length, result, error);
}

int gethostbyname2_r(const char* name, int family, struct hostent* entry, char* buffer, size_t length,
                     struct hostent** result, int* error) {
    note(name);
    return REAL(gethostbyname2_r)(name, family, entry, buffer, length, result, error);
}

// GIO's functions, declared with opaque pointers: the library needs no GIO headers to pass them on.
void* g_resolver_lookup_by_name(void* resolver, const char* host, void* cancellable, void** error) {
    note(host);
    return REAL(g_resolver_lookup_by_name)(resolver, host, cancellable, error);
}

void g_resolver_lookup_by_name_async(void* resolver, const char* host, void* cancellable, void* callback,
                                     void* data) {
    note(host);
    REAL(g_resolver_lookup_by_name_async)(resolver, host, cancellable, callback, data);
}

void* g_resolver_lookup_by_name_with_flags(void* resolver, const char* host, int flags, void* cancellable,
                                           void** error) {
    note(host);
    return REAL(g_resolver_lookup_by_name_with_flags)(resolver, host, flags, cancellable, error);
}

void g_resolver_lookup_by_name_with_flags_async(void* resolver, const char* host, int flags,
                                                void* cancellable, void* callback, void* data) {
    note(host);
    REAL(g_resolver_lookup_by_name_with_flags_async)(resolver, host, flags, cancellable, callback, data);
}
