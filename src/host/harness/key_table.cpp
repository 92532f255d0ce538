#include "host/harness/key_table.h"

#include "host/harness/key_log.h"

extern const char kDefaultKeyTableText[];  // data/keys/default.keys, embedded

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// One piece of a line as the reader got it (at most kMaxLine characters,
// the newline still on it when it fitted).
void ParsePiece(std::string_view piece, std::vector<KeyTableRecord>* out) {
  if (!piece.empty() && piece.back() == '\n') piece.remove_suffix(1);
  if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);  // a file from Windows
  if (piece.empty()) return;
  size_t at = 0;
  while (at < piece.size() && IsBlank(piece[at])) ++at;
  KeyTableRecord record{-1, -1, {}};
  if (at < piece.size()) record.row = HexDigit(piece[at++]);
  if (at < piece.size()) record.column = HexDigit(piece[at++]);
  while (at < piece.size() && IsBlank(piece[at])) ++at;
  record.name = std::string(piece.substr(at));
  out->push_back(std::move(record));
}

}  // namespace

void KeyTable::Parse(std::string_view text) {
  records_.clear();
  while (!text.empty()) {
    size_t newline = text.find('\n');
    size_t length = newline == std::string_view::npos ? text.size() : newline + 1;
    if (length > kMaxLine) length = kMaxLine;
    ParsePiece(text.substr(0, length), &records_);
    text.remove_prefix(length);
  }
}

bool KeyTable::LoadFile(const std::string& path) {
  records_.clear();
  std::string text;
  if (!ReadWholeFile(path, &text)) return false;
  Parse(text);
  return true;
}

const std::string* KeyTable::NameOf(int row, int column) const {
  for (const KeyTableRecord& r : records_)
    if (r.row == row && r.column == column) return &r.name;
  return nullptr;
}

bool KeyTable::PositionOf(std::string_view name, int* row, int* column) const {
  for (const KeyTableRecord& r : records_) {
    if (r.name == name) {
      *row = r.row;
      *column = r.column;
      return true;
    }
  }
  return false;
}

const KeyTable& DefaultKeyTable() {
  static const KeyTable table = [] {
    KeyTable t;
    t.Parse(kDefaultKeyTableText);
    return t;
  }();
  return table;
}
