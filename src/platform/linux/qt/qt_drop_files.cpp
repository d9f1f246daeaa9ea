// Files dropped on a window, as Win32 hands them over: a window that accepts files gets a
// posted WM_DROPFILES whose HDROP lists their paths, and gives it back with DragFinish.
// Only local files are offered; a drag that carries none is refused at the window's edge.
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/common/system_messages.h"
#include "platform/linux/program_path.h"
#include "platform/linux/qt/qt_internal.h"

struct HDROP__ {
    std::vector<std::string> paths;
};

namespace {

std::mutex g_dropsMutex;
std::set<HDROP> g_drops; // guarded by g_dropsMutex: the drops not yet finished

bool IsLiveDrop(HDROP drop)
{
    std::lock_guard<std::mutex> lock(g_dropsMutex);
    return g_drops.count(drop) != 0;
}

} // namespace

namespace qtplat {

std::vector<std::string> LocalFilesOf(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(ProgramPathFromNative(url.toLocalFile().toUtf8().constData()));
        }
    }
    return paths;
}

bool PostDroppedFiles(const WindowRef& window, std::vector<std::string> paths)
{
    if (!window || paths.empty()) {
        return false;
    }
    auto* drop = new HDROP__{std::move(paths)};
    {
        std::lock_guard<std::mutex> lock(g_dropsMutex);
        g_drops.insert(drop);
    }
    if (!PostSystemMessage(window->handle, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) {
        DragFinish(drop);
        return false;
    }
    return true;
}

} // namespace qtplat

void DragAcceptFiles(HWND window, BOOL accept)
{
    qtplat::WindowRef record = qtplat::FindWindow(window);
    if (!record || !record->widget) {
        return;
    }
    if (accept) {
        record->exStyle |= WS_EX_ACCEPTFILES;
    } else {
        record->exStyle &= ~static_cast<DWORD>(WS_EX_ACCEPTFILES);
    }
    record->widget->setAcceptDrops(accept != FALSE);
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size)
{
    if (!IsLiveDrop(drop)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (index == 0xFFFFFFFFu) {
        return static_cast<UINT>(drop->paths.size());
    }
    if (index >= drop->paths.size()) {
        return 0;
    }
    const std::string& path = drop->paths[index];
    if (buffer == nullptr) {
        return static_cast<UINT>(path.size());
    }
    if (size == 0) {
        return 0;
    }
    const size_t copied = path.size() < size ? path.size() : size - 1;
    memcpy(buffer, path.data(), copied);
    buffer[copied] = '\0';
    return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop)
{
    {
        std::lock_guard<std::mutex> lock(g_dropsMutex);
        if (g_drops.erase(drop) == 0) {
            return;
        }
    }
    delete drop;
}
