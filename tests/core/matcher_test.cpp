#include "matcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "records.h"
#include "sjis.h"

namespace {

struct Sentence {
  dd::SentenceText text{};
  explicit Sentence(const char* s) { std::strncpy(text, s, sizeof text - 1); }
};

struct MatcherTest : ::testing::Test {
  dd::DrillState state{};
  // Types every remaining target with its own byte; returns the number of steps taken.
  int typeAll(const dd::SentenceText& text) {
    int steps = 0;
    while (state.nextTarget >= 0) {
      const uint8_t expected = dd::expectedByte(state, text);
      EXPECT_TRUE(dd::keyMatches(expected, expected));
      const bool done = dd::advanceReveal(state, text);
      ++steps;
      if (!done) {
        EXPECT_EQ(std::string(state.shownText), std::string(text, state.nextTarget));
      }
      EXPECT_EQ(done, state.nextTarget == -1);
    }
    return steps;
  }
};

TEST(IsTargetChar, OnlyAsciiLettersAndDigits) {
  for (uint32_t c = 0; c < 0x200; ++c) {
    const bool expected = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    ASSERT_EQ(dd::isTargetChar(c), expected) << c;
  }
}

TEST(KeyMatches, AcceptsTheByteAndTheSmallLetterForACapital) {
  struct Case {
    uint32_t typed;
    uint8_t expected;
    bool accepted;
  } cases[] = {
      {'A', 'A', true},  {'a', 'A', true},  {'a', 'a', true},  {'A', 'a', false},
      {'b', 'A', false}, {'0', '0', true},  {'P', '0', false}, {'p', '0', false},
      {'Y', '9', false}, {'9', '9', true},  {'z', 'Z', true},  {'Z', 'z', false},
      {'g', 0, false},   {'0', 0, false},   {'a', 'b', false}, {'A' + 256, 'A', false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dd::keyMatches(c.typed, c.expected), c.accepted) << c.typed << " for " << int(c.expected);
  }
}

TEST(FindNextTarget, ScansWithinTheTextAndTheField) {
  Sentence quoted("\x81\x67Hi,\x81\x68 she said.");
  Sentence stray("\x81\x41g");  // 0x81 not starting a quotation mark: its next byte stands alone
  Sentence punct("... !?");
  struct Case {
    const dd::SentenceText* text;
    int32_t start;
    int32_t found;
  } cases[] = {
      {&quoted.text, 0, 2},   {&quoted.text, 3, 3},   {&quoted.text, 4, 8},
      {&stray.text, 0, 1},    {&punct.text, 0, -1},   {&quoted.text, 256, -1},
      {&quoted.text, 1000, -1}, {&quoted.text, 17, -1}, {&quoted.text, -5, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(dd::findNextTarget(*c.text, c.start), c.found) << c.start;
}

TEST(FindNextTarget, NeverReadsPastAFullField) {
  // A field with no terminating zero, ending in a lone 0x81: the scan stops at the field's end.
  auto field = std::make_unique<char[]>(dd::kTextSize);
  std::memset(field.get(), '.', dd::kTextSize);
  field[dd::kTextSize - 1] = static_cast<char>(0x81);
  const auto& text = *reinterpret_cast<const dd::SentenceText*>(field.get());
  EXPECT_EQ(dd::findNextTarget(text, 0), -1);
  field[dd::kTextSize - 1] = 'x';
  EXPECT_EQ(dd::findNextTarget(text, 0), dd::kTextSize - 1);
}

TEST_F(MatcherTest, RevealSequenceOnEveryDemoSentence) {
  auto catalogue = std::make_unique<dd::ItemCatalogue>();
  dd::initialiseCatalogue(*catalogue);
  for (int i = 0; i < dd::kDemoCount; ++i) {
    SCOPED_TRACE(i);
    const dd::SentenceText& text = catalogue->items[i].english;
    dd::resetReveal(state, text);
    EXPECT_EQ(state.shownText[0], 0);
    EXPECT_EQ(typeAll(text), ddtest::countTyped(text));
    EXPECT_STREQ(state.shownText, text);
  }
}

TEST_F(MatcherTest, EdgeCasesOfTheReveal) {
  struct Case {
    const char* name;
    const char* text;
    int32_t firstTarget;
    const char* afterFirstHit;  // shownText after typing the first target
  } cases[] = {
      {"opening mark then letter", "\x81\x67Go!\x81\x68 he said.", 2, "\x81\x67G"},
      {"apostrophe", "I'm here.", 0, "I'"},
      {"two spaces after a full stop", "A.  Be.", 0, "A.  "},
      {"leading punctuation", "...so", 3, "...s"},
      {"last target then stop and mark", "\x81\x67Z.\x81\x68", 2, "\x81\x67Z.\x81\x68"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sentence s(c.text);
    dd::resetReveal(state, s.text);
    EXPECT_EQ(state.shownText[0], 0);
    EXPECT_EQ(state.nextTarget, c.firstTarget);
    const bool done = dd::advanceReveal(state, s.text);
    EXPECT_EQ(std::string(state.shownText), std::string(c.afterFirstHit));
    EXPECT_EQ(done, std::strcmp(c.afterFirstHit, c.text) == 0);
  }
}

TEST_F(MatcherTest, QuotationMarkBytesAreNeverTargets) {
  Sentence s("\x81\x67\x81\x68");
  dd::resetReveal(state, s.text);
  EXPECT_EQ(state.nextTarget, -1);
}

TEST_F(MatcherTest, TextWithoutTargets) {
  for (const char* text : {"", "?!.", "\x81\x67\x81\x68 - ..."}) {
    Sentence s(text);
    dd::resetReveal(state, s.text);
    EXPECT_EQ(state.nextTarget, -1);
    EXPECT_EQ(dd::expectedByte(state, s.text), 0);
    EXPECT_FALSE(dd::keyMatches('a', dd::expectedByte(state, s.text)));
    EXPECT_TRUE(dd::advanceReveal(state, s.text));
    EXPECT_STREQ(state.shownText, text);
  }
}

TEST_F(MatcherTest, CompletedRevealStaysComplete) {
  Sentence s("Ab.");
  dd::resetReveal(state, s.text);
  typeAll(s.text);
  EXPECT_TRUE(dd::advanceReveal(state, s.text));
  EXPECT_EQ(state.nextTarget, -1);
  EXPECT_STREQ(state.shownText, "Ab.");
}

}  // namespace
