#include "fs_test_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "memory/fs_error.h"
#include "memory/fs_path.h"
#include "memory/fs_store.h"

std::u16string U(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string FlashPath(const std::string& name) {
  return kFlashDevice + U(name);
}

Bytes Pattern(uint32_t size, uint32_t seed) {
  Bytes b(size);
  uint32_t x = seed * 2654435761u + 12345;
  for (uint8_t& byte : b) {
    x = x * 1103515245u + 12345u;
    byte = uint8_t(x >> 16);
  }
  return b;
}

PcFolder::PcFolder() {
  char templ[] = "/tmp/vk_memory_test_XXXXXX";
  if (mkdtemp(templ)) dir_ = templ;
}

PcFolder::~PcFolder() {
  if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

std::u16string PcFolder::PcFile(const std::string& name) const {
  std::u16string pc;
  HostPathToPc(HostFile(name), &pc);
  return pc;
}

Bytes PcFolder::ReadHost(const std::string& name) const {
  std::ifstream in(HostFile(name), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void PcFolder::WriteHost(const std::string& name, const Bytes& bytes) const {
  std::ofstream(HostFile(name), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

FlashRig::~FlashRig() {
  FlashDetach();
  Fs() = FsState{};
}

void FlashRig::Blank() {
  FlashEmuInit(&emu);
  FlashAttach(FlashEmuMedium(&emu));
}

void FlashRig::Format() {
  Blank();
  SmFormat(true, nullptr);
}

void FlashRig::Reload(const Bytes* image) {
  if (image) emu.bytes = *image;
  FlashEmuPowerOn(&emu);
  Fs() = FsState{};
}

int FlashRig::Restart(StorageStartupReport* report) {
  Reload();
  return StorageStartup(nullptr, report);
}

UiDouble::UiDouble() {
  table.ctx = this;
  table.message = [](void*, int number) -> const char* {
    return number == 508 ? "One Moment Please" : number == 507 || number == 509 ? "" : nullptr;
  };
  table.progress_open = [](void* ctx, const char* const lines[3]) {
    auto* d = static_cast<UiDouble*>(ctx);
    d->opened++;
    d->window_lines.assign(lines, lines + 3);
  };
  table.progress_update = [](void* ctx, uint32_t done, uint32_t total) {
    static_cast<UiDouble*>(ctx)->progress.emplace_back(done, total);
  };
  table.progress_close = [](void* ctx) { static_cast<UiDouble*>(ctx)->closed++; };
  table.ask_resume = [](void* ctx, const char* const lines[4]) {
    auto* d = static_cast<UiDouble*>(ctx);
    d->question_lines.assign(lines, lines + 4);
    int i = d->asked++;
    return i < int(d->answers.size()) ? d->answers[i] : int(kAnswerContinue);
  };
}

int WriteFile(const std::u16string& path, const Bytes& data, int write_chunk) {
  int rc = FsCreate(path.c_str(), kEntryFile, uint32_t(data.size()));
  if (rc != 0) return rc;
  int h = FsOpen(path.c_str(), kOpenReadWrite);
  if (h < 0) return h;
  for (size_t at = 0; at < data.size();) {
    int w = FsWrite(h, data.data() + at, int(std::min<size_t>(write_chunk, data.size() - at)));
    if (w < 0) {
      FsClose(h);
      return w;
    }
    at += size_t(w);
  }
  return FsClose(h);
}

int ReadFile(const std::u16string& path, Bytes* out) {
  int h = FsOpen(path.c_str(), kOpenRead);
  if (h < 0) return h;
  int size = FsSize(h);
  out->assign(size_t(std::max(size, 0)), 0);
  int got = size > 0 ? FsRead(h, out->data(), size, 0) : 0;
  FsClose(h);
  if (got < 0) return got;
  return got == size ? 0 : kFsImageFailed;
}

std::vector<std::u16string> ListFolder(const std::string& folder, const std::string& pattern) {
  std::vector<std::u16string> names;
  std::u16string p = FlashPath(folder.empty() ? pattern : folder + "\\" + pattern);
  int h;
  char16_t name[kFileNameMax + 1];
  FsFindInfo info;
  if (FsFindFirst(p.c_str(), &h, name, &info) != 0) return names;
  do names.push_back(name);
  while (FsFindNext(h, name, &info) == 0);
  FsFindClose(h);
  return names;
}

std::string VerifyStore(const FlashRig& rig, const FileModel& model) {
  if (rig.emu.violations) return "flash rule broken: " + rig.emu.first_violation;
  if (int problems = SmCheck(false)) return "check reports " + std::to_string(problems);
  for (const auto& [path, bytes] : model) {
    Bytes got;
    int rc = ReadFile(path, &got);
    std::string name(path.begin(), path.end());
    if (rc != 0) return "cannot read " + name + ": " + std::to_string(rc);
    if (got != bytes) return "contents differ: " + name;
  }
  return "";
}

FileModel BuildStore(const StoreRecipe& r) {
  FileModel model;
  uint32_t x = r.seed;
  auto next = [&x]() {
    x = x * 1664525u + 1013904223u;
    return x >> 8;
  };
  std::vector<std::string> folders;
  for (int i = 0; i < r.folders; ++i) {
    std::string f = "DIR" + std::to_string(i);
    if (FsCreate(FlashPath(f).c_str(), kEntryFolder, 0) == 0) folders.push_back(f);
  }
  int total = r.small_files + r.large_files;
  int stride = r.large_files > 0 ? std::max(1, total / r.large_files) : total + 1;
  for (int i = 0; i < total; ++i) {
    bool large = i % stride == stride / 2;
    uint32_t size = large ? r.large_size + next() % 4000 : 1 + next() % 300;
    bool addin = r.addin_every > 0 && i % r.addin_every == r.addin_every - 1;
    std::string name = "F" + std::to_string(i) + (addin ? ".g1a" : ".g1m");
    if (!folders.empty() && next() % 3 == 0) name = folders[next() % folders.size()] + "\\" + name;
    std::u16string path = FlashPath(name);
    Bytes data = Pattern(size, r.seed * 7919 + uint32_t(i));
    if (WriteFile(path, data, 1 + int(next() % 5000)) != 0) continue;
    model[path] = data;
    if (r.delete_every > 0 && i % r.delete_every == r.delete_every - 1) {
      auto it = std::next(model.begin(), next() % model.size());
      if (FsDelete(it->first.c_str()) == 0) model.erase(it);
    }
  }
  return model;
}
