// Paths of the storage file interface: the storage memory ("\\fls0\..."),
// the refused memory card ("\\crd0\...") and files of the PC ("X:\...").
// PC paths reach the host as "Z:\" plus the POSIX path with '\' separators.
#pragma once

#include <cstdint>
#include <string>

enum FsDevice : int { kDevFlash = 1, kDevCard = 2, kDevPc = 3 };

constexpr int kFolderNameMax = 8;
constexpr int kFileNameMax = 12;
constexpr int kPathMax = 1024;  // characters, PC paths included

struct FsPath {
  int device = 0;
  char16_t folder[kFolderNameMax + 1] = {};  // empty: the root
  int folder_len = 0;
  char16_t name[kFileNameMax + 1] = {};  // empty: the device itself
  int name_len = 0;
  std::string host;  // PC files: the POSIX path
};

// 0, or -5 for the memory card or an unknown device, -3 for a malformed path,
// a name too long or a folder below a folder, -2 for a path under 3 characters.
int FsParsePath(const char16_t* path, FsPath* out);
int FsStrLen(const char16_t* s);

// The kind a name gives a file: 2 .g1a (root only), 3 .g1e, 4 .g1l (root
// only), 5 .g1n (root only), 6 .g1m, 7 the notebook work file in the root,
// 8 ".", 9 "..", else 1.
int FileKindOf(const char16_t* name, int len, bool in_root);
constexpr int kKindNotebookWork = 7;
constexpr int kKindPlain = 1;
constexpr int kKindAddIn = 2;

// Search patterns: '*' any run up to a '.' or the end, '?' one character,
// '.' between name and extension; case-insensitive, trailing spaces ignored.
bool FsPatternMatch(const char16_t* pattern, int plen, const char16_t* name, int nlen);
// Case-insensitive name equality (letters A-Z only fold).
bool FsNameEqual(const char16_t* a, int alen, const char16_t* b, int blen);

// "Z:\home\a.g1m" -> "/home/a.g1m"; other drive letters: -3.
int PcPathToHost(const char16_t* path, std::string* out);
// "/home/a.g1m" -> u"Z:\\home\\a.g1m"; -2 for a relative or non-UTF-8 path.
int HostPathToPc(const std::string& posix, std::u16string* out);
