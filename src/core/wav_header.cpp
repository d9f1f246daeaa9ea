#include "core/wav_header.h"

#include <cstring>

#include "core/source_file.h"
#include "core/wave_format.h"

namespace {

// Little-endian by construction, whatever the machine's byte order.
unsigned char* PutTag(unsigned char* at, const char (&tag)[5])
{
    std::memcpy(at, tag, 4);
    return at + 4;
}

unsigned char* PutU16(unsigned char* at, uint16_t value)
{
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>(value >> 8);
    return at + 2;
}

unsigned char* PutU32(unsigned char* at, uint32_t value)
{
    at = PutU16(at, static_cast<uint16_t>(value & 0xFFFF));
    return PutU16(at, static_cast<uint16_t>(value >> 16));
}

} // namespace

WavHeader* BuildWavHeader(WavHeader* destination)
{
    const uint32_t length = SourceFile.effectiveLength;
    unsigned char* at = destination->bytes;
    at = PutTag(at, "RIFF");
    at = PutU32(at, length - 8);
    at = PutTag(at, "WAVE");
    at = PutTag(at, "fmt ");
    at = PutU32(at, 16);
    // The first 16 bytes of the current WAVEFORMATEX; cbSize is not written.
    at = PutU16(at, CurrentFormat.wFormatTag);
    at = PutU16(at, CurrentFormat.nChannels);
    at = PutU32(at, CurrentFormat.nSamplesPerSec);
    at = PutU32(at, CurrentFormat.nAvgBytesPerSec);
    at = PutU16(at, CurrentFormat.nBlockAlign);
    at = PutU16(at, CurrentFormat.wBitsPerSample);
    at = PutTag(at, "data");
    PutU32(at, length - WavHeaderSize);
    return destination;
}
