#include "host/harness/key_log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/harness/key_table.h"

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// Calls f for each line of a text, without its line end.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  while (!text.empty()) {
    size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    f(WithoutLineEnd(line));
    if (newline == std::string_view::npos) break;
    text.remove_prefix(newline + 1);
  }
}

size_t LastSeparator(const std::string& path) {
  return path.find_last_of("/\\");
}

}  // namespace

LogRecord ParseLogRecord(std::string_view line) {
  LogRecord r;
  line = WithoutLineEnd(line).substr(0, kMaxLogRecordText);
  r.text = std::string(line);
  size_t close = line.find(']');
  std::string_view name = close == std::string_view::npos ? line : line.substr(0, close + 1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  r.name = std::string(name);
  for (auto [marker, kind] : {std::pair{kScreenMarkerName, LogRecordKind::kScreen},
                              std::pair{kAnswerMarkerName, LogRecordKind::kAnswer}}) {
    if (!StartsWith(name, marker)) continue;
    r.kind = kind;
    std::string_view rest = name.substr(std::strlen(marker));
    if (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
    r.number = std::atoi(std::string(rest).c_str());
    r.name = std::string(marker) + "]";
    break;
  }
  return r;
}

std::vector<LogRecord> ParseKeyLog(std::string_view text) {
  std::vector<LogRecord> records;
  ForEachLine(text, [&](std::string_view line) { records.push_back(ParseLogRecord(line)); });
  return records;
}

std::vector<std::string> ParseLogList(std::string_view text, const std::string& listPath) {
  size_t separator = LastSeparator(listPath);
  std::string folder = separator == std::string::npos ? "" : listPath.substr(0, separator + 1);
  std::vector<std::string> logs;
  ForEachLine(text, [&](std::string_view line) {
    if (line.empty()) return;
    std::string path(line);
    bool absolute = path[0] == '/' || path[0] == '\\';
    logs.push_back(absolute ? path : folder + path);
  });
  return logs;
}

std::string LogBasePath(const std::string& logPath) {
  size_t separator = LastSeparator(logPath);
  size_t dot = logPath.rfind('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
    return logPath;
  return logPath.substr(0, dot);
}

bool HasExtension(const std::string& path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  std::string_view tail = std::string_view(path).substr(path.size() - extension.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    char a = tail[i], b = extension[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

std::string CheckpointLine(const std::string& markerName, int number) {
  std::string name = markerName;
  if (!name.empty() && name.back() == ']') name.pop_back();
  char digits[16];
  std::snprintf(digits, sizeof digits, ".%04d]", number);
  return name + digits;
}

std::string AnswerLine(int number, const std::string& answer) {
  char head[16];
  std::snprintf(head, sizeof head, "Ans%04d\t", number);
  return head + answer + "\n";
}

bool FindAnswer(std::string_view ansText, int number, std::string* answer) {
  constexpr size_t kHeadWidth = sizeof("Ans0000\t") - 1;
  bool found = false;
  ForEachLine(ansText, [&](std::string_view line) {
    if (found || !StartsWith(line, "Ans")) return;
    if (std::atoi(std::string(line.substr(3, kHeadWidth - 3)).c_str()) != number) return;
    *answer = line.size() > kHeadWidth ? std::string(line.substr(kHeadWidth)) : std::string();
    found = true;
  });
  return found;
}

bool ReadWholeFile(const std::string& path, std::string* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) out->append(buffer, n);
  const bool read = !std::ferror(f);  // a folder opens, then fails to read
  std::fclose(f);
  return read;
}

bool AppendToFile(const std::string& path, std::string_view text) {
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

bool TruncateFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  return f && std::fclose(f) == 0;
}
