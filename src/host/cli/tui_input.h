// Terminal input for the terminal front end: the bytes a terminal sends for
// keys (escape sequences, UTF-8) turned into the PC's virtual keys and typed
// characters that the desktop window hands to the same key tables.
#pragma once

#include <cstddef>
#include <string>

struct TermKey {
  enum Kind { kVirtualKey, kCharacter, kQuit, kSuspend, kRedraw };
  Kind kind = kCharacter;
  int value = 0;  // a virtual key, or a Unicode code point
  bool operator==(const TermKey&) const = default;
};

// Bytes go in as they arrive; keys come out once complete. An escape byte
// may start a longer sequence, so it waits until more bytes come or the
// caller decides the wait is over (Flush), and then counts as Esc.
class TermKeyDecoder {
 public:
  void Feed(const char* bytes, size_t count);
  // The next complete key; false when none is complete yet.
  bool Next(TermKey* key);
  // True while held bytes may still be the start of a longer sequence.
  bool Waiting() const { return !pending_.empty(); }
  // No more bytes came in time: what is held is taken as typed.
  void Flush() { flushing_ = true; }

 private:
  // Decodes at the front of pending_: >0 bytes used (key set when *got), 0 incomplete.
  size_t DecodeFront(TermKey* key, bool* got) const;
  std::string pending_;
  bool flushing_ = false;
  bool afterCarriageReturn_ = false;
};

// A key of the calculator reached from a terminal that lacks the PC key
// (Alt+letter / Alt+digit): the virtual key it stands for, 0 for none.
int AltFallbackKey(int character);

// One line of key help that fits in `width` columns: the keys least obvious
// to a PC user stay longest.
std::string KeyHelpLine(int width);
