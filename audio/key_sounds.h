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

}  // namespace dd
