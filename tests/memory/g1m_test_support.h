// Shared by the calculator-file tests: a fresh main memory, a formatted
// storage memory, a private folder for PC files, and items built by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fs_test_support.h"
#include "mcs_test_support.h"
#include "memory/g1m_file.h"

class G1mTest : public ::testing::Test, public PcFolder {
 protected:
  void SetUp() override;
  void TearDown() override;

  FlashRig rig;
  uint8_t setup[128] = {};
};

// An item created with the type byte of its kind; returns the core code.
uint32_t PutItem(const char* folder, const char* item, uint8_t kind,
                 const std::vector<uint8_t>& bytes);
// Main memory as a comparable whole: the arena and the alpha variables.
std::vector<uint8_t> MemorySnapshot();
// Imports a whole file; returns G1mImport's result.
int ImportPath(const std::u16string& path, G1mExisting existing, G1mImportReport* report = nullptr,
               const G1mImportUi* ui = nullptr);

// Hand-built file pieces, straight from the layout.
std::vector<uint8_t> HeaderBytes(uint8_t type, uint32_t size, uint16_t count);
void AppendGroupHeader(std::vector<uint8_t>* out, const std::string& name, uint16_t count);
void AppendItemHeader(std::vector<uint8_t>* out, const std::string& folder, const std::string& item,
                      uint8_t kind, uint32_t size);
// A data file from its body: the header with the right size and count.
std::vector<uint8_t> DataFile(const std::vector<uint8_t>& body, uint16_t count);
