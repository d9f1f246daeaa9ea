// Files and directories: the Win32 file calls on POSIX, with Win32's contracts (sharing,
// creation dispositions, 64-bit positions kept per handle, error codes).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "platform/linux/posix/errno_map.h"
#include "platform/linux/posix/file_internal.h"
#include "platform/linux/posix/kernel_object.h"
#include "platform/linux/posix/utf8.h"
#include "platform/linux/program_path.h"
#include "platform/linux/seam_points.h"
#include "platform/win32.h"

namespace {

DWORD DestroyFileObject(KernelObject* object);
DWORD DestroyFindObject(KernelObject* object);

struct FileObject : KernelObject {
    FileObject() : KernelObject(KernelKind::File, DestroyFileObject) {}
    int fd = -1;
    bool canRead = false;
    bool canWrite = false;
    std::mutex mutex; // one call at a time per handle, as with a synchronous Win32 handle
    uint64_t position = 0;
    // Opened for writing with FILE_FLAG_SEQUENTIAL_SCAN: finished windows go to the disk
    // as the file grows (WriteBehind).
    bool writeBehind = false;
    uint64_t windowsStarted = 0; // windows [0, windowsStarted) have their write-back started
    // Opened for reading with FILE_FLAG_SEQUENTIAL_SCAN: the window after the one being read
    // is asked for ahead of time (ReadAhead).
    bool readAhead = false;
    uint64_t windowsAsked = 0; // windows [0, windowsAsked) have been asked for
    uint64_t readEnd = 0;      // where the last read ended
    uint64_t runBytes = 0;     // read since the last read that did not start there
};

// A search finds the one file it names (the program asks whether a file exists), so it
// holds nothing open; the handle is there for FindClose.
struct FindObject : KernelObject {
    FindObject() : KernelObject(KernelKind::Find, DestroyFindObject) {}
};

BOOL Fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

BOOL FailErrno(int error)
{
    SetLastErrorFromErrno(error);
    return FALSE;
}

// Win32 tells a missing file in an existing folder from a missing folder.
DWORD MissingPathError(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    struct stat status;
    if (stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_PATH_NOT_FOUND;
}

// The Win32 code for a failed call on `path`.
DWORD PathError(int error, const std::string& path)
{
    return error == ENOENT ? MissingPathError(path) : Win32ErrorFromErrno(error);
}

BOOL FailPath(int error, const std::string& path)
{
    SetLastError(PathError(error, path));
    return FALSE;
}

// Folders are refused as Win32 refuses them; pipes, sockets and devices are not files.
DWORD NotAFileError(mode_t mode)
{
    return S_ISDIR(mode) ? ERROR_ACCESS_DENIED : ERROR_BAD_FILE_TYPE;
}

int OpenRetrying(const char* path, int flags, mode_t mode)
{
    int fd;
    do {
        fd = open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int FlockRetrying(int fd, int operation)
{
    int result;
    do {
        result = flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Undoes a CreateFileA that got as far as opening (and perhaps creating) the file.
HANDLE AbandonOpen(int fd, bool created, const std::string& path, DWORD code)
{
    if (close(fd) != 0 && errno != EINTR) {
        // The open is being undone; the caller's error is what matters.
    }
    if (created && unlink(path.c_str()) != 0) {
        // Somebody else removed or replaced it already; nothing left to undo.
    }
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

void FillFindData(LPWIN32_FIND_DATAA data, const char* name, const struct stat& status)
{
    memset(data, 0, sizeof(*data));
    data->dwFileAttributes = AttributesOf(status);
    // Linux keeps no portable birth time; the last change of the data stands in for it.
    data->ftCreationTime = ToFileTime(status.st_mtim);
    data->ftLastAccessTime = ToFileTime(status.st_atim);
    data->ftLastWriteTime = ToFileTime(status.st_mtim);
    if (!S_ISDIR(status.st_mode)) {
        const uint64_t size = static_cast<uint64_t>(status.st_size);
        data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(size);
    }
    const size_t keep = Utf8SafeCut(name, MAX_PATH - 1);
    memcpy(data->cFileName, name, keep);
    data->cFileName[keep] = '\0';
}

// Win32 refuses to delete a file that is open without delete sharing; on Linux unlink
// would succeed, and the program relies on the refusal to protect an open source file.
bool FileHeldOpen(const std::string& path)
{
    const int fd =
        OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) {
        return false; // cannot tell; the unlink decides
    }
    const bool held = FlockRetrying(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (close(fd) != 0) {
        // Only probed; closing also drops the probe's lock.
    }
    return held;
}

// A missing name in a move is the source file, or else the target's folder.
BOOL FailMove(int error, const std::string& from)
{
    struct stat status;
    if (error == ENOENT && lstat(from.c_str(), &status) == 0) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    return FailPath(error, from);
}

BOOL RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return TRUE;
    }
    const int error = errno;
    if (error == EEXIST) {
        return Fail(ERROR_ALREADY_EXISTS);
    }
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP) {
        return FailMove(error, from);
    }
    // This file system cannot refuse to replace by itself. A hard link can: it fails when
    // the target exists.
    struct stat status;
    if (lstat(from.c_str(), &status) != 0) {
        return FailMove(errno, from);
    }
    if (!S_ISDIR(status.st_mode)) {
        if (link(from.c_str(), to.c_str()) == 0) {
            if (unlink(from.c_str()) == 0) {
                return TRUE;
            }
            const int unlinkError = errno;
            if (unlink(to.c_str()) != 0) {
                // Both names now lead to the file; the caller still learns of the failure.
            }
            return FailMove(unlinkError, from);
        }
        const int linkError = errno;
        if (linkError == EEXIST) {
            return Fail(ERROR_ALREADY_EXISTS);
        }
        if (linkError != EPERM && linkError != ENOTSUP && linkError != EMLINK) {
            return FailMove(linkError, from);
        }
    }
    // No hard links either (or a folder): check, then rename.
    if (lstat(to.c_str(), &status) == 0) {
        return Fail(ERROR_ALREADY_EXISTS);
    }
    if (errno != ENOENT) {
        return FailErrno(errno);
    }
    if (rename(from.c_str(), to.c_str()) != 0) {
        return FailMove(errno, from);
    }
    return TRUE;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

BOOL SyncFolderOf(const std::string& path)
{
    const int fd = OpenRetrying(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
        return FailErrno(errno);
    }
    int result;
    do {
        result = fsync(fd);
    } while (result != 0 && errno == EINTR);
    const int error = errno;
    if (close(fd) != 0 && errno != EINTR && result == 0) {
        return FailErrno(errno);
    }
    // Some file systems cannot sync a folder at all; their entries are as safe as they get.
    if (result != 0 && error != EINVAL && error != EROFS) {
        return FailErrno(error);
    }
    return TRUE;
}

// A file written from start to end goes to the disk as it grows, without stopping for it:
// once a window is finished its write-back is started, and only then is the window before
// it waited for. The disk always has a window to write while the next one fills, and at
// most two windows (32 MiB) are ever written but not yet on the disk, so a slow disk holds
// the writer back to its own pace instead of piling up gigabytes for the final flush.
constexpr uint64_t WriteBehindWindow = 16u << 20;

// sync_file_range over one window. A file system that cannot do it turns write-behind off
// and is not a failure: the final flush still takes the data to the disk.
BOOL SyncWindow(FileObject* file, uint64_t window, unsigned int flags)
{
    DWORD code = 0;
    if (FaultShouldFail("sync_file_range", &code)) {
        return Fail(code);
    }
    int result;
    do {
        result = sync_file_range(file->fd, static_cast<off_t>(window * WriteBehindWindow),
                                 static_cast<off_t>(WriteBehindWindow), flags);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        return TRUE;
    }
    const int error = errno;
    if (error == ENOSYS || error == EINVAL || error == ESPIPE || error == EOPNOTSUPP) {
        file->writeBehind = false;
        return TRUE;
    }
    // A write error of the window (a full disk under delayed allocation, a failing disk) is
    // the write's: it must not wait for the flush, which might no longer see it.
    return Fail(error == EIO ? ERROR_WRITE_FAULT : Win32ErrorFromErrno(error));
}

// Starts the write-back of every window the position has passed, each followed by the wait
// for the window before it. FALSE with the last error when a write-back failed.
BOOL WriteBehind(FileObject* file)
{
    while (file->writeBehind && file->windowsStarted < file->position / WriteBehindWindow) {
        const uint64_t window = file->windowsStarted;
        if (!SyncWindow(file, window, SYNC_FILE_RANGE_WRITE)) {
            return FALSE;
        }
        if (window > 0 && !SyncWindow(file, window - 1,
                                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                          SYNC_FILE_RANGE_WAIT_AFTER)) {
            return FALSE;
        }
        ++file->windowsStarted;
    }
    return TRUE;
}

// A file read from start to end has the window after the one being read brought in while
// the reader works on this one, so that the disk is always reading, not only when the
// reader asks (the kernel's own read-ahead stays within a few hundred KiB).
// Only a reader that has gone on from where it stopped for a while is reading from start to
// end: reads here and there (a look at the data at open) bring in no more than they read.
constexpr uint64_t ReadAheadAfter = 1u << 20;

void ReadAhead(FileObject* file, uint64_t start)
{
    file->runBytes = (start == file->readEnd ? file->runBytes : 0) + (file->position - start);
    file->readEnd = file->position;
    const uint64_t next = file->position / WriteBehindWindow + 1;
    if (!file->readAhead || file->runBytes < ReadAheadAfter || next < file->windowsAsked) {
        return;
    }
    if (posix_fadvise(file->fd, static_cast<off_t>(next * WriteBehindWindow),
                      static_cast<off_t>(WriteBehindWindow), POSIX_FADV_WILLNEED) != 0) {
        // Only a hint: the reads still read, as fast as the disk answers them.
    }
    file->windowsAsked = next + 1;
}

DWORD DestroyFileObject(KernelObject* object)
{
    auto* file = static_cast<FileObject*>(object);
    DWORD error = ERROR_SUCCESS;
    // On Linux the descriptor is gone even when close reports EINTR; do not retry.
    if (close(file->fd) != 0 && errno != EINTR) {
        error = Win32ErrorFromErrno(errno);
    }
    delete file;
    return error;
}

DWORD DestroyFindObject(KernelObject* object)
{
    delete static_cast<FindObject*>(object);
    return ERROR_SUCCESS;
}

} // namespace

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags, HANDLE templateFile)
{
    (void)security;
    (void)templateFile;
    DWORD code = 0;
    if (FaultShouldFail("CreateFileA", &code)) {
        SetLastError(code);
        return INVALID_HANDLE_VALUE;
    }
    std::string native;
    if (!NativePath(path, &native)) {
        return INVALID_HANDLE_VALUE;
    }
    const bool wantRead = (access & GENERIC_READ) != 0;
    const bool wantWrite = (access & GENERIC_WRITE) != 0;
    // The program creates a new file or opens an existing one; the other modes are refused.
    if (creation != CREATE_NEW && creation != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }

    // Anything but a regular file is refused before it is opened: opening some devices
    // does something by itself (a watchdog starts, a tape rewinds).
    struct stat status;
    if (stat(native.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        SetLastError(creation == CREATE_NEW ? ERROR_FILE_EXISTS : NotAFileError(status.st_mode));
        return INVALID_HANDLE_VALUE;
    }

    // O_NONBLOCK so that a FIFO swapped in after the check cannot hang the open.
    const int openFlags =
        (wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    const mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    int fd = -1;
    bool created = false;
    if (creation == CREATE_NEW) {
        fd = OpenRetrying(native.c_str(), openFlags | O_CREAT | O_EXCL, mode);
        created = fd >= 0;
    } else {
        fd = OpenRetrying(native.c_str(), openFlags, 0);
    }
    if (fd < 0) {
        const int error = errno;
        // Only sockets, FIFOs without a reader and absent devices answer with these.
        SetLastError(error == ENXIO || error == ENODEV ? ERROR_BAD_FILE_TYPE
                                                       : PathError(error, native));
        return INVALID_HANDLE_VALUE;
    }

    if (fstat(fd, &status) != 0) {
        return AbandonOpen(fd, created, native, Win32ErrorFromErrno(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        return AbandonOpen(fd, false, native, NotAFileError(status.st_mode));
    }

    // No sharing: an exclusive lock. Any sharing: a shared lock, which still keeps out an
    // unshared opener. flock locks belong to the open file, so this also works between
    // two opens in this process.
    if (FlockRetrying(fd, (shareMode == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            // Someone opened what we just created; it is theirs now, so it stays.
            return AbandonOpen(fd, false, native, ERROR_SHARING_VIOLATION);
        }
        if (error != ENOTSUP && error != ENOSYS) {
            return AbandonOpen(fd, created, native, Win32ErrorFromErrno(error));
        }
        // A file system without locks: the file is opened unprotected.
    }

    const int statusFlags = fcntl(fd, F_GETFL);
    if (statusFlags < 0 || fcntl(fd, F_SETFL, statusFlags & ~O_NONBLOCK) != 0) {
        return AbandonOpen(fd, created, native, Win32ErrorFromErrno(errno));
    }

    const bool sequential = (flags & FILE_FLAG_SEQUENTIAL_SCAN) != 0;
    if (sequential && wantRead && posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL) != 0) {
        // Only a hint: without the longer read-ahead the file reads as any other.
    }

    auto* file = new (std::nothrow) FileObject;
    if (file == nullptr) {
        return AbandonOpen(fd, created, native, ERROR_NOT_ENOUGH_MEMORY);
    }
    file->fd = fd;
    file->canRead = wantRead;
    file->canWrite = wantWrite;
    file->writeBehind = sequential && wantWrite;
    file->readAhead = sequential && wantRead && !wantWrite;
    if (!KernelRegister(file)) {
        delete file;
        return AbandonOpen(fd, created, native, ERROR_NOT_ENOUGH_MEMORY);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<HANDLE>(static_cast<KernelObject*>(file));
}

namespace {

// Why a read or write may not start: 0 when it may.
DWORD TransferRefusal(const FileObject& object, const void* buffer, DWORD count,
                      const void* overlapped, bool writing)
{
    if (overlapped != nullptr || (buffer == nullptr && count > 0)) {
        return ERROR_INVALID_PARAMETER;
    }
    return (writing ? object.canWrite : object.canRead) ? 0 : ERROR_ACCESS_DENIED;
}

} // namespace

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped)
{
    if (read != nullptr) {
        *read = 0;
    }
    DWORD code = 0;
    if (FaultShouldFail("ReadFile", &code)) {
        return Fail(code);
    }
    KernelRef<FileObject> object(file, KernelKind::File);
    if (!object) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (const DWORD refused = TransferRefusal(*object.get(), buffer, toRead, overlapped, false)) {
        return Fail(refused);
    }
    std::lock_guard<std::mutex> lock(object->mutex);
    const uint64_t start = object->position;
    auto* bytes = static_cast<char*>(buffer);
    size_t done = 0;
    int error = 0;
    while (done < toRead) {
        const uint64_t offset = object->position + done;
        if (offset > static_cast<uint64_t>(INT64_MAX)) {
            break; // nothing can lie beyond the largest offset
        }
        const ssize_t got =
            pread(object->fd, bytes + done, toRead - done, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            break;
        }
        if (got == 0) {
            break; // end of file: success with fewer bytes
        }
        done += static_cast<size_t>(got);
    }
    object->position += done;
    if (read != nullptr) {
        *read = static_cast<DWORD>(done);
    }
    ReadAhead(object.get(), start);
    if (error != 0) {
        return Fail(error == EIO ? ERROR_READ_FAULT : Win32ErrorFromErrno(error));
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, LPDWORD written, void* overlapped)
{
    if (written != nullptr) {
        *written = 0;
    }
    DWORD code = 0;
    if (FaultShouldFail("WriteFile", &code)) {
        return Fail(code);
    }
    KernelRef<FileObject> object(file, KernelKind::File);
    if (!object) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (const DWORD refused = TransferRefusal(*object.get(), buffer, toWrite, overlapped, true)) {
        return Fail(refused);
    }
    std::lock_guard<std::mutex> lock(object->mutex);
    const auto* bytes = static_cast<const char*>(buffer);
    size_t done = 0;
    DWORD failure = ERROR_SUCCESS;
    while (done < toWrite) {
        const uint64_t offset = object->position + done;
        if (offset > static_cast<uint64_t>(INT64_MAX) - (toWrite - done)) {
            failure = Win32ErrorFromErrno(EFBIG);
            break;
        }
        const ssize_t put =
            pwrite(object->fd, bytes + done, toWrite - done, static_cast<off_t>(offset));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            failure = errno == EIO ? ERROR_WRITE_FAULT : Win32ErrorFromErrno(errno);
            break;
        }
        if (put == 0) {
            failure = ERROR_WRITE_FAULT; // no progress and no reason given
            break;
        }
        done += static_cast<size_t>(put);
    }
    object->position += done;
    if (written != nullptr) {
        *written = static_cast<DWORD>(done);
    }
    if (failure != ERROR_SUCCESS) {
        return Fail(failure);
    }
    return WriteBehind(object.get());
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method)
{
    DWORD code = 0;
    if (FaultShouldFail("SetFilePointer", &code)) {
        SetLastError(code);
        return INVALID_SET_FILE_POINTER;
    }
    KernelRef<FileObject> object(file, KernelKind::File);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    // With a high half the distance is 64 bits, the low half taken as unsigned.
    const int64_t move =
        distanceHigh != nullptr
            ? static_cast<int64_t>(
                  (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                  static_cast<uint32_t>(distance))
            : static_cast<int64_t>(distance);
    std::lock_guard<std::mutex> lock(object->mutex);
    int64_t base = 0;
    if (method == FILE_BEGIN) {
        base = 0;
    } else if (method == FILE_CURRENT) {
        base = static_cast<int64_t>(object->position);
    } else if (method == FILE_END) {
        struct stat status;
        if (fstat(object->fd, &status) != 0) {
            SetLastErrorFromErrno(errno);
            return INVALID_SET_FILE_POINTER;
        }
        base = status.st_size;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, move, &target)) {
        SetLastError(move < 0 ? ERROR_NEGATIVE_SEEK : ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh == nullptr && target > static_cast<int64_t>(UINT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER); // the caller could not be told the result
        return INVALID_SET_FILE_POINTER;
    }
    object->position = static_cast<uint64_t>(target);
    if (distanceHigh != nullptr) {
        *distanceHigh =
            static_cast<LONG>(static_cast<uint32_t>(static_cast<uint64_t>(target) >> 32));
    }
    // A low half of 0xFFFFFFFF is a valid result; callers tell it apart by the error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE file)
{
    DWORD code = 0;
    if (FaultShouldFail("SetEndOfFile", &code)) {
        return Fail(code);
    }
    KernelRef<FileObject> object(file, KernelKind::File);
    if (!object) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (!object->canWrite) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    std::lock_guard<std::mutex> lock(object->mutex);
    int result;
    do {
        result = ftruncate(object->fd, static_cast<off_t>(object->position));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return FailErrno(errno);
    }
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    DWORD code = 0;
    if (FaultShouldFail("GetFileSize", &code)) {
        SetLastError(code);
        return INVALID_FILE_SIZE;
    }
    KernelRef<FileObject> object(file, KernelKind::File);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    struct stat status;
    if (fstat(object->fd, &status) != 0) {
        SetLastErrorFromErrno(errno);
        return INVALID_FILE_SIZE;
    }
    const uint64_t size = static_cast<uint64_t>(status.st_size);
    if (sizeHigh != nullptr) {
        *sizeHigh = static_cast<DWORD>(size >> 32);
    }
    // A low half of 0xFFFFFFFF is a valid size; callers tell it apart by the error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL CloseHandle(HANDLE object)
{
    DWORD code = 0;
    if (FaultShouldFail("CloseHandle", &code)) {
        return Fail(code);
    }
    KernelObject* kernel = KernelUnregister(object, KernelKind::Any);
    if (kernel == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const DWORD error = KernelRelease(kernel);
    if (error != ERROR_SUCCESS) {
        return Fail(error);
    }
    return TRUE;
}

BOOL DeleteFileA(LPCSTR path)
{
    DWORD code = 0;
    if (FaultShouldFail("DeleteFileA", &code)) {
        return Fail(code);
    }
    std::string native;
    if (!NativePath(path, &native)) {
        return FALSE;
    }
    struct stat status;
    if (lstat(native.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return Fail(ERROR_ACCESS_DENIED);
        }
        if (S_ISREG(status.st_mode) && FileHeldOpen(native)) {
            return Fail(ERROR_SHARING_VIOLATION);
        }
    }
    if (unlink(native.c_str()) != 0) {
        return FailPath(errno, native);
    }
    return TRUE;
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags)
{
    DWORD code = 0;
    if (FaultShouldFail("MoveFileExA", &code)) {
        return Fail(code);
    }
    std::string from;
    std::string to;
    if (!NativePath(existing, &from) || !NativePath(target, &to)) {
        return FALSE;
    }
    if ((flags & ~static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) != 0) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
        if (!RenameWithoutReplacing(from, to)) {
            return FALSE;
        }
    } else {
        // Win32 replaces files only; rename() would also replace an empty folder. Nor does
        // it replace a file someone holds open unshared, which rename() would do silently:
        // the system refuses that with ERROR_ACCESS_DENIED (a delete, with a sharing violation).
        struct stat status;
        if (lstat(to.c_str(), &status) == 0) {
            if (S_ISDIR(status.st_mode)) {
                return Fail(ERROR_ACCESS_DENIED);
            }
            if (S_ISREG(status.st_mode) && FileHeldOpen(to)) {
                return Fail(ERROR_ACCESS_DENIED);
            }
        }
        if (rename(from.c_str(), to.c_str()) != 0) {
            return FailMove(errno, from);
        }
    }
    if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
        // A rename is on the disk once both folders' entries are.
        if (!SyncFolderOf(to) || (FolderOf(from) != FolderOf(to) && !SyncFolderOf(from))) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL WithFileDescriptor(HANDLE file, const std::function<BOOL(int descriptor)>& use)
{
    KernelRef<FileObject> object(file, KernelKind::File);
    if (!object) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    std::lock_guard<std::mutex> lock(object->mutex);
    return use(object->fd);
}

HANDLE FindFirstFileA(LPCSTR path, LPWIN32_FIND_DATAA data)
{
    DWORD code = 0;
    if (FaultShouldFail("FindFirstFileA", &code)) {
        SetLastError(code);
        return INVALID_HANDLE_VALUE;
    }
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string native;
    if (!NativePath(path, &native)) {
        return INVALID_HANDLE_VALUE;
    }
    const size_t slash = native.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : native.substr(0, slash));
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    if (name.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    struct stat status;
    if (stat(native.c_str(), &status) != 0 && lstat(native.c_str(), &status) != 0) {
        const int error = errno;
        struct stat folderStatus;
        if (error == ENOENT && stat(folder.c_str(), &folderStatus) == 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
        } else {
            SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                             : Win32ErrorFromErrno(error));
        }
        return INVALID_HANDLE_VALUE;
    }
    auto* find = new (std::nothrow) FindObject;
    if (find == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    FillFindData(data, name.c_str(), status);
    if (!KernelRegister(find)) {
        DestroyFindObject(find);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    return static_cast<HANDLE>(static_cast<KernelObject*>(find));
}

BOOL FindClose(HANDLE find)
{
    DWORD code = 0;
    if (FaultShouldFail("FindClose", &code)) {
        return Fail(code);
    }
    KernelObject* kernel = KernelUnregister(find, KernelKind::Find);
    if (kernel == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const DWORD error = KernelRelease(kernel);
    if (error != ERROR_SUCCESS) {
        return Fail(error);
    }
    return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer)
{
    DWORD code = 0;
    if (FaultShouldFail("GetCurrentDirectoryA", &code)) {
        SetLastError(code);
        return 0;
    }
    char* current = getcwd(nullptr, 0);
    if (current == nullptr) {
        SetLastErrorFromErrno(errno);
        return 0;
    }
    const std::string path = ProgramPathFromNative(current);
    free(current);
    // Too small a buffer: the size needed, counting the NUL.
    if (buffer == nullptr || size < path.size() + 1) {
        return static_cast<DWORD>(path.size() + 1);
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

BOOL SetCurrentDirectoryA(LPCSTR path)
{
    DWORD code = 0;
    if (FaultShouldFail("SetCurrentDirectoryA", &code)) {
        return Fail(code);
    }
    std::string native;
    if (!NativePath(path, &native)) {
        return FALSE;
    }
    if (chdir(native.c_str()) != 0) {
        const int error = errno;
        struct stat status;
        if (error == ENOTDIR && stat(native.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
            return Fail(ERROR_DIRECTORY);
        }
        return FailPath(error, native);
    }
    return TRUE;
}

// 100-nanosecond intervals since 1601-01-01, as FILETIME counts.
FILETIME ToFileTime(const struct timespec& time)
{
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
    const int64_t ticks =
        (static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * 10000000LL +
        time.tv_nsec / 100;
    const uint64_t value = ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

DWORD AttributesOf(const struct stat& status)
{
    DWORD attributes = 0;
    if (S_ISDIR(status.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    if ((status.st_mode & 0222) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}
