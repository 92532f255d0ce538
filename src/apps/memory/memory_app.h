// MEMORY: the memory manager. Lists and deletes the data groups of main
// memory and sends them to storage memory or a PC file; lists, deletes and
// copies the files of storage memory and optimises it; imports files from
// the PC; saves and loads the backup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "memory/g1m_file.h"

void MemoryAppEntry(int isAppli, uint16_t option);

// The screens, each returning when the user leaves it.
void MemoryMainScreen();
void MemoryStorageScreen();
void MemoryBackupScreen();
// Asks the host for "*.g1*" files and imports each; shows how many items
// came in. Returns that number.
uint32_t MemoryImportFromPc();
// The same for files dropped on the window, whatever screen is showing;
// the screen comes back afterwards.
void MemoryImportDropped();

// One PC file (a host path) into main memory as the import does: the
// overwrite question (or `existing`'s answer), the progress window, and a
// box a person understands for every refusal when `showErrors` is set.
struct MemoryImportResult {
  int rc = 0;  // G1mImport's result, or the storage error of opening the file
  uint32_t imported = 0;
  uint32_t skipped = 0;
};
MemoryImportResult MemoryImportPcFile(const char* hostPath, G1mExisting existing, bool showErrors);

// Several PC files in turn, as above; returns the items imported in all.
// The import of files dropped on the window and of the command line's
// --import run through here.
uint32_t MemoryImportFiles(const std::vector<std::string>& hostPaths, G1mExisting existing,
                           bool showErrors);

// Writes one data group ("PROGRAM", "LIST 2", "@RUNMAT", ...) to a PC file:
// 0, kG1mErrNothing for a group without items, kMemoryUnknownGroup for a
// name that selects nothing, or the storage error.
inline constexpr int kMemoryUnknownGroup = -103;
int MemoryExportToPc(const char* groupName, const char* hostPath);

// What main memory holds, one item a line: group, folder, item name and
// size in bytes, separated by tabs (the alpha variables and the set-up
// record included).
std::vector<std::string> MemoryListing();

// Tells the file exchange where the set-up record lives.
void MemoryRegisterRecords();
