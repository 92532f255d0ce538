// File dialogs the OS's file exchange asks for, answered by the front end.
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "host/services/calc_file_name.h"
#include "host/services/front_end.h"
#include "host/services/host_internal.h"

namespace {

int CopyOut(const std::string& text, char* buffer, size_t capacity) {
  if (!buffer || capacity == 0 || text.size() + 1 > capacity) return 0;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return 1;
}

// Dropped files wait here between the UI thread and the OS thread.
std::mutex gDropMutex;
std::vector<std::string> gDropped;

// One call per path; 1 when any item came in.
int ImportEach(const std::vector<std::string>& paths, ImportOneFile importOne, void* context) {
  long total = 0;
  for (const std::string& path : paths) {
    int imported = importOne(path.c_str(), context);
    if (imported < 0) return 0;
    total += imported;
  }
  return total > 0 ? 1 : 0;
}

std::string CopyIn(const char* buffer, size_t capacity) {
  if (!buffer) return {};
  return std::string(buffer, strnlen(buffer, capacity));
}

}  // namespace

int HostOpenCalcFiles(ImportOneFile importOne, void* context) {
  HostFrontEnd* fe = HostCurrentFrontEnd();
  std::vector<std::string> paths;
  if (!fe || !importOne || !fe->ChooseCalcFilesToOpen(&paths)) return 0;
  return ImportEach(paths, importOne, context);
}

void HostDropCalcFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  {
    std::lock_guard<std::mutex> lock(gDropMutex);
    gDropped.insert(gDropped.end(), paths.begin(), paths.end());
  }
  PostCode(kHostCodeFilesDropped, 0);
}

int HostImportDroppedFiles(ImportOneFile importOne, void* context) {
  std::vector<std::string> paths;
  {
    std::lock_guard<std::mutex> lock(gDropMutex);
    paths.swap(gDropped);
  }
  if (!importOne) return 0;
  return ImportEach(paths, importOne, context);
}

int HostChooseG1eToOpen(char* buffer, size_t capacity) {
  HostFrontEnd* fe = HostCurrentFrontEnd();
  std::string path = CopyIn(buffer, capacity);
  if (!fe || !fe->ChooseG1eToOpen(&path)) return 0;
  return CopyOut(path, buffer, capacity);
}

int HostChooseG1eToSave(char* buffer, size_t capacity) {
  HostFrontEnd* fe = HostCurrentFrontEnd();
  std::string path = CopyIn(buffer, capacity);
  if (!fe || !fe->ChooseG1eToSave(&path)) return 0;
  return CopyOut(CalcSaveNameFromPath(path), buffer, capacity);
}

int HostBrowseFolder(char* buffer, size_t capacity) {
  HostFrontEnd* fe = HostCurrentFrontEnd();
  std::string folder = CopyIn(buffer, capacity);
  if (!fe || !fe->BrowseFolder(&folder)) return 0;
  return CopyOut(folder, buffer, capacity);
}

void DroppedFilesResetForTest() {
  std::lock_guard<std::mutex> lock(gDropMutex);
  gDropped.clear();
}
