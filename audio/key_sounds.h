// The short clips answering each typed letter or digit, played straight from the resources.
#pragma once

#include <windows.h>

#include "settings.h"

namespace dd {

// Starts the clip settings.hitSound selects (1 standard, 2 pop), cutting off any clip still
// playing; any other code is silence. Returns at once.
void playHit(HINSTANCE instance, const PracticeSettings& settings);

// The same for settings.missSound (1 standard, 2 meow).
void playMiss(HINSTANCE instance, const PracticeSettings& settings);

// The wave resource id of the hit clip a code selects (1 standard, 2 pop); 0 for silence.
int hitClipId(int32_t code);

// The wave resource id of the miss clip a code selects (1 standard, 2 meow); 0 for silence.
int missClipId(int32_t code);

// Starts the clip with this wave resource id, cutting off any clip still playing; 0 does
// nothing. Returns once the sound system has taken it.
void playClipId(HINSTANCE instance, int id);

}  // namespace dd
