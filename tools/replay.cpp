// dictadrill-replay: runs one drill from a script, headless, on recording fakes, and prints one
// JSON line per command with the calls it caused and the whole state after it.
// Usage: dictadrill-replay [SCRIPT | -]   or   dictadrill-replay --catalogue
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "controller.h"
#include "dialog_logic.h"
#include "recording_fakes.h"
#include "text.h"

namespace {

constexpr int kBadInput = 2;
constexpr const char* kProgram = "dictadrill-replay";

// Shift-JIS (code page 932) to UTF-8. A byte that does not convert becomes U+FFFD.
class Utf8Converter {
 public:
  Utf8Converter() : cd_(iconv_open("UTF-8", "CP932")) {}
  ~Utf8Converter() {
    if (ok()) iconv_close(cd_);
  }
  Utf8Converter(const Utf8Converter&) = delete;
  Utf8Converter& operator=(const Utf8Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts the zero-terminated text held in a field of cap bytes.
  std::string convert(const char* text, std::size_t cap) {
    std::size_t length = 0;
    while (length < cap && text[length] != 0) ++length;
    std::string out;
    char* in = const_cast<char*>(text);
    std::size_t inLeft = length;
    char buffer[1024];
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        out += "\xEF\xBF\xBD";  // U+FFFD for the byte that does not convert
        ++in;
        --inLeft;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

void appendJsonString(std::string& out, const std::string& utf8) {
  out += '"';
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

void appendField(std::string& out, const char* name, long long value, bool comma = true) {
  out += '"';
  out += name;
  out += "\":";
  out += std::to_string(value);
  if (comma) out += ',';
}

// One PracticeSettings field, by its name in the records, with its valid range.
struct SettingsField {
  const char* name;
  int32_t dd::PracticeSettings::*member;
  int32_t low, high;
};
constexpr SettingsField kSettingsFields[] = {
    {"orderMode", &dd::PracticeSettings::orderMode, 0, 2},
    {"presentation", &dd::PracticeSettings::presentation, 0, 2},
    {"japaneseStyle", &dd::PracticeSettings::japaneseStyle, 0, 1},
    {"speed", &dd::PracticeSettings::speed, 0, 1},
    {"hitSound", &dd::PracticeSettings::hitSound, 0, 2},
    {"missSound", &dd::PracticeSettings::missSound, 0, 2},
    {"timerHidden", &dd::PracticeSettings::timerHidden, 0, 1},
    {"autoRevealSeconds", &dd::PracticeSettings::autoRevealSeconds, 0, 600},
    {"chapterSelect", &dd::PracticeSettings::chapterSelect, 0, 1},
    {"chapter", &dd::PracticeSettings::chapter, 1, 20},
    {"rangeFirstLesson", &dd::PracticeSettings::rangeFirstLesson, 1, 419},
    {"rangeLastLesson", &dd::PracticeSettings::rangeLastLesson, 1, 419},
};

struct KeyName {
  const char* name;
  uint32_t code;
};
constexpr KeyName kKeyNames[] = {
    {"BACK", dd::kKeyBack},       {"TAB", dd::kKeyTab},       {"RETURN", dd::kKeyReturn},
    {"CONTROL", dd::kKeyControl}, {"ESCAPE", dd::kKeyEscape}, {"SPACE", dd::kKeySpace},
    {"DELETE", dd::kKeyDelete},
};

std::string stateLine(const ddtest::FakeDrill& drill, Utf8Converter& utf8) {
  const dd::DrillRecords& records = drill.records;
  const dd::DrillState& state = records.state;
  std::string out = "{\"calls\":[";
  for (int i = 0; i < drill.log.count; ++i) {
    if (i != 0) out += ',';
    out += '"';
    out += ddtest::callName(drill.log.calls[i]);
    out += '"';
  }
  out += "],\"state\":{";
  appendField(out, "screen", state.screen);
  appendField(out, "currentItem", state.currentItem);
  appendField(out, "nextTarget", state.nextTarget);
  out += "\"shownText\":";
  appendJsonString(out, utf8.convert(state.shownText, dd::kTextSize));
  out += ",\"assisted\":";
  out += state.assisted != 0 ? "true," : "false,";
  appendField(out, "startTimeMs", state.startTimeMs);
  appendField(out, "elapsedMs", state.elapsedMs);
  out += "\"bestTimeMs\":[";
  for (int i = 0; i < dd::kItemCount; ++i) {
    if (i != 0) out += ',';
    out += std::to_string(records.catalogue.items[i].bestTimeMs);
  }
  out += "],\"checked\":[";
  bool first = true;
  for (int i = 0; i < dd::kItemCount; ++i) {
    if (state.checked[i] == 0) continue;
    if (!first) out += ',';
    first = false;
    out += std::to_string(i);
  }
  out += "],";
  appendField(out, "checkedInRange", state.checkedInRange);
  out += "\"shuffleOrder\":[";
  for (int i = 0; i < dd::kShuffleSize; ++i) {
    if (i != 0) out += ',';
    out += std::to_string(state.shuffleOrder[i]);
    if (state.shuffleOrder[i] == -1) break;
  }
  out += "],";
  appendField(out, "shufflePos", state.shufflePos);
  out += "\"settings\":{";
  const int fieldCount = static_cast<int>(std::size(kSettingsFields));
  for (int i = 0; i < fieldCount; ++i) {
    const SettingsField& field = kSettingsFields[i];
    appendField(out, field.name, records.settings.*field.member, i + 1 < fieldCount);
  }
  out += "}}}\n";
  return out;
}

// The counts of the progress tally, as its edits show them.
std::string progressLine(const dd::ItemCatalogue& catalogue, Utf8Converter& utf8) {
  std::string out = "{\"calls\":[],\"progress\":{\"chapters\":[";
  char text[256];
  int32_t total = 0;
  for (int32_t chapter = 1; chapter <= dd::kChapterCount; ++chapter) {
    const int32_t done = dd::countChapterDone(catalogue, chapter);
    total += done;
    dd::formatDoneCount(text, done, dd::chapterSize[chapter - 1]);
    if (chapter > 1) out += ',';
    appendJsonString(out, utf8.convert(text, sizeof text));
  }
  out += "],\"total\":";
  dd::formatDoneCount(text, total, dd::kItemCount);
  appendJsonString(out, utf8.convert(text, sizeof text));
  out += "}}\n";
  return out;
}

// Writes a whole line at once, so a failure later never leaves half a line behind.
void writeLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

int printCatalogue(Utf8Converter& utf8) {
  auto records = std::make_unique<dd::DrillRecords>();
  dd::initialiseRecords(*records, 0);
  for (int i = 0; i < dd::kItemCount; ++i) {
    const dd::PracticeItem& item = records->catalogue.items[i];
    std::string out = "{";
    appendField(out, "index", i);
    out += "\"id\":";
    appendJsonString(out, utf8.convert(item.id, dd::kIdSize));
    out += ",\"english\":";
    appendJsonString(out, utf8.convert(item.english, dd::kTextSize));
    out += ",\"naturalJapanese\":";
    appendJsonString(out, utf8.convert(item.naturalJapanese, dd::kTextSize));
    out += ",\"literalJapanese\":";
    appendJsonString(out, utf8.convert(item.literalJapanese, dd::kTextSize));
    out += "}\n";
    writeLine(out);
  }
  return 0;
}

// Unsigned decimal or 0x hexadecimal that fits 32 bits; false for anything else.
bool parseUnsigned(std::string_view text, uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 10) return false;
  uint64_t result = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    result = result * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (result > 0xFFFFFFFFull) return false;
  }
  value = static_cast<uint32_t>(result);
  return true;
}

// Signed decimal that fits 32 bits.
bool parseSigned(std::string_view text, int64_t& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  uint32_t magnitude = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return false;
  if (!parseUnsigned(text, magnitude)) return false;
  value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return value >= INT32_MIN && value <= INT32_MAX;
}

class Replay {
 public:
  Replay() : drill_(std::make_unique<ddtest::FakeDrill>(0)) {}

  // Runs one line; the JSON line to print (empty for a comment or a blank line), or an error.
  bool run(const std::string& line, std::string& output, std::string& error) {
    output.clear();
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') return true;
    const std::size_t space = line.find_first_of(" \t", start);
    const std::string word = line.substr(start, space == std::string::npos ? space : space - start);
    const bool hasArgument = space != std::string::npos;
    const std::string raw = hasArgument ? line.substr(space + 1) : std::string();
    const std::string argument = trimmed(raw);

    drill_->log.clear();
    dd::DrillController& controller = drill_->controller;
    if (word == "tick" || word == "state") {
      if (!argument.empty()) return fail(error, "'" + word + "' takes no argument");
      if (word == "tick") dd::onTick(controller);
    } else if (word == "seed" || word == "clock") {
      uint32_t value = 0;
      if (!parseUnsigned(argument, value)) {
        return fail(error, "'" + word + "' needs an unsigned 32-bit number, got '" + raw + "'");
      }
      if (word == "seed") {
        dd::seedRandom(drill_->records.random, value);
      } else {
        drill_->host.clock = value;
      }
    } else if (word == "key") {
      uint32_t code = 0;
      if (!keyCode(argument, code)) {
        return fail(error,
                    "'key' needs BACK, TAB, RETURN, CONTROL, ESCAPE, SPACE, DELETE or a "
                    "decimal virtual-key code, got '" +
                        raw + "'");
      }
      dd::onKeyDown(controller, code);
    } else if (word == "char") {
      uint32_t code = 0;
      if (raw.size() == 1) {
        code = static_cast<unsigned char>(raw[0]);
      } else if (argument.size() < 3 || argument[0] != '0' || argument[1] != 'x' ||
                 !parseUnsigned(argument, code)) {
        return fail(error, "'char' needs one character or 0xNN, got '" + raw + "'");
      }
      dd::onChar(controller, code);
    } else if (word == "type") {
      for (const char c : raw) dd::onChar(controller, static_cast<unsigned char>(c));
    } else if (word == "set") {
      if (!setField(argument, error)) return false;
    } else if (word == "confirm") {
      // The settings dialog's OK with this text in the auto-reveal edit (at most 255 bytes).
      char text[256];
      dd::copyText(text, raw.c_str());
      dd::confirmSettings(drill_->records, text);
    } else if (word == "progress") {
      if (!argument.empty()) return fail(error, "'progress' takes no argument");
      output = progressLine(drill_->records.catalogue, utf8_);
      return true;
    } else {
      return fail(error, "unknown command '" + word + "'");
    }
    if (drill_->log.dropped != 0) return fail(error, "the command made too many calls to list");
    output = stateLine(*drill_, utf8_);
    return true;
  }

 private:
  static bool fail(std::string& error, const std::string& message) {
    error = message;
    return false;
  }

  static std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
  }

  static bool keyCode(const std::string& name, uint32_t& code) {
    for (const KeyName& key : kKeyNames) {
      if (name == key.name) {
        code = key.code;
        return true;
      }
    }
    if (name.size() > 2 && name[0] == '0' && name[1] == 'x') return false;  // decimal only
    return parseUnsigned(name, code);
  }

  bool setField(const std::string& argument, std::string& error) {
    const std::size_t space = argument.find_first_of(" \t");
    const std::string name = argument.substr(0, space);
    const std::string valueText =
        space == std::string::npos ? std::string() : trimmed(argument.substr(space));
    for (const SettingsField& field : kSettingsFields) {
      if (name != field.name) continue;
      int64_t value = 0;
      if (!parseSigned(valueText, value) || value < field.low || value > field.high) {
        return fail(error, "'set " + name + "' needs a whole number from " +
                               std::to_string(field.low) + " to " + std::to_string(field.high) +
                               ", got '" + valueText + "'");
      }
      drill_->records.settings.*field.member = static_cast<int32_t>(value);
      return true;
    }
    return fail(error, "'set' knows no field '" + name + "'");
  }

  std::unique_ptr<ddtest::FakeDrill> drill_;
  Utf8Converter utf8_;
};

int usage() {
  std::fprintf(stderr,
               "usage: %s [SCRIPT | -]    run a script (standard input without one or with -)\n"
               "       %s --catalogue     print the 419 items\n",
               kProgram, kProgram);
  return kBadInput;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) return usage();
  const std::string argument = argc == 2 ? argv[1] : "-";
  if (argument == "--help" || argument == "-h") {
    usage();
    return 0;
  }
  Utf8Converter utf8;
  if (!utf8.ok()) {
    std::fprintf(stderr, "%s: no CP932 to UTF-8 conversion in this C library\n", kProgram);
    return 1;
  }
  if (argument == "--catalogue") return printCatalogue(utf8);
  if (argument.size() > 1 && argument[0] == '-') return usage();

  std::ifstream file;
  if (argument != "-") {
    file.open(argument, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "%s: cannot open '%s'\n", kProgram, argument.c_str());
      return kBadInput;
    }
  }
  std::istream& in = argument == "-" ? std::cin : file;

  Replay replay;
  std::string line;
  std::string output;
  std::string error;
  long lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!replay.run(line, output, error)) {
      std::fprintf(stderr, "%s: line %ld: %s\n", kProgram, lineNumber, error.c_str());
      return kBadInput;
    }
    if (!output.empty()) writeLine(output);
  }
  return 0;
}
