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

unsigned char* PutU64(unsigned char* at, uint64_t value)
{
    at = PutU32(at, static_cast<uint32_t>(value & 0xFFFFFFFFu));
    return PutU32(at, static_cast<uint32_t>(value >> 32));
}

// "fmt " with the first 16 bytes of the current WAVEFORMATEX; cbSize is not written.
unsigned char* PutFormatChunk(unsigned char* at)
{
    at = PutTag(at, "fmt ");
    at = PutU32(at, 16);
    at = PutU16(at, CurrentFormat.wFormatTag);
    at = PutU16(at, CurrentFormat.nChannels);
    at = PutU32(at, CurrentFormat.nSamplesPerSec);
    at = PutU32(at, CurrentFormat.nAvgBytesPerSec);
    at = PutU16(at, CurrentFormat.nBlockAlign);
    return PutU16(at, CurrentFormat.wBitsPerSample);
}

// Size fields RF64 leaves to the ds64 chunk.
constexpr uint32_t SizeInDs64 = 0xFFFFFFFFu;
constexpr uint32_t Ds64BodySize = 28;

} // namespace

WavHeader* BuildWavHeader(WavHeader* destination)
{
    const uint32_t length = SourceFile.effectiveLength;
    unsigned char* at = destination->bytes;
    at = PutTag(at, "RIFF");
    at = PutU32(at, length - 8);
    at = PutTag(at, "WAVE");
    at = PutFormatChunk(at);
    at = PutTag(at, "data");
    PutU32(at, length - WavHeaderSize);
    return destination;
}

Rf64Header* BuildRf64Header(Rf64Header* destination)
{
    const uint64_t dataSize = SourceFile.wholeLength - HeaderRegionSize;
    const uint32_t blockAlign = CurrentFormat.nBlockAlign != 0 ? CurrentFormat.nBlockAlign : 1;
    unsigned char* at = destination->bytes;
    at = PutTag(at, "RF64");
    at = PutU32(at, SizeInDs64);
    at = PutTag(at, "WAVE");
    at = PutTag(at, "ds64");
    at = PutU32(at, Ds64BodySize);
    at = PutU64(at, Rf64HeaderSize - 8 + dataSize); // the RIFF size
    at = PutU64(at, dataSize);
    at = PutU64(at, dataSize / blockAlign); // frames
    at = PutU32(at, 0);                     // no table of other chunks' sizes
    at = PutFormatChunk(at);
    at = PutTag(at, "data");
    PutU32(at, SizeInDs64);
    return destination;
}
