#include "os/clip_buffer.h"

#include <mutex>

namespace {

struct ClipState {
  std::mutex mutex;  // the host fills and reads it from its own thread
  std::string tokens;
  ClipTextToTokens toTokens = nullptr;
  ClipTokensToText toText = nullptr;
};

ClipState& Clip() {
  static ClipState s;
  return s;
}

}  // namespace

std::string ClipBufferGet() {
  ClipState& s = Clip();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.tokens;
}

void ClipBufferSet(const uint8_t* tokens, size_t length) {
  ClipState& s = Clip();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.tokens.assign(reinterpret_cast<const char*>(tokens), length);
}

void ClipBufferClear() {
  ClipState& s = Clip();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.tokens.clear();
}

void SetClipTextConverters(ClipTextToTokens toTokens, ClipTokensToText toText) {
  ClipState& s = Clip();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.toTokens = toTokens;
  s.toText = toText;
}

int ClipBufferPutText(const char* utf8, std::string* dropped) {
  ClipState& s = Clip();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.tokens.clear();
  if (dropped) dropped->clear();
  if (!s.toTokens || !utf8) return 0;
  std::string tokens, left;
  s.toTokens(utf8, &tokens, &left);
  s.tokens = std::move(tokens);
  if (dropped) *dropped = std::move(left);
  return 1;
}

std::string ClipBufferText() {
  ClipState& s = Clip();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.toText || s.tokens.empty()) return {};
  std::string zeroEnded = s.tokens + '\0';
  return s.toText(reinterpret_cast<const uint8_t*>(zeroEnded.c_str()));
}
