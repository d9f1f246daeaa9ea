#include "playback/playback_state.h"

PlaybackStateRecord PlaybackState = {};
