// A private sound server for one test: PulseAudio from the system's packages, run as a
// child of the test in a scratch directory, with one null sink whose monitor is recorded
// to a file. The process's PULSE_SERVER points at it, so SDL plays there and nowhere else.
#pragma once

#include <sys/types.h>

#include <string>

// The sink's own format: what is played in it is neither resampled nor converted.
constexpr unsigned SinkRate = 44100;
constexpr unsigned SinkChannels = 2;
constexpr unsigned SinkBytesPerSecond = SinkRate * SinkChannels * 2;

class SoundServer {
  public:
    explicit SoundServer(const std::string& directory);
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Starts the server and waits until it answers; false with the reason when it cannot.
    bool Start(std::string* reason);
    // Plays a short stream that nobody records: a fresh null sink loses the start of the
    // first stream it gets.
    bool WarmUp(std::string* reason);
    // Records the sink's monitor, raw, into `capture()` until StopRecording.
    bool StartRecording(std::string* reason);
    // Waits until the monitor has carried some sound and then `quietBytes` of silence
    // after it, so that everything played has arrived; then ends the recorder.
    bool StopRecordingAfterQuiet(size_t quietBytes, std::string* reason);

    const std::string& capture() const { return capture_; }

  private:
    std::string directory_;
    std::string capture_;
    std::string log_;
    pid_t server_ = -1;
    pid_t recorder_ = -1;
};

// Runs a program of the sound server's tools to its end, output into `log`; its exit
// status, or -1.
int RunTool(const char* const* argv, const std::string& log);
