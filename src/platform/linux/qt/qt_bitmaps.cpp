// Device-independent bitmaps: a block of 32-bit pixels the program writes and a bitmap
// static paints (qt_static.cpp). A handle points to its record; a deleted or made-up
// handle is not found among the live ones.
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

namespace {

// Larger than any strip a screen holds; a bigger request is refused as Win32 refuses
// one it cannot allocate.
constexpr LONG MaximumSide = 16384;

std::mutex g_bitmapsMutex;
std::vector<std::unique_ptr<qtplat::Bitmap>>* g_bitmaps =
    new std::vector<std::unique_ptr<qtplat::Bitmap>>;

qtplat::Bitmap* LiveBitmap(const void* handle)
{
    for (const auto& bitmap : *g_bitmaps) {
        if (bitmap.get() == handle) {
            return bitmap.get();
        }
    }
    return nullptr;
}

} // namespace

namespace qtplat {

bool BitmapPixels(HBITMAP handle, Bitmap* view)
{
    std::lock_guard<std::mutex> lock(g_bitmapsMutex);
    const Bitmap* bitmap = LiveBitmap(handle);
    if (bitmap == nullptr) {
        return false;
    }
    *view = *bitmap;
    return true;
}

bool DrawBitmap(HBITMAP handle, QPainter* painter, const QRect& target)
{
    std::lock_guard<std::mutex> lock(g_bitmapsMutex);
    const Bitmap* bitmap = LiveBitmap(handle);
    if (bitmap == nullptr) {
        return false;
    }
    // A view of the pixels, not a copy: 0x00RRGGBB words are Qt's RGB32.
    const QImage image(reinterpret_cast<const uchar*>(bitmap->pixels), bitmap->width,
                       bitmap->height, bitmap->width * 4, QImage::Format_RGB32);
    painter->save();
    if (!bitmap->topDown) {
        // The first row in memory is the bottom one.
        painter->translate(0, target.top() * 2 + target.height());
        painter->scale(1, -1);
    }
    painter->drawImage(target, image);
    painter->restore();
    return true;
}

} // namespace qtplat

HBITMAP CreateDIBSection(HDC /*dc*/, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset)
{
    if (bits != nullptr) {
        *bits = nullptr;
    }
    DWORD code = 0;
    if (FaultShouldFail("CreateDIBSection", &code)) {
        SetLastError(code);
        return nullptr;
    }
    if (info == nullptr || bits == nullptr || usage != DIB_RGB_COLORS || section != nullptr ||
        offset != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
        header.biBitCount != 32 || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        height <= 0 || header.biWidth > MaximumSide || height > MaximumSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = std::make_unique<qtplat::Bitmap>();
    bitmap->width = header.biWidth;
    bitmap->height = height;
    bitmap->topDown = header.biHeight < 0;
    // Zeroed, as the system's are; 4-byte pixels keep every row DWORD-aligned.
    bitmap->pixels = static_cast<uint32_t*>(
        calloc(static_cast<size_t>(bitmap->width) * static_cast<size_t>(height), sizeof(uint32_t)));
    if (bitmap->pixels == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    *bits = bitmap->pixels;
    std::lock_guard<std::mutex> lock(g_bitmapsMutex);
    g_bitmaps->push_back(std::move(bitmap));
    return reinterpret_cast<HBITMAP>(g_bitmaps->back().get());
}

BOOL DeleteObject(HGDIOBJ object)
{
    std::lock_guard<std::mutex> lock(g_bitmapsMutex);
    auto found = std::find_if(g_bitmaps->begin(), g_bitmaps->end(),
                              [object](const auto& bitmap) { return bitmap.get() == object; });
    if (found == g_bitmaps->end()) {
        // Win32 sets no error here either: the call only says FALSE.
        return FALSE;
    }
    free((*found)->pixels);
    g_bitmaps->erase(found);
    return TRUE;
}

BOOL GdiFlush()
{
    // Painting reads the pixels on the GUI thread, in the same thread's calls as the
    // program's writes: nothing is ever queued.
    return TRUE;
}
