// vk2280-cli tui: the calculator full-screen in a terminal.
#pragma once

#include <string>
#include <vector>

int RunTui(const std::vector<std::string>& args);
extern const char* const kTuiUsage;
