// The 20 graph functions of the Y= list, each a main-memory item named by
// its number ("1".."20"): a 4-byte header (type, selected, style, spare),
// then its expression as a token string ended by 0; a parametric function
// holds two (Xt, then Yt).
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kGraphFunctionCount = 20;

// The function types, with the values of the Func Type setup item.
enum GraphType : uint8_t {
  kGraphY = 0,
  kGraphR = 1,
  kGraphParam = 2,
  kGraphXc = 3,
  kGraphTypeCount = 4,
};
inline constexpr int kSetupFuncType = 24;

struct GraphFunction {
  uint8_t type = kGraphY;
  bool selected = false;
  std::string expr[2];  // token bytes without the end byte; [1] only for kGraphParam
  bool Empty() const { return expr[0].empty() && expr[1].empty(); }
};

// Reads function 1..20; an empty function when the item does not exist.
GraphFunction LoadGraphFunction(int number);
// Writes it (an empty function deletes its item). 0 or 4.
int SaveGraphFunction(int number, const GraphFunction& function);

// The variable a type's expressions are written in: X, θ or T.
uint8_t GraphVariable(uint8_t type);
// The name of function n's line as the list shows it ("Y1", "r1", "Xt1",
// "Yt1", "X1"), part 1 being a parametric function's Yt.
std::string GraphFunctionName(uint8_t type, int number, int part);
