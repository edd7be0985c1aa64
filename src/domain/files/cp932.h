// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The Japanese Windows code page of the job file (CP932, the Microsoft
// variant of Shift_JIS with the NEC and IBM extensions such as ① and ～),
// from a table compiled into the program: no text codec library is used.

// What stands in the text for bytes that are no CP932 character.
inline constexpr char16_t kCp932Replacement = u'\uFFFD';

// The bytes as text. The bytes 0x00 to 0x7F are the ASCII characters as
// they are; a byte that CP932 does not use (0x80, 0xA0, 0xFD to 0xFF), a lead
// byte whose next byte cannot follow it (the byte after it is then read on
// its own), a lead byte at the very end, and a byte pair to which CP932
// assigns no character each become one U+FFFD, counted in *replaced.
QString decodeCp932(QByteArrayView bytes, qsizetype* replaced = nullptr);

// The text as CP932 bytes, ASCII characters as they are. A character that
// CP932 has no form for (U+FFFD among them) is written as "?" and makes *ok
// false. Where CP932 has two forms of a character (the NEC and IBM
// duplicates), the one Windows writes is written.
QByteArray encodeCp932(QStringView text, bool* ok = nullptr);

// True when the text comes back unchanged after encoding to CP932 and
// decoding again.
bool cp932Holds(QStringView text);
