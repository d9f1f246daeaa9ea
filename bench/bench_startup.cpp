// Start-up: from the moment a process is started to its main dialog shown (offscreen),
// the program's own start-up against a minimal Qt Widgets program showing an empty dialog.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace {

std::string Sibling(const char* name)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        Fail("cannot find this executable");
    }
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + name;
}

// Starts `program` and returns the time to the moment it reports its dialog shown; *whole
// receives the time until it has ended.
double TimeToShown(const std::string& program, double* whole)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        Fail("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t child = 0;
    const double start = Now();
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ) != 0) {
        Fail("cannot start " + program);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string output;
    char chunk[128];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], chunk, sizeof chunk)) > 0) {
        output.append(chunk, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail(program + " did not end well");
    }
    *whole = Now() - start;
    const double shown = std::strtod(output.c_str(), nullptr);
    if (shown < start) {
        Fail(program + " reported no time");
    }
    return shown - start;
}

} // namespace

int main()
{
    BenchEnvironment();
    const int rounds = Rounds(5) * 2 + 1;
    const std::string salvorin = Sibling("bench_startup_salvorin");
    const std::string minimal = Sibling("bench_startup_qt");
    std::printf("Start-up to the dialog shown (QT_QPA_PLATFORM=%s), %d rounds\n",
                getenv("QT_QPA_PLATFORM"), rounds);
    double whole = 0;
    TimeToShown(salvorin, &whole); // warms the page cache for both: not measured
    TimeToShown(minimal, &whole);
    std::vector<double> shownSalvorin;
    std::vector<double> shownMinimal;
    std::vector<double> wholeSalvorin;
    std::vector<double> wholeMinimal;
    for (int round = 0; round < rounds; ++round) {
        shownSalvorin.push_back(TimeToShown(salvorin, &whole));
        wholeSalvorin.push_back(whole);
        shownMinimal.push_back(TimeToShown(minimal, &whole));
        wholeMinimal.push_back(whole);
    }
    PrintRatio("start to main dialog shown / minimal Qt", shownSalvorin, "minimal Qt",
               shownMinimal);
    PrintRatio("whole process (start, show, end) / minimal", wholeSalvorin, "minimal Qt",
               wholeMinimal);
    return 0;
}
