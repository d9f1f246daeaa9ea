// Internal: the common header of every HANDLE the platform layer hands out (files, find
// searches, threads). Each kind brings its own destroy function, so files and threads
// link without each other. Handles are pointers to these objects, but a handle is only ever
// dereferenced after it has been found in the registry of live objects, so a stale or
// made-up handle fails with ERROR_INVALID_HANDLE instead of touching freed memory.
// Each use holds a reference, so a CloseHandle racing another call on the same handle
// cannot free the object under it (the last reference destroys it).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_set>

#include "platform/win32.h"

enum class KernelKind : uint32_t { Any = 0, File = 1, Find = 2, Thread = 3 };

constexpr uint32_t kKernelObjectLive = 0x4B4F424Au; // "KOBJ"
constexpr uint32_t kKernelObjectDead = 0xDEADB0B0u;

struct KernelObject;
// Frees the object; returns the Win32 error of the final release (0 when it went well).
using KernelDestroyFunction = DWORD (*)(KernelObject* object);

struct KernelObject {
    KernelObject(KernelKind k, KernelDestroyFunction d) : kind(k), destroy(d) {}
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    uint32_t magic = kKernelObjectLive;
    KernelKind kind;
    KernelDestroyFunction destroy;
    std::atomic<int> references{1}; // the handle's own reference
};

namespace kernel_detail {
struct Registry {
    std::mutex mutex;
    std::unordered_set<const KernelObject*> live;
};
inline Registry& TheRegistry()
{
    // Never destroyed: handles may still be closed from detached threads during exit.
    static Registry* registry = new Registry;
    return *registry;
}
} // namespace kernel_detail

inline DWORD KernelDestroy(KernelObject* object)
{
    object->magic = kKernelObjectDead;
    return object->destroy(object);
}

// Drops one reference; the last one destroys the object. Returns the destroy's error.
inline DWORD KernelRelease(KernelObject* object)
{
    if (object->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        return KernelDestroy(object);
    }
    return ERROR_SUCCESS;
}

// Makes a freshly built object (holding the handle's reference) a live handle.
// Returns false only when memory runs out.
inline bool KernelRegister(KernelObject* object)
{
    auto& registry = kernel_detail::TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    // Guard the insert; the set allocates and the platform layer reports, not throws.
    try {
        registry.live.insert(object);
    } catch (...) {
        return false;
    }
    return true;
}

// Finds a live object of the wanted kind and takes a reference to it, or returns null.
inline KernelObject* KernelAcquire(HANDLE handle, KernelKind wanted)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    auto* object = static_cast<KernelObject*>(handle);
    auto& registry = kernel_detail::TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (registry.live.count(object) == 0 || object->magic != kKernelObjectLive) {
        return nullptr;
    }
    if (wanted != KernelKind::Any && object->kind != wanted) {
        return nullptr;
    }
    object->references.fetch_add(1, std::memory_order_relaxed);
    return object;
}

// Removes the handle from the live set (later uses fail); the caller then owns the
// handle's reference and releases it. Null when the handle is not live or of another kind.
inline KernelObject* KernelUnregister(HANDLE handle, KernelKind wanted)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    auto* object = static_cast<KernelObject*>(handle);
    auto& registry = kernel_detail::TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.live.find(object);
    if (found == registry.live.end() || object->magic != kKernelObjectLive) {
        return nullptr;
    }
    if (wanted != KernelKind::Any && object->kind != wanted) {
        return nullptr;
    }
    registry.live.erase(found);
    return object;
}

// A reference held for the length of one call.
template <class T> class KernelRef {
  public:
    KernelRef(HANDLE handle, KernelKind kind)
        : object_(static_cast<T*>(KernelAcquire(handle, kind)))
    {
    }
    ~KernelRef()
    {
        if (object_ != nullptr) {
            KernelRelease(object_);
        }
    }
    KernelRef(const KernelRef&) = delete;
    KernelRef& operator=(const KernelRef&) = delete;

    explicit operator bool() const { return object_ != nullptr; }
    T* operator->() const { return object_; }
    T* get() const { return object_; }

  private:
    T* object_;
};
