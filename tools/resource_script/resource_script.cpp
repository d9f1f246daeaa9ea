// Writes the Windows resource script of the program's resources: the dialog and menu
// templates, the string table and the icons of ui/resources, which stay their only source.
// Built for the build machine and run by the Windows build:
//   salvorin-resource-script <output folder>
// writes resources.rc and one icon file per icon resource (icon-<id>.ico) there.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/resource_ids.h"
#include "ui/resources/resources.h"

namespace {

// A text as a resource-script string: quotes doubled, backslashes and line breaks escaped
// (a string may hold more than one line); UTF-8 bytes pass as they are (the script
// declares code page 65001).
std::string Quoted(const char* text)
{
    std::string quoted = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"') {
            quoted += "\"\"";
        } else if (*c == '\\') {
            quoted += "\\\\";
        } else if (*c == '\n') {
            quoted += "\\n";
        } else {
            quoted += *c;
        }
    }
    return quoted + "\"";
}

// Styles are written as numbers, with NOT for the default bits a template leaves out, so
// the compiler adds nothing of its own (it gives every control WS_CHILD | WS_VISIBLE).
std::string ControlStyle(DWORD style)
{
    char text[64];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(style));
    std::string written = text;
    if ((style & WS_VISIBLE) == 0) {
        written += " | NOT 0x10000000";
    }
    if ((style & WS_CHILD) == 0) {
        written += " | NOT 0x40000000";
    }
    return written;
}

void WriteDialog(FILE* out, const DLGTEMPLATE_DATA& dialog)
{
    fprintf(out, "%u DIALOGEX %d, %d, %d, %d\n", dialog.resourceId, dialog.x, dialog.y, dialog.cx,
            dialog.cy);
    fprintf(out, "STYLE 0x%08X\n", static_cast<unsigned>(dialog.style));
    fprintf(out, "EXSTYLE 0x%08X\n", static_cast<unsigned>(dialog.exStyle));
    fprintf(out, "CAPTION %s\n", Quoted(dialog.title).c_str());
    if (dialog.menuId != 0) {
        fprintf(out, "MENU %u\n", dialog.menuId);
    }
    if ((dialog.style & DS_SETFONT) != 0) {
        fprintf(out, "FONT %u, %s\n", dialog.pointSize, Quoted(dialog.fontName).c_str());
    }
    fprintf(out, "BEGIN\n");
    for (int i = 0; i < dialog.itemCount; ++i) {
        const DLGITEM_DATA& item = dialog.items[i];
        fprintf(out, "  CONTROL %s, %d, %s, %s, %d, %d, %d, %d, 0x%08X\n",
                Quoted(item.text).c_str(), item.id, Quoted(item.className).c_str(),
                ControlStyle(item.style).c_str(), item.x, item.y, item.cx, item.cy,
                static_cast<unsigned>(item.exStyle));
    }
    fprintf(out, "END\n\n");
}

void WriteMenu(FILE* out, const MENU_DATA& menu)
{
    fprintf(out, "%u MENU\nBEGIN\n", menu.resourceId);
    bool inPopup = false;
    for (int i = 0; i < menu.itemCount; ++i) {
        const MENUITEM_DATA& item = menu.items[i];
        const char* indent = inPopup ? "    " : "  ";
        if ((item.flags & MF_POPUP) != 0) {
            fprintf(out, "  POPUP %s\n  BEGIN\n", Quoted(item.text).c_str());
            inPopup = true;
            continue;
        }
        if ((item.flags & MF_SEPARATOR) != 0) {
            fprintf(out, "%sMENUITEM SEPARATOR\n", indent);
        } else {
            fprintf(out, "%sMENUITEM %s, %u%s\n", indent, Quoted(item.text).c_str(), item.id,
                    (item.flags & MF_GRAYED) != 0 ? ", GRAYED" : "");
        }
        if ((item.flags & MF_END) != 0 && inPopup) {
            fprintf(out, "  END\n");
            inPopup = false;
        }
    }
    fprintf(out, "END\n\n");
}

void PutWord(std::vector<uint8_t>* bytes, uint32_t value)
{
    bytes->push_back(static_cast<uint8_t>(value));
    bytes->push_back(static_cast<uint8_t>(value >> 8));
}

void PutDword(std::vector<uint8_t>* bytes, uint32_t value)
{
    PutWord(bytes, value & 0xFFFF);
    PutWord(bytes, value >> 16);
}

// The standard 16-colour palette the pixel digits index, as the icon file's BGR0 quads.
const uint8_t Palette[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

int PixelIndex(char digit)
{
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1; // '.': clear
}

// One image of an icon file: a 4-bit bitmap (rows from the bottom) and its 1-bit mask.
std::vector<uint8_t> IconImage(const ICON_DATA& icon)
{
    const int colourStride = ((icon.width * 4 + 31) / 32) * 4;
    const int maskStride = ((icon.width + 31) / 32) * 4;
    std::vector<uint8_t> image;
    PutDword(&image, 40);
    PutDword(&image, static_cast<uint32_t>(icon.width));
    PutDword(&image, static_cast<uint32_t>(icon.height * 2));
    PutWord(&image, 1);
    PutWord(&image, 4);
    PutDword(&image, 0);
    PutDword(&image, static_cast<uint32_t>((colourStride + maskStride) * icon.height));
    PutDword(&image, 0);
    PutDword(&image, 0);
    PutDword(&image, 16);
    PutDword(&image, 0);
    for (const auto& colour : Palette) {
        image.push_back(colour[2]);
        image.push_back(colour[1]);
        image.push_back(colour[0]);
        image.push_back(0);
    }
    std::vector<uint8_t> colours(static_cast<size_t>(colourStride * icon.height), 0);
    std::vector<uint8_t> mask(static_cast<size_t>(maskStride * icon.height), 0);
    for (int y = 0; y < icon.height; ++y) {
        const int row = icon.height - 1 - y;
        for (int x = 0; x < icon.width; ++x) {
            const int index = PixelIndex(icon.pixels[y * icon.width + x]);
            if (index < 0) {
                mask[static_cast<size_t>(row * maskStride + x / 8)] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
                continue;
            }
            const int shift = (x % 2 == 0) ? 4 : 0;
            colours[static_cast<size_t>(row * colourStride + x / 2)] |=
                static_cast<uint8_t>(index << shift);
        }
    }
    image.insert(image.end(), colours.begin(), colours.end());
    image.insert(image.end(), mask.begin(), mask.end());
    return image;
}

bool WriteIconFile(const std::string& path, WORD resourceId)
{
    std::vector<const ICON_DATA*> images;
    for (int i = 0; i < IconResourceCount; ++i) {
        if (IconResources[i].resourceId == resourceId) {
            images.push_back(&IconResources[i]);
        }
    }
    std::vector<std::vector<uint8_t>> bitmaps;
    for (const ICON_DATA* icon : images) {
        bitmaps.push_back(IconImage(*icon));
    }
    std::vector<uint8_t> file;
    PutWord(&file, 0);
    PutWord(&file, 1);
    PutWord(&file, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<uint8_t>(images[i]->width));
        file.push_back(static_cast<uint8_t>(images[i]->height));
        file.push_back(16);
        file.push_back(0);
        PutWord(&file, 1);
        PutWord(&file, 4);
        PutDword(&file, static_cast<uint32_t>(bitmaps[i].size()));
        PutDword(&file, offset);
        offset += static_cast<uint32_t>(bitmaps[i].size());
    }
    for (const auto& bitmap : bitmaps) {
        file.insert(file.end(), bitmap.begin(), bitmap.end());
    }
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    FILE* out = fopen((folder + "/resources.rc").c_str(), "w");
    if (out == nullptr) {
        perror("resources.rc");
        return 1;
    }
    fprintf(out, "// Made from ui/resources by salvorin-resource-script; do not edit.\n");
    fprintf(out, "#pragma code_page(65001)\n\n");
    // The main icon comes first: Explorer shows a program's first icon group. (The resources
    // of the platform's tests, written by the same tool, have no main icon.)
    std::vector<WORD> iconIds;
    for (int i = 0; i < IconResourceCount && iconIds.empty(); ++i) {
        if (IconResources[i].resourceId == IDI_MAIN_BIG) {
            iconIds.push_back(static_cast<WORD>(IDI_MAIN_BIG));
        }
    }
    for (int i = 0; i < IconResourceCount; ++i) {
        bool seen = false;
        for (WORD id : iconIds) {
            seen = seen || id == IconResources[i].resourceId;
        }
        if (!seen) {
            iconIds.push_back(IconResources[i].resourceId);
        }
    }
    for (WORD id : iconIds) {
        const std::string name = "icon-" + std::to_string(id) + ".ico";
        if (!WriteIconFile(folder + "/" + name, id)) {
            perror(name.c_str());
            fclose(out);
            return 1;
        }
        fprintf(out, "%u ICON \"%s\"\n", id, name.c_str());
    }
    fprintf(out, "\n");
    for (int i = 0; i < MenuResourceCount; ++i) {
        WriteMenu(out, MenuResources[i]);
    }
    for (int i = 0; i < DialogResourceCount; ++i) {
        WriteDialog(out, DialogResources[i]);
    }
    fprintf(out, "STRINGTABLE\nBEGIN\n");
    for (int i = 0; i < StringResourceCount; ++i) {
        fprintf(out, "  %u, %s\n", StringResources[i].id, Quoted(StringResources[i].text).c_str());
    }
    fprintf(out, "END\n");
    if (fclose(out) != 0) {
        perror("resources.rc");
        return 1;
    }
    return 0;
}
