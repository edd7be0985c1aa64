#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The Japanese Windows code page of the job file (CP932, the Microsoft
// variant of Shift_JIS with the NEC and IBM extensions such as ① and ～).

// The codec name used for CP932: "windows-31j", or "Shift_JIS" where the
// text codec library lacks that alias.
const char* cp932CodecName();

// The bytes as text; bytes that are not CP932 become U+FFFD.
QString decodeCp932(QByteArrayView bytes);

// The text as CP932 bytes. *ok is false when the encoder reported an error;
// a character without a CP932 form may still pass unnoticed (some are
// mapped to a look-alike), so callers that must keep the text whole check
// it with cp932Holds().
QByteArray encodeCp932(QStringView text, bool* ok = nullptr);

// True when the text comes back unchanged after encoding to CP932 and
// decoding again.
bool cp932Holds(QStringView text);
