// Reading calculator files into main memory, and the backup file.
#include <cstring>
#include <vector>

#include "memory/fs_api.h"
#include "memory/g1m_internal.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"
#include "memory/opt_ui.h"

namespace {

constexpr uint32_t kSetupLimit = kG1mSetupBytes;

struct ItemRead {
  char folder[kG1mNameLen + 1];
  char item[kG1mNameLen + 1];
  uint8_t kind;
  uint32_t size;
};

int MemoryError(uint32_t core, G1mImportReport* report) {
  report->memCode = MemPublicCode(core);
  return kG1mErrMemory;
}

// Reads `size` bytes of item data into `out`; a short read is a damaged file.
int ReadData(int handle, uint32_t size, std::vector<uint8_t>* out) {
  out->resize(size);
  int rc = 0;
  if (!G1mReadExact(handle, out->data(), size, &rc)) return rc < 0 ? rc : kG1mErrDamaged;
  return kG1mOk;
}

// The two "$GLOBAL" records replace the alpha variables and the set-up.
int ImportGlobal(int handle, const ItemRead& it, G1mImportReport* report) {
  uint8_t* target = nullptr;
  if (std::strcmp(it.item, kG1mAlphaItem) == 0) {
    if (it.size != kG1mAlphaBytes) return kG1mErrDamaged;
    target = MemVariable(0);
  } else if (std::strcmp(it.item, kG1mSetupItem) == 0) {
    if (it.size != kSetupLimit) return kG1mErrDamaged;
    target = G1mSetupRecord();
  }
  if (!target) {
    ++report->skipped;
    return kG1mOk;
  }
  std::vector<uint8_t> data;
  if (int rc = ReadData(handle, it.size, &data)) return rc;
  G1mConvert(G1mFormatCode(kG1mGlobalFolder, it.item), data.data(), it.size, G1mOrder::kToMemory);
  std::memcpy(target, data.data(), it.size);
  ++report->imported;
  return kG1mOk;
}

enum class Decision : uint8_t { kCreate, kSkip, kStop };

// What to do with an item that exists: ask, or follow the options.
Decision Existing(const ItemRead& it, const G1mImportOptions& options) {
  if (options.existing == G1mExisting::kOverwrite) return Decision::kCreate;
  if (options.existing == G1mExisting::kSkip || !options.ui || !options.ui->askOverwrite)
    return Decision::kSkip;
  const uint32_t answer = options.ui->askOverwrite(options.ui->ctx, it.folder, it.item);
  if (answer == kG1mAnswerOverwrite) return Decision::kCreate;
  return answer == kG1mAnswerStop ? Decision::kStop : Decision::kSkip;
}

int ImportItem(int handle, const ItemRead& it, const G1mImportOptions& options,
               G1mImportReport* report) {
  if (std::strcmp(it.folder, kG1mGlobalFolder) == 0) return ImportGlobal(handle, it, report);
  uint8_t normal[kMcsNameLen];
  if (!McsNormaliseName(it.folder, normal) || !McsNormaliseName(it.item, normal) || it.size == 0)
    return kG1mErrDamaged;

  McsItemInfo info;
  if (McsFindItem(it.folder, it.item, &info) == kMcsOk) {
    switch (Existing(it, options)) {
      case Decision::kSkip:
        ++report->skipped;
        return kG1mOk;
      case Decision::kStop:
        report->stopped = true;
        return kG1mOk;
      case Decision::kCreate:
        break;
    }
    if (uint32_t core = McsDeleteItem(it.folder, it.item)) return MemoryError(core, report);
  }
  FolderEntry entry{};
  uint32_t index = 0;
  if (McsFindFolder(it.folder, &entry, &index) != kMcsOk) {
    if (uint32_t core = McsCreateFolder(it.folder, &index)) return MemoryError(core, report);
  }
  // Created whole before any byte is copied, and removed again when the
  // file cannot fill it, so no half item stays behind.
  const uint32_t stored = (it.size + 3) & ~3u;
  if (stored < it.size) return kG1mErrDamaged;
  if (uint32_t core = McsCreateItem(it.folder, it.item, MemKindType(it.kind), stored, nullptr))
    return MemoryError(core, report);
  std::vector<uint8_t> data;
  int rc = ReadData(handle, it.size, &data);
  if (rc == kG1mOk) {
    G1mConvert(G1mFormatCode(it.folder, it.item), data.data(), it.size, G1mOrder::kToMemory);
    if (uint32_t core = McsWriteAt(it.folder, it.item, 0, it.size, data.data()))
      rc = MemoryError(core, report);
  }
  if (rc != kG1mOk) {
    McsDeleteItem(it.folder, it.item);
    return rc;
  }
  ++report->imported;
  return kG1mOk;
}

}  // namespace

const char16_t kG1mBackupPath[] = u"\\\\fls0\\BACKUP.g1m";

int G1mImport(int handle, const G1mImportOptions& options, G1mImportReport* report) {
  G1mImportReport local;
  if (!report) report = &local;
  *report = G1mImportReport{};
  const int fileSize = FsSize(handle);
  if (fileSize < 0) return fileSize;
  G1mHeader header;
  int rc = 0;
  if (FsSeek(handle, 0) < 0) return kFsBadPosition;
  if (!G1mReadExact(handle, &header, sizeof header, &rc)) return rc < 0 ? rc : kG1mErrNotData;
  for (uint8_t& b : reinterpret_cast<uint8_t(&)[kG1mHeaderSize]>(header))
    b = static_cast<uint8_t>(~b);
  rc = G1mValidateHeader(header, kG1mTypeData, static_cast<uint32_t>(fileSize));
  if (rc != kG1mOk) return rc;

  const uint32_t total = G1mGet16(header.count);
  uint32_t done = 0;
  uint32_t offset = kG1mHeaderSize;
  UiProgressOpen(options.progress);
  bool more = true;
  while (more && rc == kG1mOk && !report->stopped) {
    G1mGroupHeader gh;
    int readRc = 0;
    if (!G1mReadExact(handle, &gh, sizeof gh, &readRc) || gh.name[0] == 0xFF) {
      rc = readRc;
      break;
    }
    offset += sizeof gh;
    for (uint16_t n = G1mGet16(gh.count); n > 0 && rc == kG1mOk && !report->stopped; --n) {
      G1mItemHeader ih;
      if (!G1mReadExact(handle, &ih, sizeof ih, &readRc) || ih.folder[0] == 0xFF) {
        rc = readRc;
        more = false;
        break;
      }
      offset += sizeof ih;
      ItemRead it{};
      G1mNameFromField(ih.folder, kG1mNameLen, it.folder);
      G1mNameFromField(ih.item, kG1mNameLen, it.item);
      it.kind = ih.kind;
      it.size = G1mGet32(ih.size);
      if (it.size > static_cast<uint32_t>(fileSize) - offset) {
        rc = kG1mErrDamaged;
        break;
      }
      rc = ImportItem(handle, it, options, report);
      offset += it.size;
      // Skipped items leave the position where their data starts.
      if (rc == kG1mOk && FsSeek(handle, static_cast<int>(offset)) < 0) rc = kFsBadPosition;
      UiProgressUpdate(options.progress, ++done, total);
    }
  }
  UiProgressClose(options.progress);
  return rc;
}

int G1mImportFile(const char16_t* path, const G1mImportOptions& options, G1mImportReport* report) {
  const int handle = FsOpen(path, kOpenRead);
  if (handle < 0) return handle;
  const int rc = G1mImport(handle, options, report);
  FsClose(handle);
  return rc;
}

namespace {

// The new backup is written under this name and takes the backup's name
// only once it is complete, so a power cut never leaves neither.
const char16_t kBackupNewPath[] = u"\\\\fls0\\BACKUP~.g1m";
const char16_t kBackupName[] = u"BACKUP.g1m";

bool StorageFileExists(const char16_t* path) {
  const int handle = FsOpen(path, kOpenRead);
  if (handle >= 0) FsClose(handle);
  return handle >= 0;
}

// A cut between removing the old backup and renaming the new one left the
// complete new one under its working name: it becomes the backup.
void FinishInterruptedBackup() {
  if (!StorageFileExists(kG1mBackupPath) && StorageFileExists(kBackupNewPath))
    FsRename(kBackupNewPath, kBackupName);
}

}  // namespace

int G1mSaveBackup(const StorageUi* progress) {
  UiProgressOpen(progress);
  FinishInterruptedBackup();
  const std::vector<G1mGroup> groups = G1mWholeMemory();
  // A failed write removes its partial file and leaves the old backup.
  int rc = G1mWriteGroups(kBackupNewPath, groups.data(), groups.size());
  if (rc == 0) {
    rc = FsDelete(kG1mBackupPath);
    if (rc == kFsNotFound) rc = 0;
    if (rc == 0) rc = FsRename(kBackupNewPath, kBackupName);
  }
  UiProgressUpdate(progress, 1, 1);
  UiProgressClose(progress);
  return rc;
}

int G1mLoadBackup(const StorageUi* progress, G1mImportReport* report) {
  FinishInterruptedBackup();
  G1mImportOptions options;
  options.existing = G1mExisting::kOverwrite;
  options.progress = progress;
  const int rc = G1mImportFile(kG1mBackupPath, options, report);
  return rc == kFsNotFound ? kG1mErrNoBackup : rc;
}
