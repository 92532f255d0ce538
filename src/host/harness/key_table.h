// The key table: which name each key of the calculator has in a key log.
// Read from a user's text file ("*.keys") or the table shipped with the
// emulator.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct KeyTableRecord {
  int row;     // 0-15, -1 when the file's character was no hexadecimal digit
  int column;  // likewise
  std::string name;
  bool operator==(const KeyTableRecord&) const = default;
};

// The marker keys the replay uses to learn that the OS has finished every
// key before a checkpoint.
inline constexpr int kAnswerMarkerRow = 7, kScreenMarkerRow = 6, kMarkerColumn = 11;
inline constexpr const char* kAnswerMarkerName = "[Cap.Ans";
inline constexpr const char* kScreenMarkerName = "[Cap.Screen";

class KeyTable {
 public:
  // One record per line: blanks, a hexadecimal row digit, a column digit,
  // blanks, the name (the rest of the line). Empty lines are skipped; lines
  // longer than kMaxLine characters are read in pieces, as the file has
  // always been read.
  static constexpr size_t kMaxLine = 1023;
  void Parse(std::string_view text);
  // False (and an empty table) when the file cannot be read.
  bool LoadFile(const std::string& path);

  // A table without records counts as no key table.
  bool empty() const { return records_.empty(); }
  const std::vector<KeyTableRecord>& records() const { return records_; }
  // The first record's name for a key; nullptr when none names it.
  const std::string* NameOf(int row, int column) const;
  // The first record with exactly this name (case-sensitive).
  bool PositionOf(std::string_view name, int* row, int* column) const;

 private:
  std::vector<KeyTableRecord> records_;
};

// The table shipped with the emulator (data/keys/default.keys): every key
// of the face as "[NAME]" after the key map's names, and the two markers.
const KeyTable& DefaultKeyTable();
