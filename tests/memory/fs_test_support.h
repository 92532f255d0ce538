// Shared by the storage tests: a strict flash under the image layer, file
// helpers through the path interface, seeded stores and a check that every
// file a user had is still there, byte for byte.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "memory/flash_emu.h"
#include "memory/fs_api.h"
#include "memory/opt_run.h"

using Bytes = std::vector<uint8_t>;
using FileModel = std::map<std::u16string, Bytes>;  // path -> contents

inline const std::u16string kFlashDevice = u"\\\\fls0\\";
std::u16string U(const std::string& ascii);
std::u16string FlashPath(const std::string& name);  // kFlashDevice + name
Bytes Pattern(uint32_t size, uint32_t seed);        // deterministic bytes for a file

// The emulator attached to the image layer (blank, unformatted); detached
// again at destruction.
struct FlashRig {
  FlashEmu emu;
  FlashRig() { Blank(); }
  ~FlashRig();
  void Blank();
  void Format();  // blank, formatted and mounted
  // Power back on with this image (or the current one), nothing mounted.
  void Reload(const Bytes* image = nullptr);
  // Starts again from the image as after a restart: power on, plan without
  // asking, continue, check and repair. Returns StorageStartup's result.
  int Restart(StorageStartupReport* report = nullptr);
};

// A private folder on the host, removed with everything in it.
class PcFolder {
 public:
  PcFolder();
  ~PcFolder();
  const std::string& Dir() const { return dir_; }
  std::string HostFile(const std::string& name) const { return dir_ + "/" + name; }
  // "Z:\<folder>\name": a PC file reached through the storage interface.
  std::u16string PcFile(const std::string& name) const;
  Bytes ReadHost(const std::string& name) const;
  void WriteHost(const std::string& name, const Bytes& bytes) const;

 private:
  std::string dir_;
};

// A user interface that answers and records.
struct UiDouble {
  std::vector<int> answers;  // given in order; continue once they run out
  int asked = 0, opened = 0, closed = 0;
  std::vector<std::pair<uint32_t, uint32_t>> progress;
  std::vector<std::string> window_lines, question_lines;
  StorageUi table;
  UiDouble();
};

// Create, open, write and close; 0 or the first negative code.
int WriteFile(const std::u16string& path, const Bytes& data, int write_chunk = 4096);
int ReadFile(const std::u16string& path, Bytes* out);
// Names in a folder ("" = root) that match the pattern.
std::vector<std::u16string> ListFolder(const std::string& folder,
                                       const std::string& pattern = "*.*");

// Every model file is present with its bytes; the store is consistent; the
// flash rules were kept. Empty string when all is well, else what is wrong.
std::string VerifyStore(const FlashRig& rig, const FileModel& model);

// A seeded store: small and large files, some deleted again, some in folders,
// some add-ins (8 KB aligned).
struct StoreRecipe {
  uint32_t seed = 1;
  int small_files = 20;
  int large_files = 4;
  uint32_t large_size = 40000;
  int delete_every = 3;  // every n-th file is deleted again
  int folders = 1;
  int addin_every = 8;  // every n-th file is an add-in; 0: none
};
FileModel BuildStore(const StoreRecipe& recipe);
