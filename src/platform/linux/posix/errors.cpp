// Error codes and texts: the thread's last error, errno translation, and our own
// catalogue of sentences behind FormatMessageA and waveOutGetErrorTextA.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/linux/posix/errno_map.h"
#include "platform/linux/posix/utf8.h"
#include "platform/linux/seam_points.h"
#include "platform/win32.h"

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

struct ErrnoCode {
    int error;
    DWORD code;
};

// Every errno the file, directory and thread calls can meet. Some values are aliases
// (EAGAIN/EWOULDBLOCK, ENOTSUP/EOPNOTSUPP), hence a table rather than a switch.
const ErrnoCode kErrnoCodes[] = {
    {EPERM, ERROR_ACCESS_DENIED},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {EIO, ERROR_IO_DEVICE},
    {ENXIO, ERROR_NOT_READY},
    {EBADF, ERROR_INVALID_HANDLE},
    {EAGAIN, ERROR_SHARING_VIOLATION}, // a refused non-blocking lock or lease
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EACCES, ERROR_ACCESS_DENIED},
    {EFAULT, ERROR_INVALID_ADDRESS},
    {EBUSY, ERROR_BUSY},
    {EEXIST, ERROR_FILE_EXISTS},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {ENODEV, ERROR_NOT_READY},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOTTY, ERROR_INVALID_FUNCTION},
    {ETXTBSY, ERROR_BUSY},
    {EFBIG, ERROR_DISK_FULL},
    {ENOSPC, ERROR_DISK_FULL},
    {ESPIPE, ERROR_SEEK},
    {EROFS, ERROR_WRITE_PROTECT},
    {EMLINK, ERROR_TOO_MANY_LINKS},
    {EPIPE, ERROR_BROKEN_PIPE},
    {EDEADLK, ERROR_LOCK_VIOLATION},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ENOLCK, ERROR_NOT_ENOUGH_MEMORY}, // the kernel's lock table is out of room
    {ENOSYS, ERROR_CALL_NOT_IMPLEMENTED},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
    {EOVERFLOW, ERROR_INVALID_PARAMETER},
    {ENOTSUP, ERROR_NOT_SUPPORTED},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
    {EDQUOT, ERROR_NOT_ENOUGH_QUOTA},
    {ECANCELED, ERROR_CANCELLED},
    {ENOMEDIUM, ERROR_NOT_READY},
    {EMEDIUMTYPE, ERROR_NOT_READY},
    {EBADMSG, ERROR_CRC},          // a file system's checksum failure
    {EUCLEAN, ERROR_CRC},          // a file system's corruption report
    {ENOKEY, ERROR_ACCESS_DENIED}, // an encrypted folder that is locked
    // Network file systems.
    {ESTALE, ERROR_UNEXP_NET_ERR},
    {ENETDOWN, ERROR_UNEXP_NET_ERR},
    {ENETUNREACH, ERROR_UNEXP_NET_ERR},
    {ENETRESET, ERROR_UNEXP_NET_ERR},
    {ECONNABORTED, ERROR_UNEXP_NET_ERR},
    {ECONNRESET, ERROR_UNEXP_NET_ERR},
    {ETIMEDOUT, ERROR_UNEXP_NET_ERR},
    {EHOSTDOWN, ERROR_UNEXP_NET_ERR},
    {EHOSTUNREACH, ERROR_UNEXP_NET_ERR},
    {ENOLINK, ERROR_UNEXP_NET_ERR},
    {ECOMM, ERROR_UNEXP_NET_ERR},
    {EREMOTEIO, ERROR_UNEXP_NET_ERR},
};

struct Sentence {
    DWORD code;
    const char* text;
};

// One sentence per code, in our own words. %1.. are inserts.
const Sentence kSystemMessages[] = {
    {ERROR_SUCCESS, "The operation completed without error."},
    {ERROR_INVALID_FUNCTION, "This operation cannot be used on this object."},
    {ERROR_FILE_NOT_FOUND, "The file could not be found."},
    {ERROR_PATH_NOT_FOUND, "The path could not be found: one of its folders does not exist."},
    {ERROR_TOO_MANY_OPEN_FILES, "Too many files are open at the same time."},
    {ERROR_ACCESS_DENIED, "Permission to use this file or folder was refused."},
    {ERROR_INVALID_HANDLE, "The file or object handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, "There is not enough memory to complete the operation."},
    {ERROR_OUTOFMEMORY, "Memory ran out while the operation was under way."},
    {ERROR_NOT_SAME_DEVICE,
     "The file cannot be moved to another disk or file system; it can only be renamed where "
     "it is."},
    {ERROR_NO_MORE_FILES, "No more files match the search."},
    {ERROR_WRITE_PROTECT, "The disk or file system is write-protected."},
    {ERROR_NOT_READY, "The device is not ready; check that its medium is in place."},
    {ERROR_CRC, "The data on the disk could not be read back correctly; it may be damaged."},
    {ERROR_SEEK, "The requested position in the file could not be reached."},
    {ERROR_WRITE_FAULT, "The device could not be written to."},
    {ERROR_READ_FAULT, "The device could not be read from."},
    {ERROR_GEN_FAILURE, "The device reported a failure."},
    {ERROR_SHARING_VIOLATION,
     "Another program (or this one) is using the file, so it cannot be opened now."},
    {ERROR_LOCK_VIOLATION, "Another program has locked part of the file."},
    {ERROR_WRONG_DISK, "Drive %1 holds the wrong medium: put %2 (serial number %3) into drive %1."},
    {ERROR_HANDLE_EOF, "The end of the file has been reached."},
    {ERROR_HANDLE_DISK_FULL, "The disk is full."},
    {ERROR_NOT_SUPPORTED, "This operation is not supported here."},
    {ERROR_UNEXP_NET_ERR, "The network connection to the file failed unexpectedly."},
    {ERROR_FILE_EXISTS, "A file with this name already exists."},
    {ERROR_CANNOT_MAKE, "The file or folder could not be created."},
    {ERROR_INVALID_PARAMETER, "A value passed to the operation is not valid."},
    {ERROR_BROKEN_PIPE, "The other end of the pipe has been closed."},
    {ERROR_OPEN_FAILED, "The file or device could not be opened."},
    {ERROR_DISK_FULL, "There is not enough space left on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not available on this system."},
    {ERROR_INSUFFICIENT_BUFFER, "The buffer given is too small for the data."},
    {ERROR_INVALID_NAME, "The name of the file or folder is not valid."},
    {ERROR_NEGATIVE_SEEK, "A position before the start of the file was requested."},
    {ERROR_DIR_NOT_EMPTY, "The folder is not empty."},
    {ERROR_NOT_LOCKED, "The region to unlock was not locked."},
    {ERROR_BUSY, "The file or device is busy."},
    {ERROR_ALREADY_EXISTS, "Something with that name already exists, so it cannot be created "
                           "or renamed to it."},
    {ERROR_FILENAME_EXCED_RANGE, "The file name or path is too long."},
    {ERROR_BAD_FILE_TYPE, "The path is not a regular file: it is a folder, a pipe or a device."},
    {ERROR_MORE_DATA, "More data is available than fits in the buffer."},
    {ERROR_DIRECTORY, "The name is not that of a folder."},
    {ERROR_MR_MID_NOT_FOUND, "There is no text for message number 0x%1."},
    {ERROR_INVALID_ADDRESS, "A memory address passed to the operation is not valid."},
    {ERROR_TOO_MANY_LINKS, "The file already has as many links as its file system allows."},
    {ERROR_CANCELLED, "The operation was cancelled."},
    {ERROR_INVALID_WINDOW_HANDLE, "The window handle is not valid."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The program has no resources of the requested type."},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "The requested resource does not exist in the program."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "There is no text in the requested language."},
    {ERROR_NOT_ENOUGH_QUOTA, "Your disk quota is used up."},
    {ERROR_IO_DEVICE, "An input/output error on the device stopped the request."},
    {ERROR_CANT_RESOLVE_FILENAME,
     "The name could not be resolved: it leads through too many symbolic links."},
};

const Sentence kWaveMessages[] = {
    {MMSYSERR_NOERROR, "The sound command succeeded."},
    {MMSYSERR_ERROR, "The sound device reported an unspecified error."},
    {MMSYSERR_BADDEVICEID, "There is no sound device or audio server with that number to play on."},
    {MMSYSERR_NOTENABLED, "The sound driver could not be started."},
    {MMSYSERR_ALLOCATED, "The sound device is already in use by another program."},
    {MMSYSERR_INVALHANDLE, "The sound device handle is not valid."},
    {MMSYSERR_NODRIVER, "There is no sound device or audio server to play on."},
    {MMSYSERR_NOMEM, "There is not enough memory to play sound."},
    {MMSYSERR_NOTSUPPORTED, "The sound device does not support this operation."},
    {MMSYSERR_BADERRNUM, "The sound error number is not known."},
    {MMSYSERR_INVALFLAG, "A flag passed to the sound device is not valid."},
    {MMSYSERR_INVALPARAM, "A value passed to the sound device is not valid."},
    {MMSYSERR_HANDLEBUSY, "The sound device is busy with a call from another thread."},
    {MMSYSERR_INVALIDALIAS, "The named sound device does not exist."},
    {MMSYSERR_BADDB, "The sound configuration is damaged."},
    {MMSYSERR_KEYNOTFOUND, "A section of the sound configuration is missing."},
    {MMSYSERR_READERROR, "The sound configuration could not be read."},
    {MMSYSERR_WRITEERROR, "The sound configuration could not be written."},
    {MMSYSERR_DELETEERROR, "The sound configuration could not be deleted."},
    {MMSYSERR_VALNOTFOUND, "A value of the sound configuration is missing."},
    {MMSYSERR_NODRIVERCB, "The sound driver does not report when buffers finish."},
    {MMSYSERR_MOREDATA, "More sound data is waiting to be returned."},
    {WAVERR_BADFORMAT, "The sound device refused this sound format."},
    {WAVERR_STILLPLAYING, "Sound is still playing; stop it first."},
    {WAVERR_UNPREPARED, "The sound buffer was not prepared before it was used."},
    {WAVERR_SYNC, "The sound device cannot play in synchronous mode."},
};

const char* FindSentence(const Sentence* table, size_t count, DWORD code)
{
    for (size_t i = 0; i < count; ++i) {
        if (table[i].code == code) {
            return table[i].text;
        }
    }
    return nullptr;
}

// Our catalogue is written in English; neutral and English requests are served from it.
bool LanguageSupported(DWORD languageId)
{
    const DWORD primary = languageId & 0x3FF;
    return primary == LANG_NEUTRAL || primary == 0x09;
}

// Puts the inserts (%1 .. %9) into one of our sentences, or keeps them as written with
// FORMAT_MESSAGE_IGNORE_INSERTS. Our sentences use no other escapes. Returns false when an
// insert has no argument.
bool Expand(const char* sentence, DWORD flags, const char* const* arguments, std::string* out)
{
    const bool ignoreInserts = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
    const bool haveArguments = arguments != nullptr && (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0;
    for (const char* p = sentence; *p != '\0'; ++p) {
        if (p[0] != '%' || p[1] < '1' || p[1] > '9' || ignoreInserts) {
            out->push_back(*p);
            continue;
        }
        const int number = *++p - '0';
        if (!haveArguments || arguments[number - 1] == nullptr) {
            return false;
        }
        out->append(arguments[number - 1]);
    }
    return true;
}

} // namespace

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD code)
{
    t_lastError = code;
}

DWORD Win32ErrorFromErrno(int error)
{
    if (error == 0) {
        // Only asked after a failure; one that left no errno must still read as a failure.
        return ERROR_GEN_FAILURE;
    }
    for (const ErrnoCode& entry : kErrnoCodes) {
        if (entry.error == error) {
            return entry.code;
        }
    }
    return kUnmappedErrnoBase | static_cast<DWORD>(error);
}

void SetLastErrorFromErrno(int error)
{
    SetLastError(Win32ErrorFromErrno(error));
}

DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, const char* const* arguments)
{
    (void)source; // only FORMAT_MESSAGE_FROM_SYSTEM, which takes none
    const bool allocate = (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0;
    if (allocate && buffer != nullptr) {
        *reinterpret_cast<char**>(buffer) = nullptr;
    }
    DWORD code = 0;
    if (FaultShouldFail("FormatMessageA", &code)) {
        SetLastError(code);
        return 0;
    }
    if (buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    // Only the system's messages are asked for, each in one line (width 0xFF) or ending
    // with its line break (no width); modules carry no message tables here.
    const DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 ||
        (width != 0 && width != FORMAT_MESSAGE_MAX_WIDTH_MASK)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!LanguageSupported(languageId)) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    const char* sentence = FindSentence(kSystemMessages, std::size(kSystemMessages), messageId);
    if (sentence == nullptr) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    std::string text;
    if (!Expand(sentence, flags, arguments, &text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (width == 0) {
        text.push_back('\n');
    }

    if (allocate) {
        const size_t bytes = text.size() + 1 > size ? text.size() + 1 : size;
        char* block = static_cast<char*>(malloc(bytes));
        if (block == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        memcpy(block, text.c_str(), text.size() + 1);
        *reinterpret_cast<char**>(buffer) = block;
        return static_cast<DWORD>(text.size());
    }
    if (text.size() + 1 > size) {
        if (size > 0) {
            buffer[0] = '\0';
        }
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

HLOCAL LocalFree(HLOCAL block)
{
    DWORD code = 0;
    if (FaultShouldFail("LocalFree", &code)) {
        SetLastError(code);
        return block;
    }
    // Only FormatMessageA hands out local blocks, and it allocates them with malloc.
    free(block);
    return nullptr;
}

MMRESULT waveOutGetErrorTextA(MMRESULT code, LPSTR text, UINT size)
{
    DWORD injected = 0;
    if (FaultShouldFail("waveOutGetErrorTextA", &injected)) {
        if (text != nullptr && size > 0) {
            text[0] = '\0';
        }
        return static_cast<MMRESULT>(injected);
    }
    if (text == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    const char* sentence = FindSentence(kWaveMessages, std::size(kWaveMessages), code);
    if (sentence == nullptr) {
        if (size > 0) {
            text[0] = '\0';
        }
        return MMSYSERR_BADERRNUM;
    }
    if (size == 0) {
        return MMSYSERR_NOERROR;
    }
    const size_t keep = Utf8SafeCut(sentence, size - 1);
    memcpy(text, sentence, keep);
    text[keep] = '\0';
    return MMSYSERR_NOERROR;
}
