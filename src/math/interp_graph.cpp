#include "math/interp_graph.h"

#include <array>

#include "math/interp.h"

namespace {

// One slot per code of the one-byte page and of the 0xF7 and 0xF9 pages,
// where every graph command lives.
struct Slots {
  std::array<InterpGraphHandler, 256> page[3] = {};
};
Slots gSlots;
InterpScreenHook gScreenHook = nullptr;

InterpGraphHandler* SlotOf(uint16_t code) {
  if (!InterpIsGraphCommand(code)) return nullptr;
  int page = code < 0x100 ? 0 : (code >> 8) == 0xF7 ? 1 : 2;
  return &gSlots.page[page][code & 0xFF];
}

}  // namespace

bool InterpIsGraphCommand(uint16_t code) {
  int c = InterpStatementClass(code);
  if (c == kClassGraph) return true;
  // The graph settings among the setting commands (ViewWindow, Factor, the
  // styles, types and on/off switches) belong to the graph side too.
  return c == kClassSetting && InterpIsGraphSetting(code);
}

bool InterpSetGraphHandler(uint16_t code, InterpGraphHandler handler) {
  InterpGraphHandler* slot = SlotOf(code);
  if (!slot) return false;
  *slot = handler;
  return true;
}

InterpGraphHandler InterpGraphHandlerOf(uint16_t code) {
  InterpGraphHandler* slot = SlotOf(code);
  return slot ? *slot : nullptr;
}

void InterpClearGraphHandlers() {
  gSlots = Slots{};
}

void InterpSetScreenHook(InterpScreenHook hook) {
  gScreenHook = hook;
}

InterpScreenHook InterpGetScreenHook() {
  return gScreenHook;
}
