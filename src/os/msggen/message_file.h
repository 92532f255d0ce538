// Reading data/messages/messages.txt: msggen builds the tables from it, and
// the message tests read it to check the tables against it, so both go
// through this one reader. The format is described at the top of the file.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "os/messages.h"
#include "os/text.h"

namespace message_file {

// Language tags in table order.
inline constexpr const char* kTags[kLanguageCount] = {"en", "es", "de", "fr", "pt"};

enum class Kind {
  kPopUp,  // a pop-up line: the indent, then at most 17 cells
  kText,   // a name or title that must also fit a pop-up: at most 17 cells
  kLine,   // a whole screen line: at most 21 cells
  kRight,  // right-aligned in 21 cells (the build pads it on the left)
};

struct Entry {
  int number = -1;
  Kind kind = Kind::kPopUp;
  int maxCells = 0;   // the kind's width, or less where a field follows the text
  std::string usage;  // where the system shows it
  int line = 0;
  std::string texts[kLanguageCount];  // UTF-8, as written between the quotes
  int textLines[kLanguageCount] = {};
};

inline int KindCells(Kind kind) {
  return kind == Kind::kPopUp || kind == Kind::kText ? kPopUpCells : kTextColumns;
}

namespace detail {

inline bool IsBlank(const std::string& s) {
  return s.find_first_not_of(" \t\r") == std::string::npos;
}

inline std::string Trim(const std::string& s) {
  size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

inline bool ParseInt(const std::string& s, int* value) {
  if (s.empty() || s.size() > 4) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

// "NUMBER KIND [max=N] | usage"
inline std::string ParseHeader(const std::string& line, Entry* e) {
  size_t bar = line.find('|');
  if (bar == std::string::npos) return "entry header needs '| where it is shown'";
  e->usage = Trim(line.substr(bar + 1));
  if (e->usage.empty()) return "entry header needs a note on where it is shown";
  std::vector<std::string> words;
  std::istringstream rest(line.substr(0, bar));
  for (std::string word; rest >> word;) words.push_back(word);
  if (words.size() < 2 || words.size() > 3) return "expected: NUMBER KIND [max=N] | usage";
  if (!ParseInt(words[0], &e->number) || e->number >= kMessageCount)
    return "message number must be 0.." + std::to_string(kMessageCount - 1);
  static const struct {
    const char* name;
    Kind kind;
  } kKinds[] = {
      {"pop", Kind::kPopUp}, {"text", Kind::kText}, {"line", Kind::kLine}, {"right", Kind::kRight}};
  bool known = false;
  for (const auto& k : kKinds)
    if (words[1] == k.name) e->kind = k.kind, known = true;
  if (!known) return "unknown kind '" + words[1] + "' (pop, text, line, right)";
  e->maxCells = KindCells(e->kind);
  if (words.size() == 3) {
    int max = 0;
    if (words[2].compare(0, 4, "max=") != 0 || !ParseInt(words[2].substr(4), &max) || max < 1 ||
        max > e->maxCells)
      return "max=N must be 1.." + std::to_string(e->maxCells);
    e->maxCells = max;
  }
  return "";
}

}  // namespace detail

// Reads the whole file. On a fault returns false with "FILE:LINE: what".
inline bool Read(const std::string& path, std::vector<Entry>* entries, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open";
    return false;
  }
  entries->clear();
  std::vector<bool> seen(kMessageCount, false);
  int open = -1;  // index of the entry whose texts are being read
  bool given[kLanguageCount] = {};
  int lineNo = 0;
  auto fail = [&](int at, const std::string& what) {
    *error = path + ":" + std::to_string(at) + ": " + what;
    return false;
  };
  auto close = [&]() -> std::string {
    if (open < 0) return "";
    for (int l = 0; l < kLanguageCount; ++l)
      if (!given[l])
        return "message " + std::to_string((*entries)[open].number) + " has no '" + kTags[l] +
               "' text";
    return "";
  };
  std::string line;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (detail::IsBlank(line) || line[0] == ';') continue;
    if (line[0] >= '0' && line[0] <= '9') {
      if (std::string why = close(); !why.empty()) return fail((*entries)[open].line, why);
      Entry e;
      e.line = lineNo;
      if (std::string why = detail::ParseHeader(line, &e); !why.empty()) return fail(lineNo, why);
      if (seen[e.number]) return fail(lineNo, "message " + std::to_string(e.number) + " twice");
      seen[e.number] = true;
      entries->push_back(e);
      open = static_cast<int>(entries->size()) - 1;
      for (bool& g : given) g = false;
      continue;
    }
    // TAG "text": the text is everything between the first and last quote.
    size_t q1 = line.find('"'), q2 = line.rfind('"');
    if (open < 0) return fail(lineNo, "text before any message header");
    if (q1 == std::string::npos || q2 == q1) return fail(lineNo, "expected: TAG \"text\"");
    if (!detail::IsBlank(line.substr(q2 + 1))) return fail(lineNo, "text after the closing quote");
    std::string tag = detail::Trim(line.substr(0, q1));
    std::string text = line.substr(q1 + 1, q2 - q1 - 1);
    int first = -1, last = -1;
    if (tag == "all") {
      first = 0, last = kLanguageCount - 1;
    } else {
      for (int l = 0; l < kLanguageCount; ++l)
        if (tag == kTags[l]) first = last = l;
    }
    if (first < 0)
      return fail(lineNo, "unknown language tag '" + tag + "' (all, en, es, de, fr, pt)");
    for (int l = first; l <= last; ++l) {
      if (given[l]) return fail(lineNo, std::string("second '") + kTags[l] + "' text");
      given[l] = true;
      (*entries)[open].texts[l] = text;
      (*entries)[open].textLines[l] = lineNo;
    }
  }
  if (std::string why = close(); !why.empty()) return fail((*entries)[open].line, why);
  return true;
}

}  // namespace message_file
