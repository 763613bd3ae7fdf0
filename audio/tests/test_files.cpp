#include "test_files.h"

#include <cstdio>

namespace testfiles {

namespace {

// Long paths go through the wide API with the \\?\ prefix, which has no MAX_PATH limit.
std::wstring extended(const std::string& path) {
  std::wstring wide = L"\\\\?\\";
  for (char c : path) wide.push_back(static_cast<unsigned char>(c));
  return wide;
}

std::string narrow(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

bool readVariable(const char* name, std::string& value) {
  char buffer[32768];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return false;
  value.assign(buffer, n);
  return true;
}

template <typename Visit>
void walk(const std::string& folder, Visit visit) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(extended(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = narrow(found.cFileName);
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder) walk(path, visit);
    visit(path, isFolder);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

std::string originalTempFolder() {
  static std::string folder = [] {
    char path[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, path);
    return std::string(path, n);
  }();
  return folder;
}

TempFolderScope::TempFolderScope(const std::string& folder) {
  originalTempFolder();
  hadTmp_ = readVariable("TMP", savedTmp_);
  hadTemp_ = readVariable("TEMP", savedTemp_);
  SetEnvironmentVariableA("TMP", folder.c_str());
  SetEnvironmentVariableA("TEMP", folder.c_str());
}

TempFolderScope::~TempFolderScope() {
  SetEnvironmentVariableA("TMP", hadTmp_ ? savedTmp_.c_str() : nullptr);
  SetEnvironmentVariableA("TEMP", hadTemp_ ? savedTemp_.c_str() : nullptr);
}

std::string freshFolder(const char* tag) {
  static int counter = 0;
  char name[96];
  std::snprintf(name, sizeof name, "dd-%s-%lu-%d", tag,
                static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
  std::string folder = originalTempFolder() + name;
  removeTree(folder);
  makeTree(folder);
  return folder;
}

std::string folderOfTempPathLength(const std::string& root, size_t length, bool create) {
  std::string folder = root;
  // Components of at most 100 characters; never leave a remainder too short to be a component.
  while (folder.size() + 1 < length) {
    size_t room = length - 1 - folder.size() - 1;  // after the separator
    size_t part = room > 100 ? (room - 100 < 2 ? 90 : 100) : room;
    folder += "\\" + std::string(part, 'd');
  }
  if (create) makeTree(folder);
  return folder;
}

void makeTree(const std::string& folder) {
  for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1)) {
    CreateDirectoryW(extended(folder.substr(0, at)).c_str(), nullptr);
  }
  CreateDirectoryW(extended(folder).c_str(), nullptr);
}

void removeTree(const std::string& folder) {
  walk(folder, [](const std::string& path, bool isFolder) {
    if (isFolder) {
      RemoveDirectoryW(extended(path).c_str());
    } else {
      DeleteFileW(extended(path).c_str());
    }
  });
  RemoveDirectoryW(extended(folder).c_str());
}

std::vector<std::string> filesUnder(const std::string& folder) {
  std::vector<std::string> files;
  walk(folder, [&](const std::string& path, bool isFolder) {
    if (!isFolder) files.push_back(path);
  });
  return files;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size;
  GetFileSizeEx(file, &size);
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  bytes.resize(got);
  CloseHandle(file);
  return bytes;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::vector<uint8_t> resourceBytes(int id, const char* type) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), type);
  if (!found) return {};
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(self, found)));
  return std::vector<uint8_t>(bytes, bytes + SizeofResource(self, found));
}

}  // namespace testfiles
