// The file-name rule of the calculator's file dialogs, kept apart from any
// toolkit so it can be tested on its own.
#pragma once

#include <string>

enum class CalcDialogKind { kOpen, kSave };

struct SplitPath {
  std::string drive;      // "X:" or empty
  std::string directory;  // with its trailing separator
  std::string title;      // file name without extension
  std::string extension;  // with its dot, or empty
};

SplitPath SplitCalcPath(const std::string& path);

// A title of at most 8 characters from A-Z a-z 0-9 { } ' ~ (empty passes);
// the save dialog also refuses an extension other than ".g1e".
bool CalcFileNameAccepted(const std::string& path, CalcDialogKind kind);

// The chosen save path rebuilt as drive + directory + upper-case title,
// without extension: the caller appends the extension itself.
std::string CalcSaveNameFromPath(const std::string& path);

inline constexpr const char* kInvalidFileNameText = "Invalid file name!";
