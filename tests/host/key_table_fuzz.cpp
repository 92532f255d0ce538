// libFuzzer: any bytes as a key table file and as a key log. Lookups of
// every parsed name must find a record, and every log record must parse.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/harness/key_log.h"
#include "host/harness/key_table.h"

// The readers alone: the shipped table is not needed here.
extern const char kDefaultKeyTableText[];
const char kDefaultKeyTableText[] = "";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  KeyTable table;
  table.Parse(text);
  for (const KeyTableRecord& r : table.records()) {
    int row = 0, column = 0;
    if (!table.PositionOf(r.name, &row, &column)) __builtin_trap();
    if (r.row < -1 || r.row > 15 || r.column < -1 || r.column > 15) __builtin_trap();
    if (!table.NameOf(r.row, r.column)) __builtin_trap();
  }
  for (const LogRecord& record : ParseKeyLog(text)) {
    if (record.text.size() > kMaxLogRecordText) __builtin_trap();
    if (record.kind != LogRecordKind::kKey && record.name.back() != ']') __builtin_trap();
  }
  std::string answer;
  FindAnswer(text, 1, &answer);
  ParseLogList(text, "/lists/x.lst");
  return 0;
}
