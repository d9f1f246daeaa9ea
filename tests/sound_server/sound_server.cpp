#include "sound_server/sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace {

constexpr const char* SinkName = "salvorin_test_sink";

// Starts `argv` with its output into `output` and its errors into `errors`; -1 on failure.
pid_t Spawn(const char* const* argv, const std::string& output, const std::string& errors,
            char* const* environment)
{
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return -1;
    }
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    pid_t pid = -1;
    const int failed =
        posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environment);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

// Ends a child of ours: SIGTERM, then SIGKILL if it has not gone within two seconds.
void End(pid_t* pid)
{
    if (*pid <= 0) {
        return;
    }
    kill(*pid, SIGTERM);
    int status = 0;
    for (int round = 0; round < 200; ++round) {
        if (waitpid(*pid, &status, WNOHANG) == *pid) {
            *pid = -1;
            return;
        }
        usleep(10000);
    }
    kill(*pid, SIGKILL);
    waitpid(*pid, &status, 0);
    *pid = -1;
}

off_t FileSize(const std::string& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// Sound has come, and after its last non-zero byte at least `quiet` bytes of silence.
bool EndsQuietAfterSound(const std::string& bytes, size_t quiet)
{
    const size_t last = bytes.find_last_not_of('\0');
    return last != std::string::npos && bytes.size() - last - 1 >= quiet;
}

} // namespace

int RunTool(const char* const* argv, const std::string& log)
{
    const pid_t pid = Spawn(argv, log, log, environ);
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

SoundServer::SoundServer(const std::string& directory)
    : directory_(directory), capture_(directory + "/monitor.raw"), log_(directory + "/server.log")
{
}

SoundServer::~SoundServer()
{
    End(&recorder_);
    End(&server_);
}

bool SoundServer::Start(std::string* reason)
{
    const std::string socket = directory_ + "/native";
    const std::string clientConfig = directory_ + "/client.conf";
    std::ofstream(clientConfig) << "autospawn = no\n";
    mkdir((directory_ + "/runtime").c_str(), 0700);
    mkdir((directory_ + "/state").c_str(), 0700);
    // Every client of this process, SDL's among them, talks to this server only.
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", clientConfig.c_str(), 1);
    setenv("PULSE_RUNTIME_PATH", (directory_ + "/runtime").c_str(), 1);
    setenv("PULSE_STATE_PATH", (directory_ + "/state").c_str(), 1);

    // The server keeps its cookie and configuration under HOME: a private one.
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        if (variable.rfind("HOME=", 0) != 0 && variable.rfind("XDG_CONFIG_HOME=", 0) != 0) {
            variables.push_back(variable);
        }
    }
    variables.push_back("HOME=" + directory_);
    variables.push_back("XDG_CONFIG_HOME=" + directory_ + "/config");
    std::vector<char*> environment;
    for (std::string& variable : variables) {
        environment.push_back(variable.data());
    }
    environment.push_back(nullptr);

    // As root the server runs only as a per-session server started by hand: no default
    // script (-n), no daemon, no exit when idle, and just the modules named here.
    const std::string native = "module-native-protocol-unix auth-anonymous=1 socket=" + socket;
    const std::string sink = std::string("module-null-sink sink_name=") + SinkName +
                             " rate=44100 format=s16le channels=2 norewinds=1";
    const char* const argv[] = {"pulseaudio",          "-n",
                                "--daemonize=no",      "--system=false",
                                "--exit-idle-time=-1", "--use-pid-file=false",
                                "--realtime=no",       "--high-priority=no",
                                "--log-target=stderr", "-L",
                                native.c_str(),        "-L",
                                sink.c_str(),          nullptr};
    server_ = Spawn(argv, log_, log_, environment.data());
    if (server_ < 0) {
        *reason = "pulseaudio could not be started (is it installed?)";
        return false;
    }
    const char* const info[] = {"pactl", "info", nullptr};
    for (int round = 0; round < 100; ++round) {
        int status = 0;
        if (waitpid(server_, &status, WNOHANG) == server_) {
            server_ = -1;
            *reason = "pulseaudio ended at once: " + ReadWholeFile(log_);
            return false;
        }
        if (RunTool(info, directory_ + "/pactl.log") == 0) {
            return true;
        }
        usleep(50000);
    }
    *reason = "pulseaudio did not answer within five seconds: " + ReadWholeFile(log_);
    return false;
}

bool SoundServer::WarmUp(std::string* reason)
{
    const std::string warmUp = directory_ + "/warm-up.raw";
    std::ofstream(warmUp, std::ios::binary) << std::string(SinkBytesPerSecond / 4, '\x11');
    const std::string device = std::string("--device=") + SinkName;
    const char* const argv[] = {"pacat",          "--playback",   "--raw",
                                "--format=s16le", "--rate=44100", "--channels=2",
                                device.c_str(),   warmUp.c_str(), nullptr};
    const int status = RunTool(argv, directory_ + "/pacat.log");
    if (status != 0) {
        *reason = "pacat exited with " + std::to_string(status) + ": " +
                  ReadWholeFile(directory_ + "/pacat.log");
        return false;
    }
    return true;
}

bool SoundServer::StartRecording(std::string* reason)
{
    const std::string device = std::string("--device=") + SinkName + ".monitor";
    const char* const argv[] = {"parec",        "--raw",        "--format=s16le",    "--rate=44100",
                                "--channels=2", device.c_str(), "--latency-msec=20", nullptr};
    recorder_ = Spawn(argv, capture_, directory_ + "/parec.log", environ);
    if (recorder_ < 0) {
        *reason = "parec could not be started";
        return false;
    }
    // The monitor carries silence from the moment it records: wait for the first of it.
    for (int round = 0; round < 250 && FileSize(capture_) <= 0; ++round) {
        usleep(20000);
    }
    if (FileSize(capture_) <= 0) {
        *reason = "parec recorded nothing: " + ReadWholeFile(directory_ + "/parec.log");
        return false;
    }
    return true;
}

bool SoundServer::StopRecordingAfterQuiet(size_t quietBytes, std::string* reason)
{
    bool quiet = false;
    for (int round = 0; round < 400 && !quiet; ++round) {
        quiet = EndsQuietAfterSound(ReadWholeFile(capture_), quietBytes);
        if (!quiet) {
            usleep(50000);
        }
    }
    End(&recorder_);
    if (!quiet) {
        *reason = "the monitor never fell quiet after the sound";
    }
    return quiet;
}
