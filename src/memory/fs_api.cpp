#include "memory/fs_api.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "memory/fs_error.h"
#include "memory/opt_ui.h"

namespace {

struct ErrnoCode {
  int host;
  int code;
};
const ErrnoCode kPcErrors[] = {{ENOENT, kFsNotFound},     {EBADF, kFsBadArgument},
                               {EACCES, kFsAccessDenied}, {EEXIST, kFsExists},
                               {EINVAL, kFsBadPosition},  {EMFILE, kFsTooManyOpen},
                               {ENOSPC, kFsNoSpace}};
const ErrnoCode kPcFolderErrors[] = {{ENOENT, kFsPathNotFound},
                                     {EACCES, kFsAccessDenied},
                                     {EEXIST, kFsExists},
                                     {EINVAL, kFsBadArgument},
                                     {EMFILE, kFsTooManyOpen}};

template <size_t N>
int Lookup(const ErrnoCode (&table)[N], int host_errno) {
  for (const ErrnoCode& e : table)
    if (e.host == host_errno) return e.code;
  return kFsImageFailed;
}

int Parse(const char16_t* path, FsPath* p) {
  return FsParsePath(path, p);
}

// The handle's own value for `device`, or -5 / -2.
int HandleValue(int handle, int* device) {
  if (handle < 0) return kFsBadArgument;
  *device = HandleDevice(handle);
  if (*device != kDevFlash && *device != kDevPc) return kFsBadDevice;
  return handle & 0xFFFFFF;
}

int WithHandle(int handle, int (*flash)(int), int (*pc)(int)) {
  int device;
  int v = HandleValue(handle, &device);
  if (v < 0) return v;
  return device == kDevFlash ? flash(v) : pc(v);
}

}  // namespace

int PcErrorCode(int host_errno) {
  return Lookup(kPcErrors, host_errno);
}
int PcFolderErrorCode(int host_errno) {
  return Lookup(kPcFolderErrors, host_errno);
}

int FsOpen(const char16_t* path, int mode) {
  FsPath p;
  int rc = Parse(path, &p);
  if (rc != 0) return rc;
  if (p.device == kDevFlash) {
    int slot = SmOpen(p, mode);
    return slot < 0 ? slot : MakeHandle(kDevFlash, slot);
  }
  int flags = mode == kOpenRead || mode == kOpenReadAlt ? O_RDONLY
              : mode == kOpenWrite                      ? O_WRONLY
                                                        : O_RDWR;
  int fd = open(p.host.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return PcErrorCode(errno);
  if (fd > 0xFFFFFF) {
    close(fd);
    return kFsTooManyOpen;
  }
  return MakeHandle(kDevPc, fd);
}

int FsClose(int handle) {
  return WithHandle(handle, SmClose, [](int fd) {
    if (close(fd) == 0) return 0;
    return errno == EBADF ? int(kFsBadArgument) : int(kFsImageFailed);
  });
}

int FsCreate(const char16_t* path, int entry_kind, uint32_t size) {
  FsPath p;
  int rc = Parse(path, &p);
  if (rc != 0) return rc;
  if (p.device == kDevFlash) return SmCreate(p, entry_kind, size);
  if (entry_kind == kEntryFolder)
    return mkdir(p.host.c_str(), 0700) == 0 ? 0 : PcFolderErrorCode(errno);
  int fd = open(p.host.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
  // Creating, a missing name can only be a missing folder.
  if (fd < 0) return errno == ENOENT ? int(kFsPathNotFound) : PcErrorCode(errno);
  close(fd);
  return 0;
}

int FsRead(int handle, void* buf, int count, int position) {
  int device;
  int v = HandleValue(handle, &device);
  if (v < 0) return v;
  if (device == kDevFlash) return SmRead(v, buf, count, position);
  if (count < 0) return kFsBadArgument;
  if (position >= 0 && lseek(v, position, SEEK_SET) < 0) return PcErrorCode(errno);
  ssize_t n = read(v, buf, size_t(count));
  return n < 0 ? PcErrorCode(errno) : int(n);
}

int FsWrite(int handle, const void* data, int count) {
  int device;
  int v = HandleValue(handle, &device);
  if (v < 0) return v;
  if (device == kDevFlash) return SmWrite(v, data, count);
  if (count < 1) return 0;
  ssize_t n = write(v, data, size_t(count));
  return n < 0 ? PcErrorCode(errno) : int(n);
}

int FsSeek(int handle, int position) {
  int device;
  int v = HandleValue(handle, &device);
  if (v < 0) return v;
  if (device == kDevFlash) return SmSeek(v, position);
  if (position < 0) return kFsBadPosition;
  off_t at = lseek(v, position, SEEK_SET);
  return at < 0 ? PcErrorCode(errno) : int(at);
}

int FsSize(int handle) {
  return WithHandle(handle, SmSize, [](int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return int(kFsBadArgument);
    return st.st_size > 0x7FFFFFFF ? 0x7FFFFFFF : int(st.st_size);
  });
}

int FsDelete(const char16_t* path) {
  FsPath p;
  int rc = Parse(path, &p);
  if (rc != 0) return rc;
  if (p.device == kDevFlash) return SmDelete(p);
  // A device node or pipe at the path is never removed: an export aimed at
  // one must fail, not take the node away (as root it could).
  struct stat st;
  if (lstat(p.host.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode) &&
      !S_ISDIR(st.st_mode))
    return kFsAccessDenied;
  return std::remove(p.host.c_str()) == 0 ? 0 : PcErrorCode(errno);
}

int FsRename(const char16_t* path, const char16_t* new_name) {
  FsPath p;
  int rc = Parse(path, &p);
  if (rc != 0) return rc;
  if (p.device != kDevFlash) return kFsBadDevice;
  FsPath np;
  if (new_name && new_name[0] == u'\\') {
    rc = Parse(new_name, &np);
    if (rc != 0) return rc;
    if (np.device != kDevFlash) return kFsBadDevice;
  } else {
    // A bare name stays in the same folder.
    np = p;
    int len = FsStrLen(new_name);
    if (len == 0 || len > kFileNameMax) return kFsPathNotFound;
    for (int i = 0; i < len; ++i) np.name[i] = new_name[i];
    np.name[len] = 0;
    np.name_len = len;
  }
  return SmRename(p, np);
}

int FsFindFirst(const char16_t* pattern, int* handle, char16_t* name, FsFindInfo* info) {
  FsPath p;
  int rc = Parse(pattern, &p);
  if (rc != 0) return rc;
  if (p.device != kDevFlash) return kFsBadDevice;
  int slot = 0;
  rc = SmFindFirst(p, &slot, name, info);
  if (rc != 0) return rc;
  *handle = MakeHandle(kDevFlash, slot);
  return 0;
}

int FsFindNext(int handle, char16_t* name, FsFindInfo* info) {
  int device;
  int v = HandleValue(handle, &device);
  if (v < 0) return v;
  if (device != kDevFlash) return kFsBadDevice;
  return SmFindNext(v, name, info);
}

int FsFindClose(int handle) {
  int device;
  int v = HandleValue(handle, &device);
  if (v < 0) return v;
  if (device != kDevFlash) return kFsBadDevice;
  return SmFindClose(v);
}

int FsFreeSpace(const char16_t* device_path) {
  FsPath p;
  int rc = Parse(device_path, &p);
  if (rc != 0) return rc;
  if (p.device == kDevPc) return 0x10000000;
  return int(SmFreeSpace(kKindPlain));
}

int FsFormat(const char16_t* device_path, bool full) {
  FsPath p;
  int rc = Parse(device_path, &p);
  if (rc != 0) return rc;
  if (p.device != kDevFlash) return kFsBadDevice;
  return SmFormat(full, StorageUiGet());
}

int FsHasSpace(const char16_t* path, uint32_t size) {
  FsPath p;
  int rc = Parse(path, &p);
  if (rc != 0) return rc;
  if (p.device == kDevFlash) {
    int kind = p.name_len ? FileKindOf(p.name, p.name_len, p.folder_len == 0) : kKindPlain;
    int64_t free_bytes = SmFreeSpace(kind);
    if (free_bytes < 0) return int(free_bytes);
    return free_bytes >= int64_t(size) ? 0 : kFsNoSpace;
  }
  std::string dir = p.host.substr(0, p.host.rfind('/') + 1);
  struct statvfs vfs;
  if (statvfs(dir.empty() ? "/" : dir.c_str(), &vfs) != 0)
    return errno == ENOENT ? int(kFsPathNotFound) : PcErrorCode(errno);
  return uint64_t(vfs.f_bavail) * vfs.f_frsize >= size ? 0 : kFsNoSpace;
}
