#include "host/services/calc_file_name.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool TitleCharAccepted(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::strchr("{}'~", c) != nullptr;
}

bool EqualsNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

SplitPath SplitCalcPath(const std::string& path) {
  SplitPath out;
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':' &&
      ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'))) {
    out.drive = rest.substr(0, 2);
    rest = rest.substr(2);
  }
  size_t slash = std::string::npos;
  for (size_t i = 0; i < rest.size(); ++i)
    if (IsSeparator(rest[i])) slash = i;
  std::string name = rest;
  if (slash != std::string::npos) {
    out.directory = rest.substr(0, slash + 1);
    name = rest.substr(slash + 1);
  }
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) {
    out.title = name;
  } else {
    out.title = name.substr(0, dot);
    out.extension = name.substr(dot);
  }
  return out;
}

bool CalcFileNameAccepted(const std::string& path, CalcDialogKind kind) {
  SplitPath parts = SplitCalcPath(path);
  if (parts.title.size() > 8) return false;
  for (char c : parts.title)
    if (!TitleCharAccepted(c)) return false;
  if (kind == CalcDialogKind::kSave && !parts.extension.empty() &&
      !EqualsNoCase(parts.extension, ".g1e"))
    return false;
  return true;
}

std::string CalcSaveNameFromPath(const std::string& path) {
  SplitPath parts = SplitCalcPath(path);
  std::string title = parts.title;
  for (char& c : title)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return parts.drive + parts.directory + title;
}
