// The sentence player and the key sounds on a recording winmm: which commands go out, with which
// flags, blocks and device, in which order, and what the flags become.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fake_winmm.h"
#include "key_sounds.h"
#include "records.h"
#include "sentence_player.h"
#include "test_files.h"
#include "win_sound.h"

namespace {

// The command numbers and flags the player must send, written out as numbers.
constexpr UINT kOpen = 0x0803, kClose = 0x0804, kPlay = 0x0806, kSeek = 0x0807, kPause = 0x0809,
               kResume = 0x0855;
constexpr DWORD kTypeAndElement = 0x2200, kSeekToStart = 0x100;
constexpr DWORD kResourceAsync = 0x40005;

enum Op { Play, Close, Toggle };
enum Block { None, OpenBlock, SeekBlock, PlayBlock, CloseBlock };

struct Expected {
  UINT message;
  DWORD flags;
  Block block;
};

struct Scenario {
  const char* name;
  MCIERROR openResult;
  std::vector<Op> ops;
  std::vector<Expected> calls;
  uint8_t deviceOpen;
  uint8_t paused;
};

const Expected kOpenCall{kOpen, kTypeAndElement, OpenBlock};
const Expected kSeekCall{kSeek, kSeekToStart, SeekBlock};
const Expected kPlayCall{kPlay, 0, PlayBlock};
const Expected kPauseCall{kPause, 0, None};
const Expected kResumeCall{kResume, 0, None};
const Expected kCloseCall{kClose, 0, CloseBlock};

// clang-format off
const Scenario kScenarios[] = {
    {"play opens, seeks to the start, plays", 0, {Play},
     {kOpenCall, kSeekCall, kPlayCall}, 1, 0},
    {"play twice opens once", 0, {Play, Play},
     {kOpenCall, kSeekCall, kPlayCall, kSeekCall, kPlayCall}, 1, 0},
    {"toggle pauses", 0, {Play, Toggle},
     {kOpenCall, kSeekCall, kPlayCall, kPauseCall}, 1, 1},
    {"toggle twice resumes", 0, {Play, Toggle, Toggle},
     {kOpenCall, kSeekCall, kPlayCall, kPauseCall, kResumeCall}, 1, 0},
    {"play while paused restarts", 0, {Play, Toggle, Play},
     {kOpenCall, kSeekCall, kPlayCall, kPauseCall, kSeekCall, kPlayCall}, 1, 0},
    {"close while paused", 0, {Play, Toggle, Close},
     {kOpenCall, kSeekCall, kPlayCall, kPauseCall, kCloseCall}, 0, 0},
    {"play after close opens again", 0, {Play, Close, Play},
     {kOpenCall, kSeekCall, kPlayCall, kCloseCall, kOpenCall, kSeekCall, kPlayCall}, 1, 0},
    {"closed: toggle and close send nothing", 0, {Toggle, Close, Toggle},
     {}, 0, 0},
    {"failed open stays closed and silent", 275, {Play, Toggle, Close},
     {kOpenCall}, 0, 0},
    {"each play retries a failed open", 275, {Play, Play},
     {kOpenCall, kOpenCall}, 0, 0},
};
// clang-format on

class PlayerCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    records_ = std::make_unique<dd::DrillRecords>();
    dd::initialiseRecords(*records_, 1);
    player_ = std::make_unique<dd::SentencePlayer>();
    dd::initialisePlayer(*player_);
  }

  void run(Op op) {
    switch (op) {
      case Play:
        dd::play(*player_, records_->settings, records_->state, records_->catalogue);
        break;
      case Close:
        dd::close(*player_);
        break;
      case Toggle:
        dd::togglePause(*player_);
        break;
    }
  }

  DWORD_PTR blockAddress(Block block) const {
    switch (block) {
      case OpenBlock:
        return reinterpret_cast<DWORD_PTR>(&player_->openParams);
      case SeekBlock:
        return reinterpret_cast<DWORD_PTR>(&player_->seekParams);
      case PlayBlock:
        return reinterpret_cast<DWORD_PTR>(&player_->playParams);
      case CloseBlock:
        return reinterpret_cast<DWORD_PTR>(&player_->closeParams);
      case None:
        break;
    }
    return 0;
  }

  std::unique_ptr<dd::DrillRecords> records_;
  std::unique_ptr<dd::SentencePlayer> player_;
};

TEST_F(PlayerCalls, CommandsFlagsAndOrder) {
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    SetUp();
    fake::winmm.openResult = s.openResult;
    for (Op op : s.ops) run(op);
    const auto& calls = fake::winmm.mci;
    ASSERT_EQ(calls.size(), s.calls.size());
    for (size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "call " << i);
      const Expected& e = s.calls[i];
      EXPECT_EQ(calls[i].message, e.message);
      EXPECT_EQ(calls[i].flags, e.flags);
      EXPECT_EQ(calls[i].params, blockAddress(e.block));
      // Opens go to device 0; everything else to the identifier the open handed out.
      EXPECT_EQ(calls[i].device, e.message == kOpen ? 0u : fake::kDeviceId);
      if (e.block == SeekBlock || e.block == PlayBlock || e.block == CloseBlock) {
        EXPECT_TRUE(calls[i].blockZero);
      }
      if (e.message == kOpen) {
        EXPECT_EQ(calls[i].type, "MPEGVIDEO");
        EXPECT_EQ(calls[i].typeField, reinterpret_cast<DWORD_PTR>(player_->typeBuffer));
        EXPECT_EQ(calls[i].elementField, reinterpret_cast<DWORD_PTR>(player_->pathBuffer));
        EXPECT_EQ(calls[i].callback, 0u);
        EXPECT_EQ(calls[i].alias, 0u);
      }
    }
    EXPECT_EQ(player_->deviceOpen, s.deviceOpen);
    EXPECT_EQ(player_->paused, s.paused);
  }
}

TEST_F(PlayerCalls, OpensTheStagedFileOfItemAndSpeed) {
  struct Case {
    int32_t item, speed;
    const char* name;
  } cases[] = {
      {0, 0, "\\S001.mp3"}, {1, 0, "\\S002.mp3"}, {2, 0, "\\S003.mp3"}, {3, 0, "\\S004.mp3"},
      {0, 1, "\\N001.mp3"}, {1, 1, "\\N002.mp3"}, {2, 1, "\\N003.mp3"}, {3, 1, "\\N004.mp3"},
  };
  // The folder as GetTempPathA gives it, trailing backslash included, then the name with its
  // own leading backslash: the doubled separator is how the files are named.
  std::string temp = testfiles::originalTempFolder();
  ASSERT_EQ(temp.back(), '\\');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    records_->state.currentItem = c.item;
    records_->settings.speed = c.speed;
    run(Play);
    ASSERT_EQ(fake::winmm.mci.size(), 3u);
    EXPECT_EQ(fake::winmm.mci[0].element, temp + c.name);
    EXPECT_EQ(std::string(player_->pathBuffer), temp + c.name);
  }
}

TEST_F(PlayerCalls, AnOpenDeviceKeepsItsRecordingUntilClosed) {
  run(Play);
  records_->state.currentItem = 2;
  records_->settings.speed = 1;
  run(Play);
  EXPECT_EQ(fake::winmm.mci.size(), 5u);  // no second open
  run(Close);
  run(Play);
  ASSERT_EQ(fake::winmm.mci.size(), 9u);
  EXPECT_EQ(fake::winmm.mci[6].message, kOpen);
  const std::string& element = fake::winmm.mci[6].element;
  EXPECT_EQ(element.substr(element.size() - 9), "\\N003.mp3");
}

TEST_F(PlayerCalls, APathThatDoesNotFitIsAFailedOpenThatOpensNothing) {
  std::string root = testfiles::freshFolder("player");
  // 251 characters of folder leave 8 for "\S001.mp3"; 300 is more than GetTempPathA delivers.
  for (size_t length : {size_t{251}, size_t{300}}) {
    SCOPED_TRACE(length);
    SetUp();
    testfiles::TempFolderScope temp(testfiles::folderOfTempPathLength(root, length, false));
    run(Play);
    run(Toggle);
    run(Close);
    EXPECT_TRUE(fake::winmm.mci.empty());
    EXPECT_EQ(player_->deviceOpen, 0);
    EXPECT_EQ(player_->paused, 0);
    EXPECT_EQ(player_->pathBuffer[0], 0) << "a cut-off path was left behind";
  }
  testfiles::removeTree(root);
}

TEST(KeySoundCalls, EachCodePlaysItsWaveResourceOrNothing) {
  struct Case {
    bool hit;
    int32_t code;
    int resourceId;  // 0: silence
  } cases[] = {
      {true, 0, 0},  {true, 1, 118},  {true, 2, 123},  {true, 3, 0},  {true, -1, 0},
      {false, 0, 0}, {false, 1, 120}, {false, 2, 121}, {false, 3, 0}, {false, -1, 0},
  };
  HINSTANCE self = GetModuleHandleA(nullptr);
  auto records = std::make_unique<dd::DrillRecords>();
  dd::initialiseRecords(*records, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.hit ? "hit " : "miss ") << c.code);
    fake::reset();
    dd::PracticeSettings& settings = records->settings;
    settings.hitSound = c.hit ? c.code : 1;
    settings.missSound = c.hit ? 1 : c.code;
    c.hit ? dd::playHit(self, settings) : dd::playMiss(self, settings);
    if (c.resourceId == 0) {
      EXPECT_TRUE(fake::winmm.sounds.empty());
      continue;
    }
    ASSERT_EQ(fake::winmm.sounds.size(), 1u);
    const fake::SoundCall& call = fake::winmm.sounds[0];
    EXPECT_EQ(call.name, static_cast<DWORD_PTR>(c.resourceId));
    EXPECT_EQ(call.module, self);
    EXPECT_EQ(call.flags, kResourceAsync);
    // SND_RESOURCE looks among "WAVE" resources: the clip must be there, as a RIFF WAVE file.
    HRSRC found = FindResourceA(call.module, reinterpret_cast<LPCSTR>(call.name), "WAVE");
    ASSERT_NE(found, nullptr);
    std::vector<uint8_t> clip = testfiles::resourceBytes(c.resourceId, "WAVE");
    ASSERT_GE(clip.size(), 12u);
    EXPECT_EQ(std::string(clip.begin(), clip.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(clip.begin() + 8, clip.begin() + 12), "WAVE");
  }
}

// The program's sound over fresh records, on the recording winmm.
class WinSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    dd::initialiseRecords(*records, 1);
  }

  HINSTANCE self = GetModuleHandleA(nullptr);
  std::unique_ptr<dd::DrillRecords> records = std::make_unique<dd::DrillRecords>();
  std::unique_ptr<dd::WinSound> sound = std::make_unique<dd::WinSound>(self, *records);
  dd::DrillSound& drill = *sound;
};

TEST_F(WinSoundTest, FollowsTheLiveRecords) {
  records->state.currentItem = 3;
  records->settings.speed = 1;
  drill.play();
  drill.togglePause();
  EXPECT_EQ(sound->player().paused, 1);
  drill.close();
  EXPECT_EQ(sound->player().deviceOpen, 0);
  ASSERT_EQ(fake::winmm.mci.size(), 5u);
  const std::string& element = fake::winmm.mci[0].element;
  EXPECT_EQ(element.substr(element.size() - 9), "\\N004.mp3");
  EXPECT_EQ(fake::winmm.mci[4].message, kClose);

  records->settings.hitSound = 2;
  records->settings.missSound = 0;
  drill.playHit();
  drill.playMiss();
  ASSERT_EQ(fake::winmm.sounds.size(), 1u);
  EXPECT_EQ(fake::winmm.sounds[0].name, 123u);
}

// Polls until the clip thread has started count clips, for at most two seconds.
bool waitForClips(const dd::ClipThread& clips, LONG count) {
  for (int i = 0; i < 200 && clips.clipsStarted() < count; ++i) Sleep(10);
  return clips.clipsStarted() >= count;
}

TEST_F(WinSoundTest, KeyClipsStartOnTheClipThreadOnceItRuns) {
  ASSERT_TRUE(sound->startClipThread());
  EXPECT_TRUE(sound->clips().running());

  records->settings.hitSound = 2;
  drill.playHit();
  ASSERT_TRUE(waitForClips(sound->clips(), 1)) << "the clip never started";
  std::vector<fake::SoundCall> calls = fake::soundsSoFar();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].name, 123u);
  EXPECT_EQ(calls[0].module, self);
  EXPECT_EQ(calls[0].flags, kResourceAsync);
  EXPECT_NE(calls[0].thread, GetCurrentThreadId()) << "started on the window's thread";

  // Silence asks the thread for nothing, and cuts nothing off.
  records->settings.missSound = 0;
  drill.playMiss();
  Sleep(50);
  EXPECT_EQ(sound->clips().clipsStarted(), 1);

  // Keys faster than the clips: some may be passed over, but the last one asked for is the
  // last one started, and nothing is started twice over.
  const int ids[] = {118, 121, 123, 118, 121, 120};  // 120 only at the end
  for (int i = 0; i < 6; ++i) {
    records->settings.hitSound = ids[i] == 118 ? 1 : 2;
    records->settings.missSound = ids[i] == 120 ? 1 : 2;
    ids[i] == 118 || ids[i] == 123 ? drill.playHit() : drill.playMiss();
  }
  for (int i = 0; i < 200 && fake::soundsSoFar().back().name != 120u; ++i) Sleep(10);
  Sleep(50);
  calls = fake::soundsSoFar();
  EXPECT_EQ(calls.back().name, 120u) << "the last clip asked for never started";
  EXPECT_GE(calls.size(), 2u);
  EXPECT_LE(calls.size(), 7u);

  // Stopped: clips start on the caller's thread again, at once.
  sound->stopClipThread();
  EXPECT_FALSE(sound->clips().running());
  fake::reset();
  records->settings.hitSound = 1;
  drill.playHit();
  ASSERT_EQ(fake::winmm.sounds.size(), 1u);
  EXPECT_EQ(fake::winmm.sounds[0].name, 118u);
  EXPECT_EQ(fake::winmm.sounds[0].thread, GetCurrentThreadId());
}

}  // namespace
