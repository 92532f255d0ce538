// The terminal front end's key decoder: what terminals send for each key,
// sequences split across reads, the lone Esc, and broken input.
#include "host/cli/tui_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "host/services/key_tables.h"

namespace {

TermKey Vk(int vk) {
  return TermKey{TermKey::kVirtualKey, vk};
}
TermKey Ch(int cp) {
  return TermKey{TermKey::kCharacter, cp};
}
const TermKey kQuit{TermKey::kQuit, 0};

// Feeds `bytes` in pieces of `chunk` bytes (0: all at once), then lets the
// escape wait run out, and collects every key.
std::vector<TermKey> Decode(const std::string& bytes, size_t chunk = 0) {
  TermKeyDecoder d;
  std::vector<TermKey> keys;
  TermKey k;
  if (chunk == 0) chunk = bytes.size() ? bytes.size() : 1;
  for (size_t i = 0; i < bytes.size(); i += chunk) {
    d.Feed(bytes.data() + i, std::min(chunk, bytes.size() - i));
    while (d.Next(&k)) keys.push_back(k);
  }
  d.Flush();
  while (d.Next(&k)) keys.push_back(k);
  EXPECT_FALSE(d.Waiting());
  return keys;
}

std::string Describe(const std::vector<TermKey>& keys) {
  std::string s;
  for (const TermKey& k : keys)
    s += "(" + std::to_string(k.kind) + "," + std::to_string(k.value) + ")";
  return s;
}

struct Case {
  const char* what;
  std::string bytes;
  std::vector<TermKey> keys;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // Keys of the PC key table, in the forms xterm, VT220, the Linux console and tmux use.
      {"cursor keys",
       "\x1b[A\x1b[B\x1b[C\x1b[D",
       {Vk(kVkUp), Vk(kVkDown), Vk(kVkRight), Vk(kVkLeft)}},
      {"cursor keys, application mode", "\x1bOA\x1bOD", {Vk(kVkUp), Vk(kVkLeft)}},
      {"modifiers are ignored", "\x1b[1;5A\x1b[3;2~", {Vk(kVkUp), Vk(kVkDelete)}},
      {"editing keys",
       "\x1b[2~\x1b[3~\x1b[5~\x1b[6~",
       {Vk(kVkInsert), Vk(kVkDelete), Vk(kVkPrior), Vk(kVkNext)}},
      {"Home and End in four forms each",
       "\x1b[H\x1b[1~\x1b[7~\x1bOH\x1b[F\x1b[4~\x1b[8~\x1bOF",
       {Vk(kVkHome), Vk(kVkHome), Vk(kVkHome), Vk(kVkHome), Vk(kVkEnd), Vk(kVkEnd), Vk(kVkEnd),
        Vk(kVkEnd)}},
      {"F1-F4 as SS3", "\x1bOP\x1bOQ\x1bOR\x1bOS", {Vk(kVkF1), Vk(kVkF2), Vk(kVkF3), Vk(kVkF4)}},
      {"F1-F6 as VT220",
       "\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~\x1b[17~",
       {Vk(kVkF1), Vk(kVkF2), Vk(kVkF3), Vk(kVkF4), Vk(kVkF5), Vk(kVkF6)}},
      {"F1 and F5 on the Linux console", "\x1b[[A\x1b[[E", {Vk(kVkF1), Vk(kVkF5)}},
      {"Alt+1 .. Alt+6 stand in for F1-F6", "\0331\0336", {Vk(kVkF1), Vk(kVkF6)}},
      {"Alt+letters stand in for the keys laptops lack",
       "\033m\033s\033a\033o\033v\033M",
       {Vk(kVkNext), Vk(kVkInsert), Vk(kVkEnd), Vk(kVkHome), Vk(kVkPrior), Vk(kVkNext)}},
      {"Enter, Tab, Backspace, Space",
       "\r\t\x7f\x08 ",
       {Vk(kVkReturn), Vk(kVkTab), Vk(kVkBack), Vk(kVkBack), Vk(kVkSpace)}},
      {"CR LF is one Enter, CR CR two", "\r\n\r\r", {Vk(kVkReturn), Vk(kVkReturn), Vk(kVkReturn)}},
      {"LF alone is Enter", "1\n", {Ch('1'), Vk(kVkReturn)}},
      {"keypad in application mode",
       "\x1bOk\x1bOp\x1bOx\x1bOn\x1bOM",
       {Ch('+'), Ch('0'), Ch('8'), Ch('.'), Vk(kVkReturn)}},
      {"quit, suspend, redraw",
       "\x11\x03\x1a\x0c",
       {kQuit, kQuit, TermKey{TermKey::kSuspend, 0}, TermKey{TermKey::kRedraw, 0}}},
      {"characters, also in UTF-8",
       "1+(x)\xc3\xa9\xc3\x97\xe2\x86\x92",
       {Ch('1'), Ch('+'), Ch('('), Ch('x'), Ch(')'), Ch(0xE9), Ch(0xD7), Ch(0x2192)}},
      // Keys the calculator has no use for, and broken input, leave nothing behind.
      {"unused keys", "\x1b[24~\x1b[Z\x1b[200~1", {Ch('1')}},
      {"other control keys, C1 controls too", "\x01\x02\x1c\xc2\x85", {}},
      {"malformed UTF-8", "\xff\xc3(\x80", {Ch('(')}},
      {"Esc then a key without an Alt meaning",
       "\033x\0337\0330\033\033",
       {Vk(kVkEscape), Ch('x'), Vk(kVkEscape), Ch('7'), Vk(kVkEscape), Ch('0'), Vk(kVkEscape),
        Vk(kVkEscape)}},
      {"a sequence cut short is Esc and text", "\x1b[", {Vk(kVkEscape), Ch('[')}},
      {"Esc O cut short is Alt+O", "\x1bO", {Vk(kVkHome)}},
  };
  return cases;
}

// A slow link splits sequences anywhere: read in pieces, down to byte by
// byte, the keys must be the same (the escape wait only runs out at the end).
TEST(TuiInput, DecodesWhatTerminalsSend) {
  for (const Case& c : Cases()) {
    for (size_t chunk : {0, 1, 2, 3})
      EXPECT_EQ(Describe(Decode(c.bytes, chunk)), Describe(c.keys)) << c.what << " chunk " << chunk;
    for (const TermKey& k : c.keys)
      EXPECT_TRUE(k.kind != TermKey::kVirtualKey || PcKeyOf(k.value)) << c.what << " " << k.value;
  }
}

// Split reads are held until the rest comes; a lone Esc until the wait
// runs out, and a key after it is then no Alt+key. Nothing is held for ever.
TEST(TuiInput, HeldBytesWaitForMoreOrForTheTimeout) {
  TermKeyDecoder d;
  TermKey k;
  d.Feed("\x1b", 1);
  EXPECT_FALSE(d.Next(&k));
  EXPECT_TRUE(d.Waiting());
  d.Flush();
  ASSERT_TRUE(d.Next(&k));
  EXPECT_EQ(Describe({k}), Describe({Vk(kVkEscape)}));
  d.Feed("1", 1);
  ASSERT_TRUE(d.Next(&k));
  EXPECT_EQ(Describe({k}), Describe({Ch('1')}));
  const std::string endless = "\x1b[" + std::string(40, '1');
  d.Feed(endless.data(), endless.size());
  EXPECT_FALSE(d.Next(&k));
  EXPECT_FALSE(d.Waiting()) << "an endless sequence is dropped";
  d.Feed("A", 1);
  ASSERT_TRUE(d.Next(&k));
  EXPECT_EQ(Describe({k}), Describe({Ch('A')}));
}

// Each key named from the width given on, in a line no wider than the terminal.
TEST(TuiInput, HelpLineFitsAndKeepsTheKeysAPcUserCannotGuess) {
  const std::pair<int, const char*> musts[] = {
      {80, "quit"}, {80, "MENU"}, {80, "SHIFT"}, {80, "ALPHA"}, {80, "OPTN"},  {80, "VARS"},
      {80, "AC"},   {80, "F1"},   {130, "EXE"},  {130, "EXIT"}, {130, "DEL"}, {400, "Alt+M"}};
  for (int width : {400, 130, 100, 80, 66, 30, 5, 0}) {
    const std::string help = KeyHelpLine(width);
    EXPECT_LE(std::count_if(help.begin(), help.end(), [](char b) { return (b & 0xC0) != 0x80; }),
              width);
    for (auto [least, must] : musts)
      EXPECT_TRUE(width < least || help.find(must) != std::string::npos) << must << " in " << help;
  }
}

}  // namespace
