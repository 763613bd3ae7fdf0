// Nothing is allocated or freed after start: every global allocation function of this test
// program is replaced by one that counts, and a whole drill of many thousands of events runs
// inside a counted region. Everything the drill needs is made before the region opens.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "controller.h"
#include "matcher.h"
#include "rig.h"

namespace {

bool gCounting = false;
long gAllocations = 0;
long gReleases = 0;

void* allocate(std::size_t size) {
  if (gCounting) ++gAllocations;
  return std::malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
  if (gCounting) ++gAllocations;
  const std::size_t align = static_cast<std::size_t>(alignment);
  const std::size_t rounded = (size + align - 1) / align * align;
  return std::aligned_alloc(align, rounded == 0 ? align : rounded);
}

void release(void* pointer) {
  if (pointer == nullptr) return;
  if (gCounting) ++gReleases;
  std::free(pointer);
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size) {
  void* p = allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
  void* p = allocateAligned(size, alignment);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  void* p = allocateAligned(size, alignment);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocateAligned(size, alignment);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }

namespace {

struct CountedRegion {
  CountedRegion() {
    gAllocations = 0;
    gReleases = 0;
    gCounting = true;
  }
  ~CountedRegion() { gCounting = false; }
};

// The counter itself must see an allocation, or a zero below would prove nothing.
TEST(NoAllocation, TheCounterSeesAllocations) {
  long allocations = 0;
  long releases = 0;
  {
    CountedRegion region;
    void* volatile small = ::operator new(16);
    ::operator delete(small);
    void* volatile aligned = ::operator new[](100, std::align_val_t{64});
    ::operator delete[](aligned, std::align_val_t{64});
    allocations = gAllocations;
    releases = gReleases;
  }
  EXPECT_EQ(allocations, 2);
  EXPECT_EQ(releases, 2);
}

enum class Kind : uint8_t { Key, Char, Tick, Clock };
struct Event {
  Kind kind;
  uint32_t value;
};

// The settings dialog, as a click on each option and its OK would leave them.
void settingsDialog(void* context) {
  ddtest::Rig& rig = *static_cast<ddtest::Rig*>(context);
  dd::PracticeSettings& settings = rig.settings;
  settings.orderMode = (settings.orderMode + 1) % 3;
  settings.presentation = (settings.presentation + 2) % 3;
  settings.autoRevealSeconds = settings.autoRevealSeconds == 0 ? 2 : 0;
  rig.state.checkedInRange = dd::countCheckedInRange(settings, rig.records.catalogue, rig.state);
}

TEST(NoAllocation, AWholeDrill) {
  ddtest::Rig rig(3);
  rig.host.settingsDialog = &settingsDialog;
  rig.host.settingsContext = &rig;

  // The events are drawn before counting; "hit" characters are worked out while driving.
  constexpr uint32_t kHit = 0xFFFFFFFFu;
  std::vector<Event> events;
  events.reserve(60000);
  std::mt19937 random(11);
  const uint32_t keys[] = {dd::kKeyReturn,  dd::kKeyReturn, dd::kKeyBack,  dd::kKeyTab,
                           dd::kKeyControl, dd::kKeyEscape, dd::kKeySpace, dd::kKeyDelete};
  const uint32_t chars[] = {kHit, kHit, kHit, kHit, kHit, '\\', 'x', '5', 0x0D, 0x100 + 'a'};
  while (events.size() < 60000) {
    const uint32_t roll = random() % 10;
    if (roll < 4) {
      events.push_back({Kind::Char, chars[random() % std::size(chars)]});
    } else if (roll < 6) {
      events.push_back({Kind::Key, keys[random() % std::size(keys)]});
    } else if (roll < 9) {
      events.push_back({Kind::Tick, 100});
    } else {
      events.push_back({Kind::Clock, random() % 3 == 0 ? 0u - 20000u : 250000u});
    }
  }

  long allocations = 0;
  long releases = 0;
  int ticks = 0;
  int hits = 0;
  int results = 0;
  {
    CountedRegion region;
    for (const Event& event : events) {
      const dd::Screen before = rig.state.screen;
      switch (event.kind) {
        case Kind::Key:
          rig.key(event.value);
          break;
        case Kind::Char:
          if (event.value == kHit) {
            ++hits;
            rig.hit();
          } else {
            rig.chr(event.value);
          }
          break;
        case Kind::Tick:
          rig.host.clock += event.value;
          if (rig.host.tickRunning) {
            ++ticks;
            rig.tick();
          }
          break;
        case Kind::Clock:
          rig.host.clock += event.value;
          break;
      }
      results += before == dd::Typing && rig.state.screen == dd::Result;
      rig.clearCalls();
    }
    allocations = gAllocations;
    releases = gReleases;
  }
  EXPECT_EQ(allocations, 0);
  EXPECT_EQ(releases, 0);
  // The drill really ran: it ticked, typed and finished many attempts.
  EXPECT_GT(ticks, 1000);
  EXPECT_GT(hits, 1000);
  EXPECT_GT(results, 100);
}

}  // namespace
