// Optimisation of storage memory: the garbage collector that gives the space
// of obsolete records and fragments back. It copies every live fragment into
// a spare sector, erases the sectors it emptied, and rewrites the directory
// compactly through a copy, so that a power cut at any point leaves markers
// in the flash from which the next start continues.
//
// Every step is safe to run again after a cut: what it writes is derived
// from what the flash already says, so a repeated program writes the same
// bytes over a torn first attempt and only clears bits.
#pragma once

#include <cstdint>

#include "memory/opt_ui.h"

// Where an optimisation run stands, rebuilt from the flash when resuming.
struct OptState {
  uint32_t work_total = 0;  // amount of work, for the progress bar
  uint32_t work_done = 0;
  uint16_t current_record = 0;
  uint16_t emptying = 0xFFFF;        // sector being emptied
  uint32_t live_records[1024] = {};  // one bit per live record number
  uint16_t spare = 0xFFFF;
  uint32_t live_units[1024] = {};  // one bit per 16-byte unit of the spare in use
  uint16_t next_dir = 1;
  uint32_t block[25] = {};
  uint32_t reserve[25] = {};
  uint16_t state[25] = {};
  uint16_t dir_counts[2] = {};  // records placed in the first and second new directory sector
  uint32_t done = 0;            // set when nothing is left to do
  uint32_t bookkeeping = 0xFFFFFFFF;
  uint16_t dir_copy[2] = {0xFFFF, 0xFFFF};  // the directory copy being built
  int fragment = -1;                        // fragment record in work
  uint32_t write_offset = 0;                // where it goes in the spare
};
OptState& Opt();

constexpr int kOptSteps = 17;

// Builds the state from the flash. 0: nothing to resume; a step number to
// continue an interrupted run with (after asking the user through `ui`);
// -6 when the user chose to initialise or the directory is beyond repair.
int OptPlan(const StorageUi* ui);
// Runs steps from `step` until one returns 0 (done) or a negative code.
int OptRun(int step, const StorageUi* ui);
// One step; returns the next step, 0 when done, or a negative code.
int OptStep(int step);

// The user's request: removes the notebook work file, then runs from step 1
// (or continues an interrupted run).
int FsOptimize(const char16_t* device_path);

// The start-up check at view creation and boot: finishes or abandons an
// interrupted optimisation (asking the user), formats a storage memory whose
// directory is damaged, then mounts and repairs what a power cut left.
struct StorageStartupReport {
  bool formatted = false;
  bool resumed = false;
  int repaired = 0;
};
int StorageStartup(const StorageUi* ui, StorageStartupReport* report);
