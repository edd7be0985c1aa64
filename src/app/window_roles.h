// SPDX-License-Identifier: MIT
#pragma once

// What each window of the program is to a screen reader. The main windows
// (the setup and input screens, QMainWindow) are frames already; the others
// are plain top-level widgets, which Qt gives no role of their own (a screen
// reader hears "filler"). Installed once, before the first window is made;
// installing again does nothing.
void installWindowRoles();
