// Writing calculator files: the header, then each group's header, items and
// data, with the data turned into file byte order on a copy so that main
// memory is never touched.
#include <climits>
#include <string>

#include "memory/fs_api.h"
#include "memory/g1m_internal.h"

namespace {

uint64_t GroupBytes(const G1mGroup& group) {
  uint64_t n = kG1mGroupHeaderSize;
  for (const G1mItemDesc& d : group.items) n += kG1mItemHeaderSize + uint64_t{d.size};
  return n;
}

int WriteAll(int handle, const uint8_t* data, size_t count) {
  if (count == 0) return 0;
  const int n = FsWrite(handle, data, static_cast<int>(count));
  if (n < 0) return n;
  return static_cast<size_t>(n) == count ? 0 : kFsImageFailed;
}

// The target path, with the first item's file name after a folder path.
std::u16string TargetPath(const char16_t* target, const G1mGroup* groups, size_t count) {
  std::u16string path(target);
  if (path.empty() || path.back() != u'\\') return path;
  for (size_t g = 0; g < count; ++g) {
    if (groups[g].items.empty()) continue;
    for (const char* p = groups[g].items.front().fileName; *p; ++p)
      path.push_back(static_cast<char16_t>(static_cast<uint8_t>(*p)));
    break;
  }
  return path;
}

}  // namespace

void G1mSerializeGroup(const G1mGroup& group, std::vector<uint8_t>* out) {
  G1mGroupHeader gh{};
  G1mNameToField(group.name, gh.name, kG1mGroupNameLen);
  G1mPut16(gh.count, static_cast<uint16_t>(group.items.size()));
  const auto* ghBytes = reinterpret_cast<const uint8_t*>(&gh);
  out->insert(out->end(), ghBytes, ghBytes + sizeof gh);
  for (const G1mItemDesc& d : group.items) {
    G1mItemHeader ih{};
    G1mNameToField(d.folder, ih.folder, kG1mNameLen);
    G1mNameToField(d.item, ih.item, kG1mNameLen);
    ih.kind = d.kind;
    G1mPut32(ih.size, d.size);
    const auto* ihBytes = reinterpret_cast<const uint8_t*>(&ih);
    out->insert(out->end(), ihBytes, ihBytes + sizeof ih);
    const size_t at = out->size();
    out->insert(out->end(), d.data, d.data + d.size);
    G1mConvert(d.format, out->data() + at, d.size, G1mOrder::kToFile);
  }
}

uint32_t G1mFileSize(const G1mGroup* groups, size_t count) {
  uint64_t n = kG1mHeaderSize;
  for (size_t g = 0; g < count; ++g) n += GroupBytes(groups[g]);
  return n > INT_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
}

int G1mAppendGroup(int handle, const G1mGroup& group) {
  std::vector<uint8_t> bytes;
  bytes.reserve(GroupBytes(group));
  G1mSerializeGroup(group, &bytes);
  return WriteAll(handle, bytes.data(), bytes.size());
}

int G1mWriteGroups(const char16_t* target, const G1mGroup* groups, size_t count) {
  size_t items = 0;
  for (size_t g = 0; g < count; ++g) items += groups[g].items.size();
  if (items == 0) return kG1mErrNothing;
  if (items > 0xFFFF) return kG1mErrDamaged;
  const uint32_t size = G1mFileSize(groups, count);
  if (size == UINT32_MAX) return kFsNoSpace;
  const std::u16string path = TargetPath(target, groups, count);

  int rc = FsHasSpace(path.c_str(), size);
  if (rc != 0) return rc;
  rc = FsDelete(path.c_str());
  if (rc != 0 && rc != kFsNotFound) return rc;
  rc = FsCreate(path.c_str(), kEntryFile, size);
  if (rc != 0) return rc;
  const int handle = FsOpen(path.c_str(), kOpenReadWrite);
  if (handle < 0) {
    FsDelete(path.c_str());
    return handle;
  }
  uint8_t header[kG1mHeaderSize];
  G1mBuildHeader(kG1mTypeData, size, static_cast<uint16_t>(items), header);
  rc = WriteAll(handle, header, sizeof header);
  for (size_t g = 0; g < count && rc == 0; ++g)
    if (!groups[g].items.empty()) rc = G1mAppendGroup(handle, groups[g]);
  const int closed = FsClose(handle);
  if (rc == 0) rc = closed;
  if (rc != 0) FsDelete(path.c_str());
  return rc;
}

int G1mExportGroup(const char16_t* target, const G1mGroup& group) {
  return G1mWriteGroups(target, &group, 1);
}

int G1mSkipTo(int handle, int items) {
  const int fileSize = FsSize(handle);
  if (fileSize < 0 || items < -1 || FsSeek(handle, kG1mHeaderSize) < 0) return -1;
  uint32_t offset = kG1mHeaderSize;
  int done = 0;
  int rc = 0;
  bool end = false;
  while (!end) {
    if (done == items) return static_cast<int>(offset);
    G1mGroupHeader gh;
    if (!G1mReadExact(handle, &gh, sizeof gh, &rc) || gh.name[0] == 0xFF) break;
    offset += sizeof gh;
    for (uint16_t n = G1mGet16(gh.count); n > 0; --n) {
      if (done == items) return static_cast<int>(offset);
      G1mItemHeader ih;
      if (!G1mReadExact(handle, &ih, sizeof ih, &rc) || ih.folder[0] == 0xFF) {
        end = true;
        break;
      }
      const uint64_t next = uint64_t{offset} + sizeof ih + G1mGet32(ih.size);
      if (next > static_cast<uint64_t>(fileSize)) return -1;
      offset = static_cast<uint32_t>(next);
      if (FsSeek(handle, static_cast<int>(offset)) < 0) return -1;
      ++done;
    }
  }
  if (rc < 0 || items != -1 || FsSeek(handle, static_cast<int>(offset)) < 0) return -1;
  return static_cast<int>(offset);
}
