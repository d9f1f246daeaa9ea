#include "save/save_support.h"

bool PathLeadsToFile(const char* path, HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION open;
    BY_HANDLE_FILE_INFORMATION named;
    // Either lookup failing means there is nothing to compare: no file at the path, or no
    // open file. Deleting an open file is refused by the platform all the same.
    if (!GetFileInformationByHandle(file, &open) || !FileInformationOfPath(path, &named)) {
        return false;
    }
    return open.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
           open.nFileIndexHigh == named.nFileIndexHigh && open.nFileIndexLow == named.nFileIndexLow;
}
