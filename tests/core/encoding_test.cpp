// The program's strings must reach it as Shift-JIS bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "catalogue.h"
#include "settings.h"

namespace {

std::string bytes(const char* s) { return std::string(s); }

TEST(Encoding, LiteralsAreShiftJis) {
  struct Case {
    const char* literal;
    const char* expected;
  } cases[] = {
      {"デモ", "\x83\x66\x83\x82"},
      {"／", "\x81\x5E"},
      {"“", "\x81\x67"},
      {"”", "\x81\x68"},
      {"表", "\x95\x5C"},  // second byte is the backslash code
      {"☆", "\x81\x99"},
      {"●", "\x81\x9C"},
      {"「」", "\x81\x75\x81\x76"},
  };
  for (const Case& c : cases) EXPECT_EQ(bytes(c.literal), bytes(c.expected)) << c.expected;
}

TEST(Encoding, BackslashSecondByteSurvivesInTables) {
  // "表示" would lose its second byte if the 0x5C were taken for an escape.
  const char shown[] = "表示";
  ASSERT_EQ(std::strlen(shown), 4u);
  EXPECT_EQ(static_cast<unsigned char>(shown[1]), 0x5Cu);
  EXPECT_EQ(bytes(shown), bytes("\x95\x5C\x8E\xA6"));
}

TEST(Encoding, PlaceholderAndTableBytes) {
  EXPECT_EQ(bytes(dd::checkLabels[1]), bytes("\x81\x99" "check!"));
  EXPECT_EQ(bytes(dd::speedPrefix[0]), bytes("\\S"));
  EXPECT_EQ(bytes(dd::speedPrefix[1]), bytes("\\N"));
}

}  // namespace
