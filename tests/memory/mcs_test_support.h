// Helpers shared by the main-memory tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "memory/mcs_core.h"

// A freshly placed arena after the start-up (folders set up, items none).
void FreshMemory();
// The 65,536 arena bytes.
std::vector<uint8_t> ArenaBytes();
// Bytes of an item, empty when it does not exist.
std::vector<uint8_t> ItemBytes(const char* folder, const char* item);
// Creates an item filled with a recognisable pattern; returns the core code.
uint32_t CreatePatterned(const char* folder, const char* item, uint32_t size, uint8_t seed);
std::vector<uint8_t> Pattern(uint32_t size, uint8_t seed);
// Takes heap space so that exactly `leave` bytes stay free (leave is a
// multiple of 4 and at most free space - 12).
void LeaveFree(uint32_t leave);
