// Every record of the drill in one place; the program owns one, each test makes its own.
#pragma once

#include "catalogue.h"
#include "random.h"
#include "settings.h"

namespace dd {

struct DrillRecords {
  ItemCatalogue catalogue;
  PracticeSettings settings;
  DrillState state;
  RandomSource random;
};

// Start values for everything, in the order the program sets them at start.
inline void initialiseRecords(DrillRecords& records, uint32_t seed) {
  initialiseSettings(records.settings, records.state);
  initialiseCatalogue(records.catalogue);
  seedRandom(records.random, seed);
}

}  // namespace dd
