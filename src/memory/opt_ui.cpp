#include "memory/opt_ui.h"

const char* const kOptStoppedLines[4] = {"Optimization was", "stopped.", " Continue  :[F1]",
                                         " Initialize:[F6]"};

namespace {
const StorageUi* g_ui = nullptr;
}

void StorageSetUi(const StorageUi* ui) {
  g_ui = ui;
}
const StorageUi* StorageUiGet() {
  return g_ui;
}

int OptProgressEnd(uint32_t done, uint32_t total) {
  if (total == 0) return kProgressLeft + kProgressWidth;
  if (done > total) done = total;
  return kProgressLeft + int(uint64_t(kProgressWidth) * done / total);
}

void OptDrawProgressBar(uint8_t plane[1024], uint32_t done, uint32_t total) {
  int end = OptProgressEnd(done, total);
  for (int y = kProgressRowTop; y <= kProgressRowBottom; ++y)
    for (int x = kProgressLeft; x <= end; ++x) plane[y * 16 + x / 8] |= uint8_t(0x80 >> (x % 8));
}

void UiProgressOpen(const StorageUi* ui) {
  if (!ui || !ui->progress_open) return;
  const char* lines[3];
  for (int i = 0; i < 3; ++i) {
    const char* text = ui->message ? ui->message(ui->ctx, kMsgProgressFirst + i) : nullptr;
    lines[i] = text ? text : "";
  }
  ui->progress_open(ui->ctx, lines);
}

void UiProgressUpdate(const StorageUi* ui, uint32_t done, uint32_t total) {
  if (ui && ui->progress_update) ui->progress_update(ui->ctx, done, total);
}

void UiProgressClose(const StorageUi* ui) {
  if (ui && ui->progress_close) ui->progress_close(ui->ctx);
}

int UiAskResume(const StorageUi* ui) {
  if (!ui || !ui->ask_resume) return kAnswerContinue;
  for (;;) {
    int answer = ui->ask_resume(ui->ctx, kOptStoppedLines);
    if (answer == kAnswerContinue || answer == kAnswerInitialize) return answer;
  }
}
