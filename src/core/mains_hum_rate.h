// The sample rate told by mains hum: a recorder near mains wiring picks up a steady tone at
// 50 or 60 Hz with its harmonics, in the noise floor under the sound. Read at the stated
// width and channels, the data holds that tone at a fixed fraction of the rate, and with the
// offered rates no 50 Hz fraction is a 60 Hz one, so a clear hum names the rate.
#pragma once

#include <cstdint>

#include "core/data_windows.h"
#include "core/format_suggestion.h"

// The offered rate at which the windows' runs of contiguous data hold a clear hum line at 50
// or 60 Hz with its 2nd and 3rd harmonics, steady through them, and no line below it that would
// make it a harmonic itself; 0 and RateCue::None where that is not the case for exactly one rate
// and mains frequency. Pure.
uint32_t RateFromMainsHum(const DataWindow* windows, int count, int bits, int channels,
                          RateCue* cue);
