// Internal: what a thread's HANDLE is (threads.cpp), shared with the tests' wait for one.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/linux/posix/kernel_object.h"

// Shared by the running thread and its handle: closing the handle of a running thread only
// lets it go.
struct ThreadState {
    std::mutex mutex;
    std::condition_variable finishedChanged;
    bool finished = false;
    DWORD exitCode = 0;
};

DWORD DestroyThreadObject(KernelObject* object);

struct ThreadObject : KernelObject {
    ThreadObject() : KernelObject(KernelKind::Thread, DestroyThreadObject) {}
    std::thread thread;
    std::shared_ptr<ThreadState> state;
};
