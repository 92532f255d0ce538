// Result codes of storage memory: 0 or a count on success, one of these on
// failure.
#pragma once

enum FsResult : int {
  kFsOk = 0,
  kFsNotFound = -1,         // entry not found / general failure
  kFsBadArgument = -2,      // bad handle or argument, record number out of range
  kFsPathNotFound = -3,     // path not found, or a name with a space
  kFsNoSpace = -4,          // not enough free space
  kFsBadDevice = -5,        // device not supported for this operation
  kFsDamaged = -6,          // directory structure damaged
  kFsTooManyOpen = -8,      // too many open files / file open
  kFsDirectoryFull = -12,   // directory full or size too large
  kFsExists = -13,          // name already exists
  kFsAccessDenied = -14,    // access denied
  kFsBadPosition = -19,     // bad position
  kFsNoSectorRecord = -26,  // no sector record with the requested block word
  kFsNoSearchSlot = -30,    // no free search slot
  kFsImageFailed = -31,     // image read or write failed
  kFsWrongType = -34,       // wrong entry type for the operation
  kFsCommitSetsBit = -35,   // a record commit would set a bit
  kFsImageInUse = -110,     // host only: the flash image is held by another calculator
};

// What a user is told about a result code of the host side (PC files and
// the flash image); nullptr for codes with no host meaning.
inline const char* FsHostErrorText(int rc) {
  switch (rc) {
    case kFsNotFound:
      return "no such file";
    case kFsPathNotFound:
      return "no such folder";
    case kFsNoSpace:
      return "no room on the disk";
    case kFsAccessDenied:
      return "access denied, or not a regular file";
    case kFsImageFailed:
      return "the file could not be read or written";
    case kFsImageInUse:
      return "another vk2280 (window or vk2280-cli) is using it";
    default:
      return nullptr;
  }
}
