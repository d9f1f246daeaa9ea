// Threads: CreateThread on std::thread. The thread's state is shared between the running
// thread and its handle, so closing the handle of a running thread only lets it go.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "platform/linux/posix/thread_object.h"
#include "platform/linux/seam_points.h"
#include "platform/win32.h"

namespace {

constexpr DWORD kCreateSuspended = 0x00000004;

std::atomic<DWORD> g_nextThreadId{1};

} // namespace

DWORD DestroyThreadObject(KernelObject* object)
{
    auto* thread = static_cast<ThreadObject*>(object);
    if (thread->thread.joinable()) {
        bool finished = false;
        {
            std::lock_guard<std::mutex> lock(thread->state->mutex);
            finished = thread->state->finished;
        }
        // A finished thread is only returning: join it. A running one (or the thread
        // closing its own handle) is let go; it keeps its state alive itself.
        if (finished && thread->thread.get_id() != std::this_thread::get_id()) {
            thread->thread.join();
        } else {
            thread->thread.detach();
        }
    }
    delete thread;
    return ERROR_SUCCESS;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId)
{
    (void)security;
    (void)stackSize; // std::thread takes the system's default stack
    DWORD code = 0;
    if (FaultShouldFail("CreateThread", &code)) {
        SetLastError(code);
        return nullptr;
    }
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if ((flags & kCreateSuspended) != 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto* object = new (std::nothrow) ThreadObject;
    if (object == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    object->state = std::make_shared<ThreadState>();
    // Registering is what can fail; doing it first leaves no running thread to undo.
    if (!KernelRegister(object)) {
        delete object;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::shared_ptr<ThreadState> state = object->state;
    // std::thread reports a failed start by throwing; here it becomes the last error.
    try {
        object->thread = std::thread([state, start, parameter]() {
            const DWORD exitCode = start(parameter);
            std::lock_guard<std::mutex> lock(state->mutex);
            state->exitCode = exitCode;
            state->finished = true;
            state->finishedChanged.notify_all();
        });
    } catch (const std::system_error& error) {
        KernelRelease(KernelUnregister(object, KernelKind::Thread));
        SetLastError(error.code().value() == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ERROR_GEN_FAILURE);
        return nullptr;
    }
    if (threadId != nullptr) {
        *threadId = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    }
    return static_cast<HANDLE>(static_cast<KernelObject*>(object));
}
