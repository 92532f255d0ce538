// Key logs as files: the records of a ".log", the logs of a ".lst", and the
// names of the files that belong to one log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class LogRecordKind { kKey, kAnswer, kScreen };

struct LogRecord {
  std::string text;  // the line as the result file repeats it (at most 255 characters)
  std::string name;  // what the key table is asked for
  LogRecordKind kind = LogRecordKind::kKey;
  int number = 0;  // checkpoint number
};

inline constexpr size_t kMaxLogRecordText = 255;

// One line (without its newline): the name is the text up to and including
// the first "]", trailing blanks removed. Checkpoint lines ("[Cap.Ans.0001]")
// are looked up as their marker's name ("[Cap.Ans]") and keep their number.
LogRecord ParseLogRecord(std::string_view line);
std::vector<LogRecord> ParseKeyLog(std::string_view text);
// The logs a list names: every non-empty line. A relative path is taken
// from the list's own folder.
std::vector<std::string> ParseLogList(std::string_view text, const std::string& listPath);

// The log path without its extension (the text after the last "." that
// follows the last folder separator).
std::string LogBasePath(const std::string& logPath);
// Whether the path ends in the extension (".lst"), compared without case.
bool HasExtension(const std::string& path, std::string_view extension);

// The checkpoint line of a log: the marker's table name without its "]",
// ".", four digits, "]".
std::string CheckpointLine(const std::string& markerName, int number);
// "Ans%04d\t%s\n"
std::string AnswerLine(int number, const std::string& answer);
// The recorded answer numbered `number` in the text of an ".ans" file.
bool FindAnswer(std::string_view ansText, int number, std::string* answer);

// Whole files. ReadWholeFile is false when the file cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string* out);
bool AppendToFile(const std::string& path, std::string_view text);
bool TruncateFile(const std::string& path);
