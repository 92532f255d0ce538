// libFuzzer target: arbitrary bytes imported as a calculator file into a
// fresh main memory. Whatever the bytes, the import must stay inside the
// file buffer and the arena, and main memory must pass its check afterwards.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "memory/fs_api.h"
#include "memory/fs_path.h"
#include "memory/g1m_file.h"
#include "memory/mcs_core.h"
#include "memory/mem_app.h"

namespace {

uint8_t g_setup[128];
std::string g_host;
std::u16string g_pc;
uint32_t g_asked = 0;

// Answers in turn: overwrite, decline, overwrite, stop.
uint32_t Answer(void*, const char*, const char*) {
  static const uint32_t kAnswers[] = {kG1mAnswerOverwrite, 30014, kG1mAnswerOverwrite,
                                      kG1mAnswerStop};
  return kAnswers[g_asked++ % 4];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = std::getenv("TMPDIR");
  g_host = std::string(tmp ? tmp : "/tmp") + "/g1m_fuzz_" + std::to_string(getpid()) + ".g1m";
  if (HostPathToPc(g_host, &g_pc) != 0) std::abort();
  McsAllocateArena();
  G1mSetSetupRecord(g_setup);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(g_host.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  MemStartUp();
  G1mImportUi ui;
  ui.askOverwrite = Answer;
  G1mImportOptions options;
  options.ui = &ui;
  // Every other run asks, so both the question and plain overwriting run.
  options.existing = size % 2 ? G1mExisting::kAsk : G1mExisting::kOverwrite;
  G1mImportReport report;
  G1mImportFile(g_pc.c_str(), options, &report);
  // A second pass meets every item it created: the overwrite paths.
  G1mImportFile(g_pc.c_str(), options, &report);
  if (McsCheck() != 0 || !McsGuardsIntact()) std::abort();
  return 0;
}
