// salvorin-make-sample [--rate N] [--bits 8|16] [--channels 1|2] [--seconds S] OUTPUT
// Writes a temporary file of a known tune and prints its path and format.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "samplegen/samplegen.h"

int main(int argc, char** argv)
{
    SampleSpec spec;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--rate") == 0 && hasValue) {
            spec.rate = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--bits") == 0 && hasValue) {
            spec.bits = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--channels") == 0 && hasValue) {
            spec.channels = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--seconds") == 0 && hasValue) {
            spec.seconds = std::strtod(argv[++i], nullptr);
        } else if (argv[i][0] != '-' && output == nullptr) {
            output = argv[i];
        } else {
            std::fprintf(
                stderr,
                "usage: %s [--rate N] [--bits 8|16] [--channels 1|2] [--seconds S] OUTPUT\n",
                argv[0]);
            return 2;
        }
    }
    if (output == nullptr) {
        std::fprintf(stderr, "%s: no output file given\n", argv[0]);
        return 2;
    }
    std::string error;
    if (!WriteTemporaryFile(output, spec, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    std::printf("%s (%u samples per second, %d bit, %s, %.1f s)\n", output, spec.rate, spec.bits,
                spec.channels == 1 ? "mono" : "stereo", spec.seconds);
    return 0;
}
