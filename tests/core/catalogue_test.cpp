#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "catalogue.h"
#include "sjis.h"

namespace {

struct CatalogueTest : ::testing::Test {
  std::unique_ptr<dd::ItemCatalogue> catalogue = std::make_unique<dd::ItemCatalogue>();
  void SetUp() override {
    std::memset(catalogue.get(), 0x5A, sizeof(dd::ItemCatalogue));  // garbage to overwrite
    dd::initialiseCatalogue(*catalogue);
  }
};

TEST_F(CatalogueTest, DemoItemsHaveTheirIdsAndNoBestTime) {
  const char* ids[] = {"001", "002", "003", "004"};
  for (int i = 0; i < dd::kDemoCount; ++i) {
    EXPECT_STREQ(catalogue->items[i].id, ids[i]);
    EXPECT_STREQ(catalogue->items[i].english, dd::demoTexts[i].english);
    EXPECT_STREQ(catalogue->items[i].naturalJapanese, dd::demoTexts[i].naturalJapanese);
    EXPECT_STREQ(catalogue->items[i].literalJapanese, dd::demoTexts[i].literalJapanese);
  }
  for (const dd::PracticeItem& item : catalogue->items) EXPECT_EQ(item.bestTimeMs, 0);
}

TEST_F(CatalogueTest, PlaceholdersFillTheRest) {
  for (int i = dd::kDemoCount; i < dd::kItemCount; ++i) {
    const dd::PracticeItem& item = catalogue->items[i];
    ASSERT_STREQ(item.id, "001") << i;
    ASSERT_STREQ(item.english, "demo") << i;
    ASSERT_STREQ(item.naturalJapanese, "\x83\x66\x83\x82") << i;
    ASSERT_STREQ(item.literalJapanese, "\x83\x66\x83\x82") << i;
  }
}

TEST_F(CatalogueTest, LessonTableIsTheIdentityWithEndMark) {
  for (int k = 0; k <= dd::kItemCount; ++k) ASSERT_EQ(catalogue->lessonItem[k], k);
}

TEST(ChapterTables, MatchTheCourse) {
  const int32_t first[] = {1,   18,  31,  60,  73,  93,  125, 145, 163, 187,
                           211, 218, 238, 256, 282, 311, 332, 356, 367, 395};
  const int32_t size[] = {17, 13, 29, 13, 20, 32, 20, 18, 24, 24, 7, 20, 18, 26, 29, 21, 24, 11, 28, 25};
  for (int c = 0; c < dd::kChapterCount; ++c) {
    EXPECT_EQ(dd::chapterFirstLesson[c], first[c]) << c + 1;
    EXPECT_EQ(dd::chapterSize[c], size[c]) << c + 1;
  }
}

TEST(ChapterTables, AreContiguousAndCoverTheCourse) {
  int32_t total = 0;
  EXPECT_EQ(dd::chapterFirstLesson[0], 1);
  for (int c = 0; c < dd::kChapterCount; ++c) {
    EXPECT_EQ(dd::chapterLastLesson[c], dd::chapterFirstLesson[c] + dd::chapterSize[c] - 1) << c + 1;
    if (c > 0) {
      EXPECT_EQ(dd::chapterFirstLesson[c], dd::chapterLastLesson[c - 1] + 1) << c + 1;
    }
    total += dd::chapterSize[c];
  }
  EXPECT_EQ(dd::chapterLastLesson[dd::kChapterCount - 1], dd::kItemCount);
  EXPECT_EQ(total, dd::kItemCount);
  EXPECT_EQ(dd::chapterSize[10], 7);   // smallest
  EXPECT_EQ(dd::chapterSize[5], 32);   // largest
}

// The forms the build's texts must have, cell by cell.
TEST(DemoContent, HasTheRequiredForm) {
  struct Form {
    size_t englishBytes;
    int typed;
    int quotes;
    size_t literalBytes;
    int separators;
    size_t naturalBytes;
  } forms[] = {
      {141, 106, 1, 168, 6, 125},
      {135, 102, 2, 164, 6, 126},
      {142, 105, 2, 158, 6, 125},
      {147, 110, 1, 232, 6, 132},
  };
  for (int i = 0; i < dd::kDemoCount; ++i) {
    SCOPED_TRACE(i);
    const dd::DemoText& text = dd::demoTexts[i];
    EXPECT_EQ(std::strlen(text.english), forms[i].englishBytes);
    EXPECT_EQ(ddtest::countTyped(text.english), forms[i].typed);
    EXPECT_EQ(ddtest::countDoubleByte(text.english, 0x81, 0x67), forms[i].quotes);
    EXPECT_EQ(ddtest::countDoubleByte(text.english, 0x81, 0x68), forms[i].quotes);
    EXPECT_EQ(std::strlen(text.literalJapanese), forms[i].literalBytes);
    EXPECT_EQ(ddtest::countDoubleByte(text.literalJapanese, 0x81, 0x5E), forms[i].separators);
    EXPECT_EQ(std::strlen(text.naturalJapanese), forms[i].naturalBytes);
  }
}

// English texts: ASCII letters, digits, spaces and , . ? ! ' - plus the two quotation marks;
// at least two sentences; a sentence end inside the text is followed by one or two spaces.
TEST(DemoContent, EnglishUsesOnlyTheAllowedCharacters) {
  for (int i = 0; i < dd::kDemoCount; ++i) {
    SCOPED_TRACE(i);
    const std::string english = dd::demoTexts[i].english;
    int sentenceEnds = 0;
    for (size_t j = 0; j < english.size(); ++j) {
      const unsigned char b = static_cast<unsigned char>(english[j]);
      if (b == 0x81) {
        ASSERT_LT(j + 1, english.size());
        const unsigned char trail = static_cast<unsigned char>(english[j + 1]);
        EXPECT_TRUE(trail == 0x67 || trail == 0x68) << j;
        ++j;
        continue;
      }
      EXPECT_TRUE(std::isalnum(b) || std::strchr(" ,.?!'-", b) != nullptr) << "byte " << int(b);
      if ((b == '.' || b == '?' || b == '!') && j + 1 < english.size()) {
        size_t k = j + 1;
        if (static_cast<unsigned char>(english[k]) == 0x81) k += 2;  // a closing mark
        if (k < english.size() && english[k] == ' ') {
          ++sentenceEnds;
          size_t spaces = 0;
          while (k + spaces < english.size() && english[k + spaces] == ' ') ++spaces;
          EXPECT_LE(spaces, 2u);
        }
      }
    }
    EXPECT_GE(sentenceEnds, 1) << "two or more sentences";
    EXPECT_NE(english.back(), ' ');
  }
}

TEST(DemoContent, JapaneseTextsAreWellFormedShiftJis) {
  for (int i = 0; i < dd::kDemoCount; ++i) {
    SCOPED_TRACE(i);
    for (const char* text : {dd::demoTexts[i].naturalJapanese, dd::demoTexts[i].literalJapanese}) {
      const size_t n = std::strlen(text);
      for (size_t j = 0; j < n; ++j) {
        const unsigned char b = static_cast<unsigned char>(text[j]);
        if (ddtest::isLeadByte(b)) {
          ASSERT_LT(j + 1, n) << "cut double-byte character";
          ++j;
        }
      }
      EXPECT_LE(n, 255u);
    }
  }
}

}  // namespace
