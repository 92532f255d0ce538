// The flash image on the host: the file "qm417.fls" (flash address = file
// offset) in a private per-user folder, and the functions the host calls at
// start-up and exit.
#pragma once

#include <string>

#include "memory/flash_image.h"

struct StorageUi;
struct StorageStartupReport;

constexpr const char* kFlashImageName = "qm417.fls";
constexpr const char* kFlashEnvVar = "VK2280_FLASH";

// The host's folder for temporary and private files: $TMPDIR, or /tmp when
// it is unset or empty; without a trailing slash.
std::string HostTempFolder();

// Where the image lives: `explicit_path` when given (non-empty), else
// $VK2280_FLASH, else $TMPDIR (or /tmp) / "vk2280-<uid>" / "qm417.fls". The
// private folder is created 0700 and refused (-14) when it is a symbolic
// link, not a folder, or not the user's own. `private_folder` tells whether
// the path is the default one.
int FlashResolveImagePath(const char* explicit_path, std::string* out, bool* private_folder);

// Opens the image read-write, or creates it (owner read and write only),
// erases every sector and formats it; attaches it to the image layer.
// `no_follow` refuses a symbolic link in place of the file. 0 or a negative
// code; `created` tells whether it was new.
int FlashImageOpen(const std::string& path, bool no_follow, bool* created);
void FlashImageClose();
bool FlashImageIsOpen();

// What the view does when it is created: resolve, open or create, mount and
// repair what a power cut left (an unfinished optimisation or a damaged
// directory is left to the OS's boot, which runs StorageStartup with its
// screen and can ask the user).
int StorageOpenImage(const char* explicit_path, std::string* used_path);

// A fresh image for one run (the headless front end's default): created in
// the temporary folder, formatted, and removed from the folder at once, so
// it disappears when the program ends however it ends.
int StorageOpenScratchImage();
