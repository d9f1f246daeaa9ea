// A scratch directory for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // `name` in the folder, joined as the system writes paths (the program's own full paths
    // compare equal to it).
    std::string file(const std::string& name) const { return path_ + Separator + name; }
    // Writes a file of `size` bytes whose byte i is (i * 7 + 3) & 0xFF; sizes beyond a
    // few MiB are made sparse (the tail reads as zeros).
    std::string makeFile(const std::string& name, uint64_t size) const;

#ifdef _WIN32
    static constexpr const char* Separator = "\\";
#else
    static constexpr const char* Separator = "/";
#endif

  private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);
