// Staging against the real file system under Wine: every recording written byte for byte, stale
// files truncated, a locked file skipped, nothing written without the recordings, and no file
// under a cut-off name.
#include "staging.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_files.h"

namespace {

using testfiles::filesUnder;
using testfiles::readFile;
using testfiles::resourceBytes;

struct Recording {
  int resourceId;
  const char* fileName;
};

// Written out here, not taken from the code under test.
constexpr Recording kRecordings[] = {
    {137, "S001.mp3"}, {138, "S002.mp3"}, {139, "S003.mp3"}, {140, "S004.mp3"},
    {132, "N001.mp3"}, {133, "N002.mp3"}, {134, "N003.mp3"}, {135, "N004.mp3"},
};

HINSTANCE self() { return GetModuleHandleA(nullptr); }

class Staging : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testfiles::freshFolder("staging"); }
  void TearDown() override { testfiles::removeTree(folder_); }

  std::string path(const Recording& r) const { return folder_ + "\\" + r.fileName; }

  void expectStaged(const Recording& r) const {
    std::vector<uint8_t> expected = resourceBytes(r.resourceId, "MP3");
    ASSERT_FALSE(expected.empty()) << "resource " << r.resourceId;
    EXPECT_TRUE(readFile(path(r)) == expected) << r.fileName << " differs from its resource";
  }

  std::string folder_;
};

TEST_F(Staging, WritesEveryRecordingAsStored) {
  testfiles::TempFolderScope temp(folder_);
  dd::stageRecordings(self());
  for (const Recording& r : kRecordings) expectStaged(r);
  EXPECT_EQ(filesUnder(folder_).size(), 8u);
  // The eight are distinct, so a mix-up of ids and names would show above.
  for (size_t i = 1; i < std::size(kRecordings); ++i) {
    EXPECT_NE(resourceBytes(kRecordings[i].resourceId, "MP3"),
              resourceBytes(kRecordings[i - 1].resourceId, "MP3"));
  }
}

TEST_F(Staging, RewritesLargerStaleFilesToTheExactSize) {
  for (const Recording& r : kRecordings) {
    size_t stale = resourceBytes(r.resourceId, "MP3").size() + 5000;
    testfiles::writeFile(path(r), std::vector<uint8_t>(stale, 0xA5));
  }
  testfiles::TempFolderScope temp(folder_);
  dd::stageRecordings(self());
  for (const Recording& r : kRecordings) expectStaged(r);
}

// A module without the recordings (a test program's, say) must not empty the files that a
// copy of the program staged and may be playing.
TEST_F(Staging, AModuleWithoutRecordingsLeavesStagedFilesAlone) {
  for (const Recording& r : kRecordings) testfiles::writeFile(path(r), {'o', 'l', 'd'});
  testfiles::TempFolderScope temp(folder_);
  HMODULE withoutRecordings = GetModuleHandleA("kernel32.dll");
  ASSERT_NE(withoutRecordings, nullptr);
  dd::stageRecordings(withoutRecordings);
  for (const Recording& r : kRecordings) {
    EXPECT_EQ(readFile(path(r)), (std::vector<uint8_t>{'o', 'l', 'd'})) << r.fileName;
  }
  EXPECT_EQ(filesUnder(folder_).size(), 8u);
}

TEST_F(Staging, AFileHeldWithoutSharingKeepsItsBytesAndTheOthersAreWritten) {
  const std::vector<uint8_t> before = {'h', 'e', 'l', 'd'};
  for (const Recording& held : kRecordings) {
    SCOPED_TRACE(held.fileName);
    testfiles::removeTree(folder_);
    testfiles::makeTree(folder_);
    testfiles::writeFile(path(held), before);
    HANDLE lock = CreateFileA(path(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    {
      testfiles::TempFolderScope temp(folder_);
      dd::stageRecordings(self());
    }
    CloseHandle(lock);
    EXPECT_EQ(readFile(path(held)), before);
    for (const Recording& r : kRecordings) {
      if (&r != &held) expectStaged(r);
    }
  }
}

struct LongFolderCase {
  const char* name;
  size_t tempPathLength;  // with GetTempPathA's trailing backslash
  bool written;
};

// 250 + "\S001.mp3" is 259 characters and fits 260 bytes with its zero; 251 does not. From 260
// on, GetTempPathA itself cannot deliver the folder.
const LongFolderCase kLongFolders[] = {
    {"name just fits", 250, true},
    {"name one byte too long", 251, false},
    {"name far too long", 255, false},
    {"folder alone fills the buffer", 259, false},
    {"folder longer than the buffer", 260, false},
    {"folder far beyond MAX_PATH", 300, false},
};

TEST_F(Staging, LongTemporaryFoldersWriteWholeNamesOrNothing) {
  for (const LongFolderCase& c : kLongFolders) {
    SCOPED_TRACE(c.name);
    std::string root = testfiles::freshFolder("long");
    std::string folder = testfiles::folderOfTempPathLength(root, c.tempPathLength);
    {
      testfiles::TempFolderScope temp(folder);
      // The case must reach GetTempPathA as intended.
      char probe[MAX_PATH];
      DWORD length = GetTempPathA(MAX_PATH, probe);
      if (c.tempPathLength < MAX_PATH) {
        ASSERT_EQ(length, c.tempPathLength);
      } else {
        ASSERT_TRUE(length == 0 || length >= MAX_PATH) << length;
      }
      dd::stageRecordings(self());
    }
    std::vector<std::string> files = filesUnder(root);
    if (c.written) {
      EXPECT_EQ(files.size(), 8u);
      for (const Recording& r : kRecordings) {
        EXPECT_EQ(readFile(folder + "\\" + r.fileName), resourceBytes(r.resourceId, "MP3"));
      }
    } else {
      EXPECT_TRUE(files.empty()) << files.size() << " files, first " << files.front();
    }
    testfiles::removeTree(root);
  }
}

TEST(TempFolderPath, JoinsWholeNamesOnly) {
  std::string root = testfiles::freshFolder("join");
  struct Case {
    size_t tempPathLength;
    const char* name;
    bool fits;
  } cases[] = {
      {250, "\\S001.mp3", true}, {251, "\\S001.mp3", false}, {258, "x", true}, {259, "x", false},
      {259, "", true},           {300, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tempPathLength << " + \"" << c.name << "\"");
    std::string folder = testfiles::folderOfTempPathLength(root, c.tempPathLength, false);
    testfiles::TempFolderScope temp(folder);
    char path[MAX_PATH];
    std::fill(std::begin(path), std::end(path), '#');
    EXPECT_EQ(dd::tempFolderPath(path, c.name), c.fits);
    EXPECT_EQ(std::string(path), c.fits ? folder + "\\" + c.name : std::string());
  }
  testfiles::removeTree(root);
}

}  // namespace
