#include "core/wave_format.h"

WAVEFORMATEX CurrentFormat = {};

const uint32_t SampleRateTable[SampleRateCount] = {48000, 44100, 32000, 24000, 22050,
                                                   16000, 12000, 11025, 8000};

void SetStartingFormatValues()
{
    CurrentFormat.wFormatTag = WAVE_FORMAT_PCM;
    CurrentFormat.nChannels = 2;
    CurrentFormat.nSamplesPerSec = SampleRateTable[DefaultRateRow];
    CurrentFormat.nAvgBytesPerSec = 0;
    CurrentFormat.nBlockAlign = 0;
    CurrentFormat.wBitsPerSample = 16;
    CurrentFormat.cbSize = 0;
}

void RecomputeDerivedFields()
{
    CurrentFormat.nBlockAlign =
        static_cast<WORD>((CurrentFormat.wBitsPerSample >> 3) * CurrentFormat.nChannels);
    CurrentFormat.nAvgBytesPerSec =
        static_cast<DWORD>(CurrentFormat.nBlockAlign) * CurrentFormat.nSamplesPerSec;
}
