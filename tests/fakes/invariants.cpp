#include "invariants.h"

#include <cstring>

#include "matcher.h"
#include "order.h"
#include "text.h"

namespace ddtest {

namespace {

// shownText is empty, the bytes of the text before nextTarget, or the whole text.
bool revealIsWellFormed(const dd::DrillState& state, const dd::SentenceText& english) {
  const size_t shown = dd::boundedLength(state.shownText, dd::kTextSize);
  if (shown >= static_cast<size_t>(dd::kTextSize)) return false;
  if (shown == 0) return true;
  const size_t whole = dd::boundedLength(english, dd::kTextSize - 1);
  const bool prefixOfText = shown <= whole && std::memcmp(state.shownText, english, shown) == 0;
  if (!prefixOfText) return false;
  return (state.nextTarget >= 0 && shown == static_cast<size_t>(state.nextTarget)) ||
         shown == whole;
}

}  // namespace

const char* brokenInvariant(const FakeDrill& drill) {
  const dd::DrillState& state = drill.records.state;
  const dd::PracticeSettings& settings = drill.records.settings;
  const dd::ItemCatalogue& catalogue = drill.records.catalogue;
  const int32_t begin = dd::rangeBeginItem(settings, catalogue);
  const int32_t end = dd::rangeEndItem(settings, catalogue);
  if (drill.host.tickRunning != (state.screen == dd::Typing)) return "the tick runs off Typing";
  if (state.currentItem < 0 || state.currentItem >= dd::kItemCount) return "currentItem";
  if (state.screen != dd::Menu && (state.currentItem < begin || state.currentItem >= end)) {
    return "currentItem outside the range";
  }
  const dd::SentenceText& english = catalogue.items[state.currentItem].english;
  if (!revealIsWellFormed(state, english)) return "shownText";
  if (state.screen == dd::Typing && state.nextTarget < 0 && dd::findNextTarget(english, 0) >= 0) {
    return "Typing with nothing left to type";
  }
  if (state.checkedInRange != dd::countCheckedInRange(settings, catalogue, state)) {
    return "checkedInRange";
  }
  if (state.elapsedMs < 0 || state.elapsedMs > dd::kElapsedLimitMs) return "elapsedMs";
  const int32_t best = catalogue.items[state.currentItem].bestTimeMs;
  if (best < 0 || best > dd::kElapsedLimitMs) return "bestTimeMs";
  if (state.assisted > 1) return "assisted";
  if ((settings.speed | settings.japaneseStyle) & ~1) return "a flipped flag is not 0 or 1";
  if (state.screen == dd::Menu && drill.sound.deviceOpen) return "a recording open on the Menu";
  if (state.shufflePos < -1 || state.shufflePos >= dd::kShuffleSize) return "shufflePos";
  if (drill.log.dropped != 0) return "an event made too many calls";
  return nullptr;
}

}  // namespace ddtest
