// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The text of the PDF files Qt writes, made searchable for kanji.
//
// A PDF tells a reader which characters its glyphs stand for through each
// embedded font's ToUnicode map. Qt builds that map by asking the font for
// the glyph of every character from U+0000 upward and keeps the first
// character found for a glyph; where a CJK font (Noto CJK, MS Gothic, Yu
// Gothic, Meiryo) draws a Kangxi radical, a CJK radical or a CJK stroke with
// the glyph of a kanji, the look-alike comes first, and a reader finds ⼤⼈
// where the page shows 大人.

// The PDF with every such look-alike in its ToUnicode maps replaced by the
// unified ideograph Unicode names as its equivalent
// (EquivalentUnifiedIdeograph.txt), the maps' lengths and the offsets of the
// cross-reference table set to match. A PDF not laid out as Qt writes them
// (a map compressed or of indirect length, a cross-reference stream, an
// update appended, an offset that points elsewhere) comes back unchanged, as
// does one without look-alikes.
QByteArray pdfWithUnifiedIdeographs(const QByteArray& pdf);

// The text of a ToUnicode map with the look-alikes among the characters of
// its bfchar and bfrange entries replaced. Each entry stays one entry (a
// range onto consecutive characters that meets a look-alike becomes a range
// onto a list), so the sections' counts stay right. Empty when nothing
// changes or the text is not understood.
QByteArray toUnicodeWithIdeographs(QByteArrayView map);
