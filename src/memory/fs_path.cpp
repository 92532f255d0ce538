#include "memory/fs_path.h"

#include "memory/fs_error.h"

namespace {

char16_t Upper(char16_t c) {
  return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

// Copies one path component; false when it is longer than `max`.
bool TakeComponent(const char16_t* s, int len, char16_t* out, int max, int* out_len) {
  if (len > max) return false;
  for (int i = 0; i < len; ++i) out[i] = s[i];
  out[len] = 0;
  *out_len = len;
  return true;
}

bool AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(char(cp));
  } else if (cp < 0x800) {
    out->push_back(char(0xC0 | cp >> 6));
    out->push_back(char(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(char(0xE0 | cp >> 12));
    out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(char(0xF0 | cp >> 18));
    out->push_back(char(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  }
  return true;
}

// Matches one part (name or extension) of a pattern without '.'.
bool MatchPart(const char16_t* p, int pl, const char16_t* n, int nl) {
  int pi = 0, ni = 0, star_p = -1, star_n = 0;
  while (ni < nl) {
    if (pi < pl && (p[pi] == u'?' || Upper(p[pi]) == Upper(n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < pl && p[pi] == u'*') {
      star_p = pi++;
      star_n = ni;
    } else if (star_p >= 0) {
      pi = star_p + 1;
      ni = ++star_n;
    } else {
      return false;
    }
  }
  while (pi < pl && p[pi] == u'*') ++pi;
  return pi == pl;
}

int LastDot(const char16_t* s, int len) {
  for (int i = len - 1; i >= 0; --i)
    if (s[i] == u'.') return i;
  return -1;
}

}  // namespace

int FsStrLen(const char16_t* s) {
  int n = 0;
  while (s && s[n] && n <= kPathMax) ++n;
  return n;
}

int FsParsePath(const char16_t* path, FsPath* out) {
  *out = FsPath{};
  int len = FsStrLen(path);
  if (len < 3) return kFsBadArgument;
  if (len > kPathMax) return kFsPathNotFound;
  if (path[0] == u'\\' && path[1] == u'\\') {
    if (len < 6) return kFsBadDevice;
    char16_t dev[4] = {Upper(path[2]), Upper(path[3]), Upper(path[4]), Upper(path[5])};
    if (dev[0] == u'C' && dev[1] == u'R' && dev[2] == u'D' && dev[3] == u'0') {
      out->device = kDevCard;
      return kFsBadDevice;
    }
    if (!(dev[0] == u'F' && dev[1] == u'L' && dev[2] == u'S' && dev[3] == u'0'))
      return kFsBadDevice;
    out->device = kDevFlash;
    if (len == 6) return kFsOk;
    if (path[6] != u'\\') return kFsPathNotFound;
    const char16_t* rest = path + 7;
    int rest_len = len - 7;
    int slash = -1;
    for (int i = 0; i < rest_len; ++i) {
      if (rest[i] != u'\\') continue;
      if (slash >= 0) return kFsPathNotFound;  // only one folder level
      slash = i;
    }
    if (slash < 0)
      return TakeComponent(rest, rest_len, out->name, kFileNameMax, &out->name_len)
                 ? kFsOk
                 : kFsPathNotFound;
    if (slash == 0 || !TakeComponent(rest, slash, out->folder, kFolderNameMax, &out->folder_len) ||
        !TakeComponent(rest + slash + 1, rest_len - slash - 1, out->name, kFileNameMax,
                       &out->name_len))
      return kFsPathNotFound;
    return kFsOk;
  }
  if (path[1] == u':' && path[2] == u'\\') {
    out->device = kDevPc;
    return PcPathToHost(path, &out->host);
  }
  return kFsPathNotFound;
}

int FileKindOf(const char16_t* name, int len, bool in_root) {
  if (len == 1 && name[0] == u'.') return 8;
  if (len == 2 && name[0] == u'.' && name[1] == u'.') return 9;
  static const char16_t kWork[] = u"NOTEWORK.tmp";
  if (in_root && FsNameEqual(name, len, kWork, 12)) return kKindNotebookWork;
  if (len >= 4 && name[len - 4] == u'.' && Upper(name[len - 3]) == u'G' && name[len - 2] == u'1') {
    switch (Upper(name[len - 1])) {
      case u'A':
        return in_root ? 2 : kKindPlain;
      case u'E':
        return 3;
      case u'L':
        return in_root ? 4 : kKindPlain;
      case u'N':
        return in_root ? 5 : kKindPlain;
      case u'M':
        return 6;
    }
  }
  return kKindPlain;
}

bool FsNameEqual(const char16_t* a, int alen, const char16_t* b, int blen) {
  if (alen != blen) return false;
  for (int i = 0; i < alen; ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

bool FsPatternMatch(const char16_t* pattern, int plen, const char16_t* name, int nlen) {
  while (plen > 0 && pattern[plen - 1] == u' ') --plen;
  while (nlen > 0 && name[nlen - 1] == u' ') --nlen;
  int pd = LastDot(pattern, plen), nd = LastDot(name, nlen);
  if (pd < 0) return nd < 0 && MatchPart(pattern, plen, name, nlen);
  const char16_t* pext = pattern + pd + 1;
  int pext_len = plen - pd - 1;
  if (nd < 0) {
    // "NAME.*" also finds names without an extension.
    bool ext_any = pext_len == 1 && pext[0] == u'*';
    return ext_any && MatchPart(pattern, pd, name, nlen);
  }
  return MatchPart(pattern, pd, name, nd) &&
         MatchPart(pext, pext_len, name + nd + 1, nlen - nd - 1);
}

int PcPathToHost(const char16_t* path, std::string* out) {
  out->clear();
  int len = FsStrLen(path);
  if (len < 3 || path[1] != u':' || path[2] != u'\\') return kFsPathNotFound;
  if (Upper(path[0]) != u'Z') return kFsPathNotFound;
  for (int i = 2; i < len; ++i) {
    uint32_t c = path[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < len && path[i + 1] >= 0xDC00 &&
        path[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (path[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return kFsPathNotFound;
    }
    if (c == 0 || c == u'/') return kFsPathNotFound;
    AppendUtf8(c == u'\\' ? u'/' : c, out);
  }
  return kFsOk;
}

int HostPathToPc(const std::string& posix, std::u16string* out) {
  out->assign(u"Z:");
  if (posix.empty() || posix[0] != '/') return kFsBadArgument;
  for (size_t i = 0; i < posix.size();) {
    uint8_t b = uint8_t(posix[i]);
    uint32_t cp;
    int extra;
    if (b < 0x80) {
      cp = b, extra = 0;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F, extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F, extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07, extra = 3;
    } else {
      return kFsBadArgument;
    }
    if (i + extra >= posix.size()) return kFsBadArgument;
    for (int k = 1; k <= extra; ++k) {
      uint8_t c = uint8_t(posix[i + k]);
      if ((c & 0xC0) != 0x80) return kFsBadArgument;
      cp = cp << 6 | (c & 0x3F);
    }
    i += 1 + extra;
    if (cp == '\\') return kFsBadArgument;  // would not map back
    if (cp == '/') cp = '\\';
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out->push_back(char16_t(0xD800 + (cp >> 10)));
      out->push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out->push_back(char16_t(cp));
    }
  }
  return kFsOk;
}
