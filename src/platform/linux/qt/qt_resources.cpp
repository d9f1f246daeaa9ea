// Resources of a module instance: strings, icons, dialog templates and menus.
#include <QAction>
#include <QIconEngine>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

// An icon is shared by every LoadIconA of the same resource, as Win32's shared icons are.
struct HICON__ {
    HINSTANCE module;
    int id;
    QSize size;
    QIcon image;
};

namespace {
constexpr UINT kByPosition = 0x00000400;

std::mutex g_iconsMutex;
std::vector<std::unique_ptr<HICON__>>* g_icons = nullptr; // guarded by g_iconsMutex

// Draws the 16-colour image at any size with hard pixel edges.
class PaletteIconEngine : public QIconEngine {
  public:
    explicit PaletteIconEngine(QImage image) : image_(std::move(image)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter->drawImage(rect, image_);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return QPixmap::fromImage(image_.scaled(size, Qt::KeepAspectRatio, Qt::FastTransformation));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return image_.size().scaled(size, Qt::KeepAspectRatio);
    }

    QIconEngine* clone() const override { return new PaletteIconEngine(image_); }

  private:
    QImage image_;
};

bool PaletteColor(char digit, QRgb* color)
{
    static const QRgb kPalette[16] = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    int index = -1;
    if (digit >= '0' && digit <= '9') {
        index = digit - '0';
    } else if (digit >= 'a' && digit <= 'f') {
        index = digit - 'a' + 10;
    } else if (digit >= 'A' && digit <= 'F') {
        index = digit - 'A' + 10;
    } else if (digit == '.') {
        *color = qRgba(0, 0, 0, 0);
        return true;
    }
    if (index < 0) {
        return false;
    }
    *color = kPalette[index];
    return true;
}

bool ResourceId(LPCSTR name, int* id)
{
    if (name == nullptr) {
        return false;
    }
    if (IS_INTRESOURCE(name)) {
        *id = LOWORD(reinterpret_cast<UINT_PTR>(name));
        return true;
    }
    if (name[0] == '#') {
        *id = std::atoi(name + 1);
        return true;
    }
    return false;
}

// Adds the entries from `index` on to `container` (the bar or a pop-up) up to the one
// flagged MF_END; returns the index after it.
int AddEntries(const MENU_DATA& data, int index, QWidget* container, qtplat::Menu& menu,
               int popupIndex)
{
    auto* bar = qobject_cast<QMenuBar*>(container);
    auto* popup = qobject_cast<QMenu*>(container);
    while (index < data.itemCount) {
        const MENUITEM_DATA& entry = data.items[index++];
        qtplat::MenuItem item;
        item.id = entry.id;
        item.flags = entry.flags;
        item.text = entry.text != nullptr ? entry.text : "";
        const QString text = QString::fromUtf8(item.text.c_str());
        if ((entry.flags & MF_POPUP) != 0) {
            QMenu* sub = bar != nullptr ? bar->addMenu(text) : popup->addMenu(text);
            int subIndex = popupIndex;
            if (bar != nullptr) {
                subIndex = static_cast<int>(menu.popups.size());
                menu.popups.push_back(sub);
            }
            item.action = sub->menuAction();
            item.popupIndex = bar != nullptr ? subIndex : -1;
            menu.items.push_back(item);
            index = AddEntries(data, index, sub, menu, subIndex);
        } else if ((entry.flags & MF_SEPARATOR) != 0 && popup != nullptr) {
            item.action = popup->addSeparator();
            item.popupIndex = popupIndex;
            menu.items.push_back(item);
        } else if (popup != nullptr) {
            item.action = popup->addAction(text);
            item.popupIndex = popupIndex;
            const HWND window = menu.window;
            const UINT id = entry.id;
            QObject::connect(item.action, &QAction::triggered, item.action, [window, id] {
                qtplat::WindowRef target = qtplat::LookupWindow(window);
                if (target) {
                    qtplat::DispatchMessage(target, WM_COMMAND, MAKEWPARAM(id, 0), 0);
                }
            });
            menu.items.push_back(item);
        }
        if ((entry.flags & (MF_GRAYED | MF_DISABLED)) != 0 && item.action != nullptr) {
            item.action->setEnabled(false);
        }
        if ((entry.flags & MF_END) != 0) {
            break;
        }
    }
    return index;
}
} // namespace

namespace qtplat {

MenuItem* FindMenuItem(Menu& menu, UINT id, UINT flags)
{
    if ((flags & kByPosition) != 0) {
        int position = 0;
        for (MenuItem& item : menu.items) {
            if ((item.flags & MF_POPUP) != 0 && item.popupIndex >= 0 &&
                position++ == static_cast<int>(id)) {
                return &item;
            }
        }
        return nullptr;
    }
    for (MenuItem& item : menu.items) {
        if ((item.flags & (MF_POPUP | MF_SEPARATOR)) == 0 && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

const DLGTEMPLATE_DATA* FindDialogTemplate(HINSTANCE instance, LPCSTR name)
{
    int id = 0;
    if (instance == nullptr || !ResourceId(name, &id)) {
        return nullptr;
    }
    for (int i = 0; i < instance->dialogCount; ++i) {
        if (instance->dialogs[i].resourceId == id) {
            return &instance->dialogs[i];
        }
    }
    return nullptr;
}

std::shared_ptr<Menu> BuildMenuBar(HINSTANCE instance, WORD menuId, QWidget* window, HWND owner)
{
    const MENU_DATA* data = nullptr;
    for (int i = 0; instance != nullptr && i < instance->menuCount; ++i) {
        if (instance->menus[i].resourceId == menuId) {
            data = &instance->menus[i];
        }
    }
    if (data == nullptr) {
        return nullptr;
    }
    auto menu = std::make_shared<Menu>();
    menu->window = owner;
    auto* bar = new QMenuBar(window);
    bar->setNativeMenuBar(false);
    menu->bar = bar;
    RegisterMenu(menu);
    int index = 0;
    while (index < data->itemCount) {
        const bool last = (data->items[index].flags & MF_END) != 0;
        index = AddEntries(*data, index, bar, *menu, -1);
        if (last) {
            break;
        }
    }
    const HMENU handle = menu->handle;
    for (const QPointer<QMenu>& popup : menu->popups) {
        // Win32 lets the program fix up its menu before it shows: WM_INITMENU.
        QObject::connect(popup, &QMenu::aboutToShow, popup, [owner, handle] {
            WindowRef target = LookupWindow(owner);
            if (target) {
                DispatchMessage(target, WM_INITMENU, reinterpret_cast<WPARAM>(handle), 0);
            }
        });
    }
    return menu;
}

bool IsIcon(HICON icon)
{
    std::lock_guard<std::mutex> lock(g_iconsMutex);
    if (g_icons != nullptr) {
        for (const auto& known : *g_icons) {
            if (known.get() == icon) {
                return true;
            }
        }
    }
    return false;
}

const QIcon* IconImage(HICON icon)
{
    return &icon->image;
}

QSize IconSize(HICON icon)
{
    return icon->size;
}

HICON LoadIconFromModule(HINSTANCE instance, int id)
{
    std::lock_guard<std::mutex> lock(g_iconsMutex);
    if (g_icons == nullptr) {
        g_icons = new std::vector<std::unique_ptr<HICON__>>;
    }
    for (const auto& known : *g_icons) {
        if (known->module == instance && known->id == id) {
            return known.get();
        }
    }
    const ICON_DATA* data = nullptr;
    for (int i = 0; instance != nullptr && i < instance->iconCount; ++i) {
        if (instance->icons[i].resourceId == id) {
            data = &instance->icons[i];
        }
    }
    if (data == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (data->width <= 0 || data->height <= 0 || data->pixels == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    QImage image(data->width, data->height, QImage::Format_ARGB32);
    if (image.isNull()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const char* pixel = data->pixels;
    for (int y = 0; y < data->height; ++y) {
        for (int x = 0; x < data->width; ++x, ++pixel) {
            QRgb color = 0;
            if (*pixel == '\0' || !PaletteColor(*pixel, &color)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            image.setPixel(x, y, color);
        }
    }
    auto icon = std::make_unique<HICON__>();
    icon->module = instance;
    icon->id = id;
    icon->size = image.size();
    icon->image = QIcon(new PaletteIconEngine(image));
    g_icons->push_back(std::move(icon));
    return g_icons->back().get();
}

} // namespace qtplat

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    DWORD code = 0;
    if (FaultShouldFail("LoadStringA", &code)) {
        SetLastError(code);
        return 0;
    }
    if (buffer == nullptr || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = '\0';
    for (int i = 0; instance != nullptr && i < instance->stringCount; ++i) {
        if (instance->strings[i].id == id && instance->strings[i].text != nullptr) {
            lstrcpynA(buffer, instance->strings[i].text, size);
            return static_cast<int>(strlen(buffer));
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name)
{
    DWORD code = 0;
    if (FaultShouldFail("LoadIconA", &code)) {
        SetLastError(code);
        return nullptr;
    }
    int id = 0;
    if (!ResourceId(name, &id)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    HICON icon = nullptr;
    qtplat::RunOnGui([&] { icon = qtplat::LoadIconFromModule(instance, id); });
    return icon;
}

BOOL EnableMenuItem(HMENU menu, UINT id, UINT enable)
{
    DWORD code = 0;
    if (FaultShouldFail("EnableMenuItem", &code)) {
        SetLastError(code);
        return -1;
    }
    BOOL previous = -1;
    qtplat::RunOnGui([&] {
        std::shared_ptr<qtplat::Menu> record = qtplat::FindMenu(menu);
        qtplat::MenuItem* item = record ? qtplat::FindMenuItem(*record, id, enable) : nullptr;
        if (item == nullptr) {
            return;
        }
        previous = static_cast<BOOL>(item->flags & (MF_GRAYED | MF_DISABLED));
        item->flags = (item->flags & ~static_cast<UINT>(MF_GRAYED | MF_DISABLED)) |
                      (enable & (MF_GRAYED | MF_DISABLED));
        if (item->action != nullptr) {
            item->action->setEnabled((enable & (MF_GRAYED | MF_DISABLED)) == 0);
        }
    });
    return previous;
}
