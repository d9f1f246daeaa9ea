// CreateThread and CloseHandle on threads.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>

#include "platform/testing/seams.h"
#include "platform/win32.h"

namespace {

// A gate the test opens when it wants the thread to go on.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;

    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
    void Pass()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return open; });
    }
};

struct Outcome {
    DWORD inheritedLastError;
    bool closedOwnHandle;
};

// Handed to the thread, which owns it from then on: the test keeps only the future, so
// nothing is left to outlive when the thread's handle has been let go.
struct Job {
    Gate gate;
    std::promise<Outcome> outcome;
    std::atomic<HANDLE> ownHandle{nullptr};
    std::atomic<bool> errorSet{false};
};

DWORD WaitAtGate(LPVOID parameter)
{
    std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    const DWORD inherited = GetLastError();
    SetLastError(ERROR_DISK_FULL);
    job->errorSet = true;
    job->gate.Pass();
    bool closed = false;
    if (HANDLE own = job->ownHandle.load()) {
        closed = CloseHandle(own) != FALSE;
    }
    job->outcome.set_value(Outcome{inherited, closed});
    return 0;
}

} // namespace

TEST(Threads, EachThreadHasItsOwnLastError)
{
    auto* job = new Job;
    auto outcome = job->outcome.get_future();
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, job, 0, &id);
    ASSERT_NE(thread, nullptr);
    // Waited for without a call that could set this thread's last error itself (the C++
    // library's waits do, on Windows).
    SetLastError(ERROR_ACCESS_DENIED);
    while (!job->errorSet) {
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_NE(id, 0u);
    job->gate.Open();
    EXPECT_EQ(outcome.get().inheritedLastError, 0u);
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(Threads, ClosingARunningThreadLetsItFinish)
{
    auto* job = new Job;
    auto outcome = job->outcome.get_future();
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, job, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    job->gate.Open();
    EXPECT_FALSE(outcome.get().closedOwnHandle);
}

TEST(Threads, AThreadMayCloseItsOwnHandle)
{
    auto* job = new Job;
    auto outcome = job->outcome.get_future();
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, job, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    job->ownHandle = thread;
    job->gate.Open();
    EXPECT_TRUE(outcome.get().closedOwnHandle);
}

TEST(Threads, FailuresAreReported)
{
    FaultInject("CreateThread", 1, ERROR_NOT_ENOUGH_MEMORY);
    DWORD id = 0;
    EXPECT_EQ(CreateThread(nullptr, 0, WaitAtGate, nullptr, 0, &id), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(id, 0u);
    FaultClearAll();

    int notAHandle = 0;
    EXPECT_FALSE(CloseHandle(&notAHandle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
