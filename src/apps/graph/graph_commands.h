// The program commands that draw on the graph screen (Cls, DrawGraph,
// Graph Y=, the Plot, Pxl, Line, Circle and Text commands, ViewWindow,
// StoPict/RclPict, ZoomAuto and the graph switches), installed as the
// interpreter's graph handlers, and the screen the run shows at its end.
#pragma once

#include <cstdint>

void InstallGraphCommands();

// The picture items "PICT1".."PICT20": both graph planes, 2048 bytes.
inline constexpr int kPictureCount = 20;
int StorePicture(int number);
int RecallPicture(int number);
