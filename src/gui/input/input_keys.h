// SPDX-License-Identifier: MIT
#pragma once

class QKeyEvent;

// The character code a key event stands for on the input screen, the way
// the classic key-press event gives it: Enter (main or keypad) 13, Back
// Space 8, Esc 27, printable characters their code; keypad keys act like the
// main keyboard's. 0 when the key is no character (arrows, Shift, F1 ...).
int keyAsciiOf(const QKeyEvent& event);

// The classic key code of the arrow keys (Up 38, Down 40); 0 for others.
int keyCodeOf(const QKeyEvent& event);
