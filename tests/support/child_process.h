// This test program run again as a child process, with one test chosen and one variable set:
// for a test whose process must end abruptly while the test that started it reads the disk.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

// How a child ended.
enum class ChildEnd { Exited, Killed, Failed };

// The status a process that kills itself ends with on Windows (SIGKILL's number on Linux).
constexpr int KilledStatus = 9;

// Ends this process at once: no handler, no destructor, no flush runs.
[[noreturn]] inline void KillThisProcess()
{
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), KilledStatus);
#else
    kill(getpid(), SIGKILL);
#endif
    std::abort();
}

// Runs this program with --gtest_filter=`filter` and `name`=`value` in its environment, and
// waits for it; `*status` receives its exit status when it exited.
inline ChildEnd RunThisProgram(const std::string& filter, const char* name,
                               const std::string& value, int* status)
{
    const std::string filterArgument = "--gtest_filter=" + filter;
#ifdef _WIN32
    char self[MAX_PATH];
    if (GetModuleFileNameA(nullptr, self, MAX_PATH) == 0 ||
        !SetEnvironmentVariableA(name, value.c_str())) {
        return ChildEnd::Failed;
    }
    std::string command = "\"" + std::string(self) + "\" " + filterArgument;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableA(name, nullptr);
    if (!started) {
        return ChildEnd::Failed;
    }
    DWORD code = 0;
    const bool waited = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!waited) {
        return ChildEnd::Failed;
    }
    *status = static_cast<int>(code);
    return code == KilledStatus ? ChildEnd::Killed : ChildEnd::Exited;
#else
    std::string variable = std::string(name) + "=" + value;
    std::string self = "/proc/self/exe";
    char* argv[] = {self.data(), const_cast<char*>(filterArgument.c_str()), nullptr};
    // The parent's environment with the variable put first, where getenv finds it first.
    std::vector<char*> env{variable.data()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        env.push_back(*entry);
    }
    env.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, env.data()) != 0) {
        return ChildEnd::Failed;
    }
    int wait = 0;
    if (waitpid(pid, &wait, 0) != pid) {
        return ChildEnd::Failed;
    }
    if (WIFSIGNALED(wait)) {
        return WTERMSIG(wait) == SIGKILL ? ChildEnd::Killed : ChildEnd::Failed;
    }
    *status = WEXITSTATUS(wait);
    return ChildEnd::Exited;
#endif
}
