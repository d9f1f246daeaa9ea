// WaitForSingleObject on a thread's handle, which only tests call.
#include <chrono>

#include "platform/linux/posix/thread_object.h"
#include "platform/testing/seams.h"

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    DWORD code = 0;
    if (FaultShouldFail("WaitForSingleObject", &code)) {
        SetLastError(code);
        return WAIT_FAILED;
    }
    std::shared_ptr<ThreadState> state;
    {
        KernelRef<ThreadObject> thread(object, KernelKind::Thread);
        if (!thread) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        state = thread->state;
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    if (milliseconds == INFINITE) {
        state->finishedChanged.wait(lock, [&state] { return state->finished; });
        return WAIT_OBJECT_0;
    }
    const bool finished = state->finishedChanged.wait_for(
        lock, std::chrono::milliseconds(milliseconds), [&state] { return state->finished; });
    return finished ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
