#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <random>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

#ifdef _WIN32
TempDir::TempDir()
{
    // No mkdtemp here: a random name, taken only if the folder could be made anew.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("salvorin-test-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            const std::u8string text = candidate.u8string();
            path_.assign(text.begin(), text.end());
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}
#else
TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "salvorin-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = buffer.data();
}
#endif

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempDir::makeFile(const std::string& name, uint64_t size) const
{
    const std::string full = file(name);
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    const uint64_t dense = size < (4u << 20) ? size : (4u << 20);
    std::vector<char> bytes(dense);
    for (uint64_t i = 0; i < dense; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (size > dense) {
        fs::resize_file(full, size);
    }
    return full;
}

std::string ReadWholeFile(const std::string& path)
{
    // In blocks, not a character at a time: some tests read tens of MiB.
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
