// The waveform strip's picture as its control holds it, read back through the bitmap the
// control was given (STM_GETIMAGE, GetObjectA), rows top first.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/testing/test_only_calls.h"
#include "ui/waveform_strip.h"

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool operator==(const Picture&) const = default;
};

// Empty when the control holds no 32-bit device-independent bitmap.
inline Picture StripPicture(HWND strip)
{
    Picture picture;
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(strip, STM_GETIMAGE, IMAGE_BITMAP, 0));
    DIBSECTION section = {};
    if (bitmap == nullptr ||
        GetObjectA(bitmap, sizeof section, &section) != static_cast<int>(sizeof section) ||
        section.dsBm.bmBitsPixel != 32 || section.dsBm.bmBits == nullptr) {
        return picture;
    }
    picture.width = section.dsBm.bmWidth;
    picture.height = section.dsBm.bmHeight;
    const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    // The strip asks for a top-down bitmap, so rows are taken in memory order: Wine's
    // GetObjectA reports the height of such a bitmap as positive, so its sign cannot tell.
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels.push_back(bits[y * picture.width + x] & 0xFFFFFF);
        }
    }
    return picture;
}

// The single column painted all in the marker's colour inside the frame, or -1.
inline int MarkerColumnOf(const Picture& picture)
{
    int found = -1;
    for (int x = 1; x < picture.width - 1; ++x) {
        bool marker = true;
        for (int y = 1; y < picture.height - 1; ++y) {
            marker = marker && picture.at(x, y) == StripMarkerColour;
        }
        if (marker) {
            EXPECT_EQ(found, -1) << "a second marker at " << x;
            found = x;
        }
    }
    return found;
}
