// The applications library: puts every application's entry into the table
// the main menu launches from.
#pragma once

void InstallApplications();
