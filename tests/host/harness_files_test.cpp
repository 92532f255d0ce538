// Key tables, key logs and their files: the parsing rules a user's files meet.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "host/harness/key_log.h"
#include "host/harness/key_table.h"
#include "host/services/key_tables.h"

void PrintTo(const KeyTableRecord& r, std::ostream* os) {
  *os << "(" << r.row << ", " << r.column << ", \"" << r.name << "\")";
}

namespace {

struct TableCase {
  const char* what;
  std::string text;
  std::vector<KeyTableRecord> expected;
};

TEST(KeyTableFile, LinesBecomeRecords) {
  const TableCase cases[] = {
      {"blanks, digits 7 and B, the answer marker", "  7B [Cap.Ans]\n", {{7, 11, "[Cap.Ans]"}}},
      {"tabs and a small hex digit", "\t6b\t[Cap.Screen]\n", {{6, 11, "[Cap.Screen]"}}},
      {"no blank before the name", "32[EXE]", {{3, 2, "[EXE]"}}},
      {"a file from Windows", "32 [EXE]\r\n7a [F1]\r\n", {{3, 2, "[EXE]"}, {7, 10, "[F1]"}}},
      {"empty lines are skipped", "\n\n11 [AC]\n\n", {{1, 1, "[AC]"}}},
      {"no hex digits", "zz name\n", {{-1, -1, "name"}}},
      {"a line cut short", "7\n", {{7, -1, ""}}},
      {"blanks inside and after the name stay", "45 a  b \n", {{4, 5, "a  b "}}},
      {"a last line without newline", "11 [AC]\n12 [X]", {{1, 1, "[AC]"}, {1, 2, "[X]"}}},
      {"1500 characters: the first 1023 are one record, the rest another",
       "12" + std::string(1498, 'x') + "\n",
       {{1, 2, std::string(1021, 'x')}, {-1, -1, std::string(475, 'x')}}},
      {"1023 characters and a newline: the newline alone is an empty line",
       "12" + std::string(1021, 'y') + "\n34 [Z]\n",
       {{1, 2, std::string(1021, 'y')}, {3, 4, "[Z]"}}},
  };
  for (const TableCase& c : cases) {
    KeyTable table;
    table.Parse(c.text);
    EXPECT_EQ(table.records(), c.expected) << c.what;
  }
}

TEST(KeyTableFile, LookupsFindTheFirstMatch) {
  KeyTable table;
  table.Parse("32 [EXE]\n32 [Enter]\n41 [EXE]\n7b [Cap.Ans]\n");
  int row = 0, column = 0;
  ASSERT_TRUE(table.PositionOf("[EXE]", &row, &column));
  EXPECT_EQ(row, 3);
  EXPECT_EQ(column, 2);
  EXPECT_FALSE(table.PositionOf("[exe]", &row, &column)) << "names are case-sensitive";
  ASSERT_NE(table.NameOf(3, 2), nullptr);
  EXPECT_EQ(*table.NameOf(3, 2), "[EXE]");
  EXPECT_EQ(table.NameOf(9, 9), nullptr);
  EXPECT_FALSE(table.empty());
  table.Parse("\n\n");
  EXPECT_TRUE(table.empty()) << "a table without records is no table";
  EXPECT_FALSE(table.LoadFile("/nonexistent/Qm417.keys"));
}

// Every key of the face has a matrix position of its own (code / 10, code %
// 10 + 1; AC/ON at 1, 1), found by its name and named by the default table.
TEST(KeyTableFile, DefaultTableNamesEveryFaceKeyAndTheMarkers) {
  const KeyTable& table = DefaultKeyTable();
  std::set<std::pair<int, int>> positions;
  for (const KeyRect& key : kKeyRects) {
    const KeyMapRow* map = KeyMapOf(key.code);
    ASSERT_NE(map, nullptr) << key.legend;
    const std::pair<int, int> at = key.code == 34 ? std::pair{1, 1}
                                                  : std::pair{key.code / 10, key.code % 10 + 1};
    EXPECT_EQ(std::pair(map->row, map->column), at) << key.legend;
    EXPECT_TRUE(positions.insert(at).second) << "shared position " << key.legend;
    EXPECT_EQ(KeyMapByName(map->name), map);
    int row = -1, column = -1;
    std::string name = std::string("[") + map->name + "]";
    ASSERT_TRUE(table.PositionOf(name, &row, &column)) << name;
    EXPECT_EQ(std::pair(row, column), at) << name;
  }
  EXPECT_EQ(KeyMapByName("Cap.Ans"), nullptr);
  int row = 0, column = 0;
  ASSERT_TRUE(table.PositionOf("[Cap.Ans]", &row, &column));
  EXPECT_EQ(row * 16 + column, kAnswerMarkerRow * 16 + kMarkerColumn);
  ASSERT_TRUE(table.PositionOf("[Cap.Screen]", &row, &column));
  EXPECT_EQ(row * 16 + column, kScreenMarkerRow * 16 + kMarkerColumn);
  EXPECT_EQ(table.records().size(), size_t{kKeyRectCount} + 2) << "one name per key";
}

TEST(KeyLogFile, RecordsAndCheckpoints) {
  const std::tuple<const char*, const char*, LogRecordKind, int> cases[] = {
      {"[EXE]", "[EXE]", LogRecordKind::kKey, 0},
      {"[EXE]\t[Text cursor(x,y)=(1,2)]", "[EXE]", LogRecordKind::kKey, 0},
      {"[F1]  ", "[F1]", LogRecordKind::kKey, 0},
      {"plain name  \r", "plain name", LogRecordKind::kKey, 0},
      {"[Cap.Ans.0007]", "[Cap.Ans]", LogRecordKind::kAnswer, 7},
      {"[Cap.Screen.0003]", "[Cap.Screen]", LogRecordKind::kScreen, 3},
      {"[Cap.Screen.0012]  extra", "[Cap.Screen]", LogRecordKind::kScreen, 12},
      {"", "", LogRecordKind::kKey, 0},
  };
  for (auto [line, name, kind, number] : cases) {
    LogRecord r = ParseLogRecord(line);
    EXPECT_EQ(r.name, name) << line;
    EXPECT_EQ(r.kind, kind) << line;
    EXPECT_EQ(r.number, number) << line;
  }
  EXPECT_EQ(ParseLogRecord(std::string(300, 'k')).text.size(), kMaxLogRecordText);
  EXPECT_EQ(ParseKeyLog("[MENU]\n\n[EXE]\n").size(), 3u) << "an empty line is a record with no key";
}

TEST(KeyLogFile, PathsOfALogAndAList) {
  const std::pair<const char*, const char*> bases[] = {
      {"/a/b/run.log", "/a/b/run"}, {"/a.b/run", "/a.b/run"},           {"run", "run"},
      {"x.y.log", "x.y"},           {"C:\\logs\\t.log", "C:\\logs\\t"},
  };
  for (auto [path, base] : bases) EXPECT_EQ(LogBasePath(path), base) << path;
  EXPECT_TRUE(HasExtension("/a/ALL.LST", ".lst"));
  EXPECT_FALSE(HasExtension("/a/all.lst.log", ".lst"));
  EXPECT_EQ(CheckpointLine("[Cap.Screen]", 123), "[Cap.Screen.0123]");
  // A list's empty lines are skipped; its names start from the list's folder.
  EXPECT_EQ(ParseLogList("one.log\n\n/abs/two.log\r\n\nsub/three.log", "/lists/all.lst"),
            (std::vector<std::string>{"/lists/one.log", "/abs/two.log", "/lists/sub/three.log"}));
}

TEST(KeyLogFile, RecordedAnswersByNumber) {
  const char* ans = "Ans0001\tR\t+1.0\t+0.0\nAns0002\tC\t+2\t-3\r\nAns0010\t\n";
  std::string text;
  ASSERT_TRUE(FindAnswer(ans, 2, &text));
  EXPECT_EQ(text, "C\t+2\t-3");
  ASSERT_TRUE(FindAnswer(ans, 10, &text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(FindAnswer(ans, 3, &text));
}

}  // namespace
