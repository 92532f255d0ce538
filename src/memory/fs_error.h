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
};
