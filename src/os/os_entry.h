// The OS side's single door for a front end: install the OS's hooks into
// the host services before the OS thread starts.
#pragma once

void OsInstallHooks();

// The OS thread's entry: boots and never returns while the OS runs.
void OsEntry();
