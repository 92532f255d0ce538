#include "apps/graph/graph_funcs.h"

#include <cstring>
#include <vector>

#include "apps/graph/graph_items.h"
#include "apps/graph/view_window.h"
#include "math/token.h"

namespace {

constexpr uint32_t kHeaderBytes = 4;
constexpr uint32_t kMaxItemBytes = 1024;

std::string ItemName(int number) {
  return std::to_string(number);
}

}  // namespace

GraphFunction LoadGraphFunction(int number) {
  GraphFunction f;
  const std::string name = ItemName(number);
  const uint32_t size = GraphItemSize(name.c_str());
  if (size < kHeaderBytes + 1 || size > kMaxItemBytes) return f;
  // Two spare end bytes: a token such as Xmin has a 0 second byte, so the
  // strings are measured by whole tokens.
  std::vector<uint8_t> bytes(size + 2, 0);
  if (ReadGraphItem(name.c_str(), bytes.data(), size) != 0) return f;
  f.type = bytes[0] < kGraphTypeCount ? bytes[0] : static_cast<uint8_t>(kGraphY);
  f.selected = bytes[1] != 0;
  const uint8_t* at = bytes.data() + kHeaderBytes;
  const uint8_t* end = bytes.data() + size;
  const int parts = f.type == kGraphParam ? 2 : 1;
  for (int i = 0; i < parts && at < end; ++i) {
    const size_t length = TokenStringLength(at);
    if (at + length > end) break;
    f.expr[i].assign(reinterpret_cast<const char*>(at), length);
    at += length + 1;
  }
  return f;
}

int SaveGraphFunction(int number, const GraphFunction& f) {
  if (number < 1 || number > kGraphFunctionCount) return kErrArgument;
  const std::string name = ItemName(number);
  if (f.Empty()) {
    DeleteGraphItem(name.c_str());
    return 0;
  }
  std::string bytes(kHeaderBytes, '\0');
  bytes[0] = static_cast<char>(f.type);
  bytes[1] = f.selected ? 1 : 0;
  bytes += f.expr[0];
  bytes += '\0';
  if (f.type == kGraphParam) {
    bytes += f.expr[1];
    bytes += '\0';
  }
  if (bytes.size() > kMaxItemBytes) return kErrMemory;
  return WriteGraphItem(name.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size())) == 0
             ? 0
             : kErrMemory;
}

uint8_t GraphVariable(uint8_t type) {
  switch (type) {
    case kGraphR:
      return 0xCE;  // θ
    case kGraphParam:
      return 'T';
    default:
      return 'X';
  }
}

std::string GraphFunctionName(uint8_t type, int number, int part) {
  const std::string n = std::to_string(number);
  switch (type) {
    case kGraphR:
      return "r" + n;
    case kGraphParam:
      return (part == 0 ? "Xt" : "Yt") + n;
    case kGraphXc:
      return "X" + n;
    default:
      return "Y" + n;
  }
}
