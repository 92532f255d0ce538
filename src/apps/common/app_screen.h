// Small pieces every application screen uses.
#pragma once

#include <cstdint>

// The application's name in reverse video across line 1.
void DrawAppTitle(const char* name);
// Prints message `number` at (column, line); nothing when it is empty.
void PrintMessageAt(int column, int line, int number);
// Waits until one of the given control codes arrives; returns it.
uint32_t WaitForControl(const uint32_t* codes, int count);
