#include "g1m_test_support.h"

#include "memory/mem_app.h"

void G1mTest::SetUp() {
  FreshMemory();
  rig.Format();
  for (int i = 0; i < 128; ++i) setup[i] = static_cast<uint8_t>(i);
  G1mSetSetupRecord(setup);
}

void G1mTest::TearDown() {
  G1mSetSetupRecord(nullptr);
}

uint32_t PutItem(const char* folder, const char* item, uint8_t kind,
                 const std::vector<uint8_t>& bytes) {
  return McsCreateItem(folder, item, MemKindType(kind), static_cast<uint32_t>(bytes.size()),
                       bytes.data());
}

std::vector<uint8_t> MemorySnapshot() {
  std::vector<uint8_t> all = ArenaBytes();
  all.insert(all.end(), MemVariable(0), MemVariable(0) + kG1mAlphaBytes);
  return all;
}

int ImportPath(const std::u16string& path, G1mExisting existing, G1mImportReport* report,
               const G1mImportUi* ui) {
  G1mImportOptions options;
  options.existing = existing;
  options.ui = ui;
  return G1mImportFile(path.c_str(), options, report);
}

namespace {

void AppendBe(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendName(std::vector<uint8_t>* out, const std::string& name, size_t width) {
  for (size_t i = 0; i < width; ++i)
    out->push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
}

}  // namespace

std::vector<uint8_t> HeaderBytes(uint8_t type, uint32_t size, uint16_t count) {
  std::vector<uint8_t> h = {'U', 'S',  'B',  'P',  'o',  'w',  'e',
                            'r', type, 0x00, 0x10, 0x00, 0x10, 0x00};
  h.push_back(static_cast<uint8_t>((size & 0xFF) + 0x41));
  h.push_back(0x01);
  AppendBe(&h, size, 4);
  h.push_back(static_cast<uint8_t>((size & 0xFF) - 0x48));
  h.insert(h.end(), 9, 0xFF);
  AppendBe(&h, count, 2);
  for (uint8_t& b : h) b = static_cast<uint8_t>(~b);
  return h;
}

void AppendGroupHeader(std::vector<uint8_t>* out, const std::string& name, uint16_t count) {
  AppendName(out, name, 18);
  AppendBe(out, count, 2);
}

void AppendItemHeader(std::vector<uint8_t>* out, const std::string& folder, const std::string& item,
                      uint8_t kind, uint32_t size) {
  AppendName(out, folder, 8);
  AppendName(out, item, 8);
  out->push_back(kind);
  AppendBe(out, size, 4);
  out->insert(out->end(), 3, 0);
}

std::vector<uint8_t> DataFile(const std::vector<uint8_t>& body, uint16_t count) {
  std::vector<uint8_t> file = HeaderBytes('1', static_cast<uint32_t>(32 + body.size()), count);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}
