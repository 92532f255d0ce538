#include <cstdio>

#include "host/capture/screen_files.h"
#include "host/cli/cli.h"
#include "host/cli/headless.h"

bool TakeScreenOption(const std::vector<std::string>& args, size_t* i, ScreenOutputs* out,
                      std::string* error) {
  const std::string& a = args[*i];
  if (a == "--text") {
    out->text = true;
    return true;
  }
  if (a != "--bmp" && a != "--png") return false;
  if (*i + 1 >= args.size()) {
    *error = a + " needs a file name";
    return true;
  }
  (a == "--bmp" ? out->bmpPath : out->pngPath) = args[++*i];
  return true;
}

bool WriteScreenOutputs(const ScreenOutputs& outputs, std::string* error) {
  uint8_t plane[kLcdBytes];
  HeadlessScreen(plane);
  if (outputs.text) std::fputs(LcdImageText().c_str(), stdout);
  if (!outputs.bmpPath.empty() &&
      !WriteFileBytes(outputs.bmpPath, EncodeScreenBmp(plane, kLcdWidth, kLcdHeight))) {
    *error = "cannot write " + outputs.bmpPath;
    return false;
  }
  if (!outputs.pngPath.empty() &&
      !WriteFileBytes(outputs.pngPath, EncodeScreenPng(plane, kLcdWidth, kLcdHeight))) {
    *error = "cannot write " + outputs.pngPath;
    return false;
  }
  return true;
}
