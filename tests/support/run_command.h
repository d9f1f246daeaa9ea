// Runs a program of the Linux side (a reader that is not ours, the sound server's tools).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

// Runs `command` with its standard error joined to its output; returns the exit status,
// or -1 when it did not exit normally.
inline int RunCommand(const std::string& command, std::string* output)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        *output = "popen failed";
        return -1;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output->append(buffer, count);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
