// The OS side's single door for a front end: install the OS's hooks into
// the host services before the OS thread starts.
#pragma once

void OsInstallHooks();
