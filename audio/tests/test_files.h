// File helpers for the staging and player tests: private temporary folders, trees with paths
// longer than MAX_PATH, and resource bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testfiles {

// The temporary folder of the process as it was before any test changed TMP/TEMP.
std::string originalTempFolder();

// Points TMP and TEMP at folder for the lifetime of the scope.
class TempFolderScope {
 public:
  explicit TempFolderScope(const std::string& folder);
  ~TempFolderScope();
  TempFolderScope(const TempFolderScope&) = delete;
  TempFolderScope& operator=(const TempFolderScope&) = delete;

 private:
  std::string savedTmp_, savedTemp_;
  bool hadTmp_, hadTemp_;
};

// A fresh, empty folder under the original temporary folder; removed by removeTree.
std::string freshFolder(const char* tag);

// A folder under root whose path, with the trailing backslash GetTempPathA adds, is exactly
// length characters long. Created unless create is false.
std::string folderOfTempPathLength(const std::string& root, size_t length, bool create = true);

void makeTree(const std::string& folder);
void removeTree(const std::string& folder);

// Every file (not folder) under folder, at any depth, even beyond MAX_PATH.
std::vector<std::string> filesUnder(const std::string& folder);

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The bytes of resource id of the given type in this executable; empty if there is none.
std::vector<uint8_t> resourceBytes(int id, const char* type);

}  // namespace testfiles
