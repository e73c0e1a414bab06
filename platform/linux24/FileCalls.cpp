// Files and folders: newlib's system-call hooks (_open, _read, _stat, ...) and the POSIX calls
// newlib does not have on this target (folders, rename, fsync, links, the working folder,
// realpath), each one kernel call or a few, with newlib's flags, structures and errno values
// translated at the boundary.
#include "platform/linux24/Kernel.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using kernel::call;
using kernel::result;

namespace {

enum { KERNEL_F_GETFL = 3, KERNEL_F_SETFL = 4, KERNEL_TCGETS = 0x5401, LINK_LIMIT = 40 };

int asInt(long value)
{
    return static_cast<int>(value);
}

long address(const void* pointer)
{
    return reinterpret_cast<long>(pointer);
}

void toNewlibStat(const kernel::Stat& from, struct stat* to)
{
    memset(to, 0, sizeof *to);
    to->st_dev = static_cast<dev_t>(from.dev);
    to->st_ino = static_cast<ino_t>(from.ino);
    to->st_mode = from.mode; // the file type and permission bits are the same in both
    to->st_nlink = from.nlink;
    to->st_uid = from.uid;
    to->st_gid = from.gid;
    to->st_rdev = static_cast<dev_t>(from.rdev);
    to->st_size = static_cast<off_t>(from.size);
    to->st_blksize = static_cast<blksize_t>(from.blksize);
    to->st_blocks = static_cast<blkcnt_t>(from.blocks);
    to->st_atim.tv_sec = from.atime;
    to->st_atim.tv_nsec = static_cast<long>(from.atimeNanoseconds);
    to->st_mtim.tv_sec = from.mtime;
    to->st_mtim.tv_nsec = static_cast<long>(from.mtimeNanoseconds);
    to->st_ctim.tv_sec = from.ctime;
    to->st_ctim.tv_nsec = static_cast<long>(from.ctimeNanoseconds);
}

template <int NUMBER>
int statCall(long what, struct stat* info)
{
    kernel::Stat raw;
    if (result(call<NUMBER>(what, address(&raw))) < 0)
        return -1;
    toNewlibStat(raw, info);
    return 0;
}

int setCloseOnExec(int fd)
{
    return asInt(result(call<kernel::CALL_fcntl>(fd, F_SETFD, FD_CLOEXEC)));
}

} // namespace

extern "C" {

int _open(const char* path, int flags, int mode)
{
    long kernelFlags = kernel::kernelOpenFlags(flags);
    if (kernelFlags < 0) {
        errno = EINVAL;
        return -1;
    }
    int fd = asInt(result(call<kernel::CALL_open>(address(path), kernelFlags, mode)));
    if (fd >= 0 && (flags & O_CLOEXEC) && setCloseOnExec(fd) != 0) {
        int error = errno;
        call<kernel::CALL_close>(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int _close(int fd)
{
    return asInt(result(call<kernel::CALL_close>(fd)));
}

_READ_WRITE_RETURN_TYPE _read(int fd, void* buffer, size_t count)
{
    return asInt(result(call<kernel::CALL_read>(fd, address(buffer), long(count))));
}

_READ_WRITE_RETURN_TYPE _write(int fd, const void* buffer, size_t count)
{
    return asInt(result(call<kernel::CALL_write>(fd, address(buffer), long(count))));
}

_off_t _lseek(int fd, _off_t offset, int whence)
{
    return result(call<kernel::CALL_lseek>(fd, offset, whence));
}

int _fstat(int fd, struct stat* info)
{
    return statCall<kernel::CALL_fstat>(fd, info);
}

int _stat(const char* path, struct stat* info)
{
    return statCall<kernel::CALL_stat>(address(path), info);
}

int lstat(const char* path, struct stat* info)
{
    return statCall<kernel::CALL_lstat>(address(path), info);
}

// A terminal is what answers the terminal query; newlib buffers standard output by lines there.
int _isatty(int fd)
{
    char settings[64];
    int error = errno;
    bool terminal = call<kernel::CALL_ioctl>(fd, KERNEL_TCGETS, address(settings)) == 0;
    errno = error;
    return terminal ? 1 : 0;
}

int _link(const char* from, const char* to)
{
    return asInt(result(call<kernel::CALL_link>(address(from), address(to))));
}

int _unlink(const char* path)
{
    return asInt(result(call<kernel::CALL_unlink>(address(path))));
}

int mkdir(const char* path, mode_t mode)
{
    return asInt(result(call<kernel::CALL_mkdir>(address(path), mode)));
}

int _mkdir(const char* path, mode_t mode)
{
    return mkdir(path, mode);
}

// newlib's own rename links and unlinks, which is not atomic and fails when the target exists:
// the kernel's replaces the target in one step, as the configuration's save relies on.
int rename(const char* from, const char* to)
{
    return asInt(result(call<kernel::CALL_rename>(address(from), address(to))));
}

int _rename_r(struct _reent*, const char* from, const char* to)
{
    return rename(from, to);
}

} // extern "C"

namespace {

// Makes a new folder (or file) from pattern, its last six X replaced by random letters and
// digits: the descriptor of the file, 0 for a folder, -1 with errno set on failure.
int makeUnique(char* pattern, bool folder)
{
    static const char symbols[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    size_t length = pattern ? strlen(pattern) : 0;
    if (length < 6 || strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return -1;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (getentropy(random, sizeof random) != 0)
            return -1;
        for (int i = 0; i < 6; ++i)
            pattern[length - 6 + i] = symbols[random[i] % (sizeof symbols - 1)];
        int made = folder ? mkdir(pattern, 0700) : _open(pattern, O_RDWR | O_CREAT | O_EXCL, 0600);
        if (made >= 0 || errno != EEXIST)
            return made;
    }
    return -1;
}

} // namespace

extern "C" {

// newlib's were built without folders: mkdtemp always fails. Both are replaced together, as
// newlib keeps them in one object.
char* mkdtemp(char* pattern)
{
    return makeUnique(pattern, true) == 0 ? pattern : 0;
}

int mkstemp(char* pattern)
{
    return makeUnique(pattern, false);
}

int rmdir(const char* path)
{
    return asInt(result(call<kernel::CALL_rmdir>(address(path))));
}

int access(const char* path, int mode)
{
    return asInt(result(call<kernel::CALL_access>(address(path), mode)));
}

int chdir(const char* path)
{
    return asInt(result(call<kernel::CALL_chdir>(address(path))));
}

int fchdir(int fd)
{
    return asInt(result(call<kernel::CALL_fchdir>(fd)));
}

int fsync(int fd)
{
    return asInt(result(call<kernel::CALL_fsync>(fd)));
}

int chmod(const char* path, mode_t mode)
{
    return asInt(result(call<kernel::CALL_chmod>(address(path), mode)));
}

int fchmod(int fd, mode_t mode)
{
    return asInt(result(call<kernel::CALL_fchmod>(fd, mode)));
}

mode_t umask(mode_t mask)
{
    return static_cast<mode_t>(call<kernel::CALL_umask>(mask));
}

int truncate(const char* path, off_t length)
{
    return asInt(result(call<kernel::CALL_truncate>(address(path), length)));
}

int ftruncate(int fd, off_t length)
{
    return asInt(result(call<kernel::CALL_ftruncate>(fd, length)));
}

int symlink(const char* target, const char* path)
{
    return asInt(result(call<kernel::CALL_symlink>(address(target), address(path))));
}

ssize_t readlink(const char* path, char* buffer, size_t size)
{
    return result(call<kernel::CALL_readlink>(address(path), address(buffer), long(size)));
}

int dup(int fd)
{
    return asInt(result(call<kernel::CALL_dup>(fd)));
}

int dup2(int fd, int target)
{
    return asInt(result(call<kernel::CALL_dup2>(fd, target)));
}

int pipe(int fds[2])
{
    return asInt(result(call<kernel::CALL_pipe>(address(fds))));
}

// F_DUPFD, F_GETFD and F_SETFD take the same numbers in both; the status flags are translated.
int fcntl(int fd, int command, ...)
{
    va_list arguments;
    va_start(arguments, command);
    long argument = va_arg(arguments, long);
    va_end(arguments);
    switch (command) {
    case F_DUPFD:
    case F_GETFD:
    case F_SETFD:
        return asInt(result(call<kernel::CALL_fcntl>(fd, command, argument)));
    case F_GETFL: {
        long flags = result(call<kernel::CALL_fcntl>(fd, KERNEL_F_GETFL));
        return flags < 0 ? -1 : kernel::newlibOpenFlags(flags);
    }
    case F_SETFL: {
        long flags = kernel::kernelOpenFlags(static_cast<int>(argument));
        if (flags >= 0)
            return asInt(result(call<kernel::CALL_fcntl>(fd, KERNEL_F_SETFL, flags)));
        break;
    }
    }
    errno = EINVAL;
    return -1;
}

// The kernel fills the buffer and answers with the length, its null included. Without a buffer,
// one of the length needed is allocated.
char* getcwd(char* buffer, size_t size)
{
    char here[PATH_MAX];
    char* target = buffer ? buffer : here;
    size_t room = buffer ? size : sizeof here;
    if (room == 0) {
        errno = buffer ? EINVAL : ERANGE;
        return 0;
    }
    if (result(call<kernel::CALL_getcwd>(address(target), long(room))) < 0)
        return 0;
    if (buffer)
        return buffer;
    char* copy = strdup(here);
    if (!copy)
        errno = ENOMEM;
    return copy;
}

// The real path of path: every "." and ".." taken away and every link followed, at most 40 of
// them, as the kernel itself counts. Paths the kernel would refuse as too long are refused.
char* realpath(const char* path, char* resolved)
{
    if (!path) {
        errno = EINVAL;
        return 0;
    }
    if (!*path) {
        errno = ENOENT;
        return 0;
    }
    char out[PATH_MAX];
    char rest[PATH_MAX];
    char next[PATH_MAX];
    if (strlen(path) >= sizeof rest) {
        errno = ENAMETOOLONG;
        return 0;
    }
    strcpy(rest, path);
    if (rest[0] == '/')
        strcpy(out, "/");
    else if (!getcwd(out, sizeof out))
        return 0;
    size_t length = strlen(out);
    int links = 0;
    const char* cursor = rest;
    for (;;) {
        while (*cursor == '/')
            ++cursor;
        if (!*cursor)
            break;
        const char* end = strchr(cursor, '/');
        size_t size = end ? static_cast<size_t>(end - cursor) : strlen(cursor);
        if (size == 1 && cursor[0] == '.') {
            cursor += size;
            continue;
        }
        if (size == 2 && cursor[0] == '.' && cursor[1] == '.') {
            while (length > 1 && out[length - 1] != '/')
                --length;
            if (length > 1)
                --length;
            out[length] = '\0';
            cursor += size;
            continue;
        }
        size_t before = length;
        if (length + (length > 1) + size >= sizeof out) {
            errno = ENAMETOOLONG;
            return 0;
        }
        if (length > 1)
            out[length++] = '/';
        memcpy(out + length, cursor, size);
        length += size;
        out[length] = '\0';
        cursor += size;

        struct stat info;
        if (lstat(out, &info) != 0)
            return 0;
        if (S_ISLNK(info.st_mode)) {
            if (++links > LINK_LIMIT) {
                errno = ELOOP;
                return 0;
            }
            ssize_t targetLength = readlink(out, next, sizeof next - 1);
            if (targetLength < 0)
                return 0;
            size_t remaining = strlen(cursor);
            if (static_cast<size_t>(targetLength) + remaining >= sizeof next) {
                errno = ENAMETOOLONG;
                return 0;
            }
            memcpy(next + targetLength, cursor, remaining + 1);
            strcpy(rest, next);
            cursor = rest;
            length = rest[0] == '/' ? 1 : before; // out always begins with "/"
            out[length] = '\0';
        } else if (*cursor && !S_ISDIR(info.st_mode)) {
            errno = ENOTDIR;
            return 0;
        }
    }
    if (!resolved) {
        resolved = strdup(out);
        if (!resolved)
            errno = ENOMEM;
        return resolved;
    }
    return strcpy(resolved, out);
}

} // extern "C"

// Folders, read with getdents: the kernel fills a buffer with records of the entry's inode, an
// offset, the record's length and the name with its null.
struct TarvoDirectory {
    int fd;
    int filled;
    int position;
    struct dirent entry;
    char buffer[4096];
};

extern "C" {

DIR* fdopendir(int fd)
{
    DIR* folder = static_cast<DIR*>(malloc(sizeof(DIR)));
    if (!folder) {
        errno = ENOMEM;
        return 0;
    }
    folder->fd = fd;
    folder->filled = 0;
    folder->position = 0;
    return folder;
}

DIR* opendir(const char* path)
{
    int fd = _open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    DIR* folder = fdopendir(fd);
    if (!folder)
        _close(fd);
    return folder;
}

struct dirent* readdir(DIR* folder)
{
    if (folder->position >= folder->filled) {
        long filled = result(call<kernel::CALL_getdents>(folder->fd, address(folder->buffer),
                                                         long(sizeof folder->buffer)));
        if (filled <= 0)
            return 0;
        folder->filled = static_cast<int>(filled);
        folder->position = 0;
    }
    const char* record = folder->buffer + folder->position;
    uint32_t inode;
    uint16_t recordLength;
    memcpy(&inode, record, sizeof inode);
    memcpy(&recordLength, record + 8, sizeof recordLength);
    // A record too short for its own header would hold the listing in one place for ever.
    if (recordLength < 12 || folder->position + recordLength > folder->filled)
        return 0;
    folder->position += recordLength;
    folder->entry.d_ino = inode;
    strncpy(folder->entry.d_name, record + 10, sizeof folder->entry.d_name - 1);
    folder->entry.d_name[sizeof folder->entry.d_name - 1] = '\0';
    return &folder->entry;
}

void rewinddir(DIR* folder)
{
    _lseek(folder->fd, 0, SEEK_SET);
    folder->filled = 0;
    folder->position = 0;
}

int dirfd(DIR* folder)
{
    return folder->fd;
}

int closedir(DIR* folder)
{
    int status = _close(folder->fd);
    free(folder);
    return status;
}

} // extern "C"
