// The main menu: a grid of the application icons, four to a row.
#pragma once

// One main-menu round with the screen and input state saved and restored
// around it: from the main loop, and from the MENU key inside applications.
void ShowMainMenuNested();

// The menu itself (option 0). Draws, reads keys, launches.
void MainMenu();
// Draws the menu for a selection (the top row follows it). For tests.
void DrawMainMenu(int selection);
