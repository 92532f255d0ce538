// The path-based storage file interface: one set of operations for the
// storage memory ("\\fls0\FOLDER\NAME.g1m") and for files of the PC
// ("Z:\home\me\NAME.g1m"). Results are 0 or a count on success, a negative
// code (fs_error.h) on failure. Handles carry the device in bits 24-27.
#pragma once

#include <cstdint>

#include "memory/fs_error.h"
#include "memory/fs_store.h"

constexpr int HandleDevice(int handle) {
  return (handle >> 24) & 0xF;
}
constexpr int MakeHandle(int device, int value) {
  return device << 24 | value;
}

// Open modes for PC files (the storage memory ignores the mode).
constexpr int kOpenRead = 1;
constexpr int kOpenReadAlt = 128;
constexpr int kOpenWrite = 2;
constexpr int kOpenReadWrite = 3;

// Entry kinds for FsCreate.
constexpr int kEntryFile = 1;
constexpr int kEntryFolder = 5;

int FsOpen(const char16_t* path, int mode);
int FsClose(int handle);
int FsCreate(const char16_t* path, int entry_kind, uint32_t size);
// position < 0: from the current position.
int FsRead(int handle, void* buf, int count, int position);
int FsWrite(int handle, const void* data, int count);
int FsSeek(int handle, int position);
int FsSize(int handle);
int FsDelete(const char16_t* path);
// new_name: a path in the same folder, or a bare name.
int FsRename(const char16_t* path, const char16_t* new_name);
int FsFindFirst(const char16_t* pattern, int* handle, char16_t* name, FsFindInfo* info);
int FsFindNext(int handle, char16_t* name, FsFindInfo* info);
int FsFindClose(int handle);
int FsFreeSpace(const char16_t* device_path);
int FsFormat(const char16_t* device_path, bool full);
int FsHasSpace(const char16_t* path, uint32_t size);

// Host error numbers as storage codes (exposed for tests).
int PcErrorCode(int host_errno);
int PcFolderErrorCode(int host_errno);
