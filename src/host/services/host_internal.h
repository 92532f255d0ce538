// Shared between the service files only.
#pragma once

#include "host/services/front_end.h"

bool HostStopRequested();
void KeyQueueWakeAll();
void KeyQueueResetForTest();
void LcdResetForTest();
void DroppedFilesResetForTest();
HostFrontEnd* HostCurrentFrontEnd();
