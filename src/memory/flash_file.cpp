#include "memory/flash_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "memory/fs_error.h"
#include "memory/fs_store.h"

namespace {

int g_fd = -1;

int FileRead(void* ctx, uint32_t addr, uint8_t* buf, uint32_t n) {
  int fd = *static_cast<int*>(ctx);
  while (n > 0) {
    ssize_t got = pread(fd, buf, n, off_t(addr));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return -1;
    buf += got;
    addr += uint32_t(got);
    n -= uint32_t(got);
  }
  return 0;
}

int FileWrite(int fd, uint32_t addr, const uint8_t* data, uint32_t n) {
  while (n > 0) {
    ssize_t put = pwrite(fd, data, n, off_t(addr));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return -1;
    data += put;
    addr += uint32_t(put);
    n -= uint32_t(put);
  }
  return 0;
}

int FileProgram(void* ctx, uint32_t addr, const uint8_t* data, uint32_t n) {
  return FileWrite(*static_cast<int*>(ctx), addr, data, n);
}

int FileErase(void* ctx, uint32_t addr) {
  static uint8_t blank[kSectorSize];
  if (blank[0] != 0xFF) std::memset(blank, 0xFF, sizeof blank);
  return FileWrite(*static_cast<int*>(ctx), addr, blank, kSectorSize);
}

const FlashMediumOps kFileOps = {FileRead, FileProgram, FileErase};

int PrivateFolder(std::string* folder) {
  *folder = HostTempFolder() + "/vk2280-" + std::to_string(getuid());
  if (mkdir(folder->c_str(), 0700) != 0 && errno != EEXIST) return kFsAccessDenied;
  struct stat st;
  if (lstat(folder->c_str(), &st) != 0) return kFsAccessDenied;
  // Someone else's folder or a link planted in a shared /tmp is never used.
  if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return kFsAccessDenied;
  if ((st.st_mode & 077) != 0 && chmod(folder->c_str(), 0700) != 0) return kFsAccessDenied;
  return 0;
}

}  // namespace

std::string HostTempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && tmp[0] ? tmp : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

int FlashResolveImagePath(const char* explicit_path, std::string* out, bool* private_folder) {
  *private_folder = false;
  if (explicit_path && explicit_path[0]) {
    *out = explicit_path;
    return 0;
  }
  const char* env = std::getenv(kFlashEnvVar);
  if (env && env[0]) {
    *out = env;
    return 0;
  }
  std::string folder;
  int rc = PrivateFolder(&folder);
  if (rc != 0) return rc;
  *out = folder + "/" + kFlashImageName;
  *private_folder = true;
  return 0;
}

int FlashImageOpen(const std::string& path, bool no_follow, bool* created) {
  FlashImageClose();
  *created = false;
  int extra = O_CLOEXEC | (no_follow ? O_NOFOLLOW : 0);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | extra, 0600);
  if (fd >= 0) {
    *created = true;
  } else if (errno == EEXIST) {
    fd = open(path.c_str(), O_RDWR | extra);
  }
  if (fd < 0) return errno == EACCES || errno == ELOOP ? kFsAccessDenied : kFsImageFailed;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return kFsAccessDenied;
  }
  // One calculator per image: two writing the same directory would lose
  // files. The lock goes with the descriptor.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return errno == EWOULDBLOCK ? kFsImageInUse : kFsImageFailed;
  }
  // A new image takes its whole size on the disk now: running out of room
  // later, in the middle of a file, would cost data. A full disk leaves no
  // half-made image behind.
  if (*created) {
    if (int err = posix_fallocate(fd, 0, off_t(kFlashImageSize))) {
      close(fd);
      unlink(path.c_str());
      return err == ENOSPC || err == EFBIG ? kFsNoSpace : kFsImageFailed;
    }
  }
  // A short image is lengthened; what is missing reads as damage and the
  // start-up check formats it.
  if (st.st_size < off_t(kFlashImageSize) && ftruncate(fd, kFlashImageSize) != 0) {
    close(fd);
    return kFsImageFailed;
  }
  g_fd = fd;
  FlashAttach(FlashMedium{&kFileOps, &g_fd});
  if (*created) return SmFormat(true, nullptr);
  return 0;
}

void FlashImageClose() {
  if (g_fd < 0) return;
  FlashDetach();
  fsync(g_fd);
  close(g_fd);
  g_fd = -1;
  Fs().mounted = false;
}

bool FlashImageIsOpen() {
  return g_fd >= 0;
}

int StorageOpenImage(const char* explicit_path, std::string* used_path) {
  std::string path;
  bool private_folder = false;
  int rc = FlashResolveImagePath(explicit_path, &path, &private_folder);
  if (rc != 0) return rc;
  if (used_path) *used_path = path;
  bool created = false;
  rc = FlashImageOpen(path, private_folder, &created);
  if (rc != 0) return rc;
  rc = SmCheck(true);
  return rc == kFsDamaged || rc == kFsNoSectorRecord || rc > 0 ? 0 : rc;
}

int StorageOpenScratchImage() {
  FlashImageClose();
  std::string path = HostTempFolder() + "/vk2280-scratch-XXXXXX";
  int fd = mkstemp(path.data());
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? kFsPathNotFound : kFsAccessDenied;
  unlink(path.c_str());
  if (ftruncate(fd, kFlashImageSize) != 0) {
    close(fd);
    return kFsImageFailed;
  }
  g_fd = fd;
  FlashAttach(FlashMedium{&kFileOps, &g_fd});
  return SmFormat(true, nullptr);
}
