// The settings dialog's OK step on arbitrary edit texts, against the C library's reading of
// the same text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "dialog_logic.h"
#include "records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto records = std::make_unique<dd::DrillRecords>();
  dd::initialiseRecords(*records, 0);
  // As the edit hands it over: at most 255 bytes and a zero.
  char text[256];
  const size_t n = size < 255 ? size : 255;
  std::memcpy(text, data, n);
  text[n] = 0;
  if (size > 0) records->state.checked[data[0] % 8] = 1;  // some inside the range, some not
  dd::confirmSettings(*records, text);

  long long reference = std::strtoll(text, nullptr, 10);
  if (reference > INT32_MAX) reference = INT32_MAX;
  if (reference < INT32_MIN) reference = INT32_MIN;
  const int32_t expected = reference >= 0 && reference <= 600 ? static_cast<int32_t>(reference) : 0;
  if (records->settings.autoRevealSeconds != expected) std::abort();
  if (records->settings.rangeFirstLesson != 1 || records->settings.rangeLastLesson != 4 ||
      records->settings.chapter != 1) {
    std::abort();
  }
  if (records->state.checkedInRange !=
      dd::countCheckedInRange(records->settings, records->catalogue, records->state)) {
    std::abort();
  }
  return 0;
}
