// File identity and durability: GetFileInformationByHandle, FlushFileBuffers and the
// layer's own FileInformationOfPath, on fstat, stat and fsync.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/linux/posix/errno_map.h"
#include "platform/linux/posix/file_internal.h"
#include "platform/linux/program_path.h"
#include "platform/linux/seam_points.h"
#include "platform/win32.h"

namespace {

void FillInformation(const struct stat& status, LPBY_HANDLE_FILE_INFORMATION information)
{
    memset(information, 0, sizeof *information);
    information->dwFileAttributes = AttributesOf(status);
    information->ftCreationTime = ToFileTime(status.st_mtim);
    information->ftLastAccessTime = ToFileTime(status.st_atim);
    information->ftLastWriteTime = ToFileTime(status.st_mtim);
    // A device number is 64 bits here; folding keeps every bit in the 32-bit serial.
    const uint64_t device = static_cast<uint64_t>(status.st_dev);
    information->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
    const uint64_t size = static_cast<uint64_t>(status.st_size);
    information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    information->nFileSizeLow = static_cast<DWORD>(size);
    information->nNumberOfLinks = static_cast<DWORD>(status.st_nlink);
    const uint64_t index = static_cast<uint64_t>(status.st_ino);
    information->nFileIndexHigh = static_cast<DWORD>(index >> 32);
    information->nFileIndexLow = static_cast<DWORD>(index);
}

BOOL Fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

} // namespace

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information)
{
    DWORD code = 0;
    if (FaultShouldFail("GetFileInformationByHandle", &code)) {
        return Fail(code);
    }
    if (information == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    return WithFileDescriptor(file, [information](int descriptor) {
        struct stat status;
        if (fstat(descriptor, &status) != 0) {
            return Fail(Win32ErrorFromErrno(errno));
        }
        FillInformation(status, information);
        return TRUE;
    });
}

BOOL FlushFileBuffers(HANDLE file)
{
    DWORD code = 0;
    if (FaultShouldFail("FlushFileBuffers", &code)) {
        return Fail(code);
    }
    return WithFileDescriptor(file, [](int descriptor) {
        int result;
        do {
            result = fsync(descriptor);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            // A late write error (a full disk under delayed allocation) surfaces here.
            return Fail(errno == EIO ? ERROR_WRITE_FAULT : Win32ErrorFromErrno(errno));
        }
        return TRUE;
    });
}

BOOL FileInformationOfPath(LPCSTR path, LPBY_HANDLE_FILE_INFORMATION information)
{
    DWORD code = 0;
    if (FaultShouldFail("FileInformationOfPath", &code)) {
        return Fail(code);
    }
    if (information == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::string host;
    if (!NativePath(path, &host)) {
        return FALSE;
    }
    struct stat status;
    if (stat(host.c_str(), &status) != 0) {
        const int error = errno;
        return Fail(error == ENOENT || error == ENOTDIR ? ERROR_FILE_NOT_FOUND
                                                        : Win32ErrorFromErrno(error));
    }
    FillInformation(status, information);
    return TRUE;
}
