// The message texts against what the screen can show: the tables hold what
// data/messages/messages.txt says, every character has a glyph, and every
// text fits its line, counted in cells and, for the pop-up lines, in dots
// inside a drawn frame.
//
// VK_MESSAGES_RENDER=DIR also writes the screens drawn here as text art
// into DIR (render them with tools/golden2png.sh to read them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "display_fixture.h"
#include "os/charset.h"
#include "os/draw.h"
#include "os/font.h"
#include "os/messages.h"
#include "os/msggen/message_file.h"
#include "os/text.h"
#include "os/vram.h"
#include "support/golden.h"

namespace {

using message_file::Entry;
using message_file::Kind;

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = [] {
    std::vector<Entry> read;
    std::string error;
    EXPECT_TRUE(message_file::Read(std::string(VK_SOURCE_DIR) + "/data/messages/messages.txt",
                                   &read, &error))
        << error;
    return read;
  }();
  return entries;
}

std::string Where(const Entry& e, int language) {
  return "message " + std::to_string(e.number) + " (" + message_file::kTags[language] + ", line " +
         std::to_string(e.textLines[language]) + ")";
}

const char* Stored(int language, int number) {
  return GetMessageTable(language)->messages[number];
}

// The text of a stored message without what the build adds for its kind.
std::string Body(const Entry& e, int language) {
  std::string s = Stored(language, e.number);
  if (e.kind == Kind::kPopUp) {
    if (s.compare(0, std::strlen(kPopUpIndent), kPopUpIndent) != 0) return "<no indent>";
    return s.substr(std::strlen(kPopUpIndent));
  }
  if (e.kind == Kind::kRight) return s.substr(std::min(s.find_first_not_of(' '), s.size()));
  return s;
}

std::vector<uint16_t> Codes(const std::string& calc) {
  std::vector<uint16_t> codes;
  const char* p = calc.c_str();
  while (uint16_t code = ReadCharCode(&p)) codes.push_back(code);
  return codes;
}

TEST(MessageTextTest, TablesHoldTheDataFileTexts) {
  ASSERT_FALSE(Entries().empty());
  std::vector<bool> listed(kMessageCount, false);
  for (const Entry& e : Entries()) {
    listed[e.number] = true;
    for (int l = 0; l < kLanguageCount; ++l) {
      int unmapped = -1;
      std::string calc = Utf8ToCalc(e.texts[l], &unmapped);
      EXPECT_EQ(unmapped, 0) << Where(e, l) << ": characters the calculator cannot show";
      EXPECT_EQ(Body(e, l), calc) << Where(e, l);
    }
  }
  for (int n = 0; n < kMessageCount; ++n)
    for (int l = 0; l < kLanguageCount && !listed[n]; ++l)
      EXPECT_STREQ(Stored(l, n), "") << "message " << n << " has no entry in the data file";
}

TEST(MessageTextTest, EveryCharacterHasANormalGlyph) {
  for (const Entry& e : Entries()) {
    for (int l = 0; l < kLanguageCount; ++l) {
      for (uint16_t code : Codes(Body(e, l))) {
        bool moves = code == kCodePenLeft || code == kCodePenRight || code == kCodeNewLine ||
                     code == kCodePenHome;
        EXPECT_FALSE(moves) << Where(e, l) << ": a message is one line, printed as it stands";
        EXPECT_NE(NormalGlyph(code), nullptr)
            << Where(e, l) << ": no glyph for 0x" << std::hex << code;
        EXPECT_NE(CharToUtf8(code), nullptr)
            << Where(e, l) << ": 0x" << std::hex << code << " is not a character";
      }
    }
  }
}

TEST(MessageTextTest, EveryTextFitsItsLineAndTheBuffer) {
  for (const Entry& e : Entries()) {
    for (int l = 0; l < kLanguageCount; ++l) {
      int cells = static_cast<int>(Codes(Body(e, l)).size());
      if (e.kind == Kind::kRight) {
        EXPECT_EQ(Codes(Stored(l, e.number)).size(), static_cast<size_t>(kTextColumns))
            << Where(e, l) << ": a right-aligned line";
      } else {
        EXPECT_LE(cells, e.maxCells) << Where(e, l) << ": \"" << e.texts[l] << "\"";
      }
      EXPECT_LT(std::strlen(Stored(l, e.number)), static_cast<size_t>(kMessageBufferBytes))
          << Where(e, l) << ": GetMessage would show the message error";
    }
  }
}

class MessageScreenTest : public DisplayTest {
 protected:
  // Writes the screen for review when VK_MESSAGES_RENDER names a folder.
  static void Keep(const std::string& name) {
    const char* dir = std::getenv("VK_MESSAGES_RENDER");
    if (!dir || !*dir) return;
    std::ofstream(std::string(dir) + "/" + name + ".txt", std::ios::binary)
        << golden::PlaneToText(VramAddress());
  }
};

// A pop-up like the error box's (frame 9..117 by 3..51, text lines 2..6),
// filled five messages at a time from column 1: the text must keep off the
// frame and the two dot columns inside it, so it lies in x 12..113.
TEST_F(MessageScreenTest, PopUpLinesStayInsideTheFrame) {
  constexpr int kLeft = 9, kRight = 117, kTop = 3, kBottom = 51;
  for (int l = 0; l < kLanguageCount; ++l) {
    std::vector<const Entry*> lines;
    for (const Entry& e : Entries())
      if (e.kind == Kind::kPopUp && !e.texts[l].empty()) lines.push_back(&e);
    for (size_t first = 0; first < lines.size(); first += 5) {
      ClearVram();
      DrawLine(kLeft, kTop, kRight, kTop, 1);
      DrawLine(kLeft, kBottom, kRight, kBottom, 1);
      DrawLine(kLeft, kTop, kLeft, kBottom, 1);
      DrawLine(kRight, kTop, kRight, kBottom, 1);
      size_t count = std::min<size_t>(5, lines.size() - first);
      for (size_t i = 0; i < count; ++i)
        PrintXY(0, 8 * static_cast<int>(i + 1), Stored(l, lines[first + i]->number), 0);
      for (size_t i = 0; i < count; ++i) {
        const Entry& e = *lines[first + i];
        int top = 8 * static_cast<int>(i + 1);
        for (int y = top; y < top + 8; ++y) {
          EXPECT_TRUE(GetPixel(kLeft, y) && GetPixel(kRight, y)) << Where(e, l) << ": frame cut";
          for (int x = 0; x < kLcdWidth; ++x) {
            if (x != kLeft && x != kRight && GetPixel(x, y)) {
              EXPECT_TRUE(x >= 12 && x <= 113) << Where(e, l) << ": dot at x " << x;
            }
          }
        }
      }
      Keep(std::string("messages_") + message_file::kTags[l] + "_pop_" + std::to_string(first / 5));
    }
  }
}

// Names, titles and whole lines, eight to a screen from column 1: nothing
// reaches past the 21 cells (dot 125), and names stay within 17 cells.
TEST_F(MessageScreenTest, WholeLinesStayOnTheScreen) {
  for (int l = 0; l < kLanguageCount; ++l) {
    std::vector<const Entry*> lines;
    for (const Entry& e : Entries())
      if (e.kind != Kind::kPopUp) lines.push_back(&e);
    for (size_t first = 0; first < lines.size(); first += 8) {
      ClearVram();
      size_t count = std::min<size_t>(8, lines.size() - first);
      for (size_t i = 0; i < count; ++i) {
        const Entry& e = *lines[first + i];
        int top = 8 * static_cast<int>(i);
        PrintXY(0, top, Stored(l, e.number), 0);
        int lastDot = 6 * e.maxCells - 1;
        for (int y = top; y < top + 8; ++y)
          for (int x = lastDot + 1; x < kLcdWidth; ++x)
            EXPECT_FALSE(GetPixel(x, y)) << Where(e, l) << ": dot at x " << x;
      }
      Keep(std::string("messages_") + message_file::kTags[l] + "_lines_" +
           std::to_string(first / 8));
    }
  }
}

}  // namespace
