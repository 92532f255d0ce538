#include "apps/apps.h"

#include <cstring>

#include "apps/common/placeholder_app.h"
#include "apps/graph/graph_app.h"
#include "apps/memory/memory_app.h"
#include "apps/runmat/runmat_app.h"
#include "apps/system/system_app.h"
#include "math/text_tokens.h"
#include "math/token.h"
#include "os/app_table.h"
#include "os/catalog.h"
#include "os/clip_buffer.h"
#include "os/getkey.h"

namespace {

// The CATALOG shows commands by the evaluator's token names.
void TokenNameForCatalog(uint16_t code, char* buffer, size_t capacity) {
  char name[kTokenNameBuffer];
  if (!TokenName(code, name) || capacity == 0) {
    if (capacity) buffer[0] = 0;
    return;
  }
  std::strncpy(buffer, name, capacity - 1);
  buffer[capacity - 1] = 0;
}

// Pasted PC text reaches the clip buffer as tokens; copied clip text leaves
// it as PC text.
void ClipTextIn(const char* utf8, std::string* tokens, std::string* dropped) {
  TextToTokensDropping(utf8, tokens, dropped);
}
std::string ClipTextOut(const uint8_t* tokens) {
  return TokensToText(tokens);
}

}  // namespace

void InstallApplications() {
  // Every application gets a screen of its own; those not written yet say so.
  for (int i = 0; i < kAppCount; ++i) SetApplicationEntry(i, PlaceholderAppEntry);
  SetApplicationEntry(kAppRunMat, RunMatAppEntry);
  InstallGraphApplication();
  SetApplicationEntry(kAppMemory, MemoryAppEntry);
  SetFilesDroppedHandler(MemoryImportDropped);
  SetApplicationEntry(kAppSystem, SystemAppEntry);
  SetCommandNameLookup(TokenNameForCatalog);
  SetClipTextConverters(ClipTextIn, ClipTextOut);
}
