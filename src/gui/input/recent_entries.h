// SPDX-License-Identifier: MIT
#pragma once

#include <QListWidget>
#include <QStyledItemDelegate>

// The recent-entries list shows all the items it keeps, without scrolling.
inline constexpr int kRecentEntriesShown = 11;

// Draws the recent entries in rows of one height, eleven to the list's
// height, whatever face the system gives the list: the glyphs of an item
// centred in its row (a face that draws higher than the row is set smaller),
// and an item wider than the list (a separator with a long amount) set
// narrower rather than cut. Owned by the list.
QStyledItemDelegate* newRecentEntriesDelegate(QListWidget* list);

// The height of the recent-entries list's rows, when they stand one under
// another from its top, all of one height, unscrolled and all in view; 0
// otherwise.
int rowPitchOf(const QListWidget* list);
