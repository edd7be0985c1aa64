#include "domain/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

const char* cp932CodecName() {
    static const char* const name = [] {
        const char* const preferred = "windows-31j";
        if (QStringDecoder(preferred).isValid() && QStringEncoder(preferred).isValid())
            return preferred;
        return "Shift_JIS";
    }();
    return name;
}

QString decodeCp932(QByteArrayView bytes) {
    QStringDecoder decoder(cp932CodecName());
    return decoder.decode(bytes);
}

QByteArray encodeCp932(QStringView text, bool* ok) {
    QStringEncoder encoder(cp932CodecName());
    QByteArray bytes = encoder.encode(text);
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

bool cp932Holds(QStringView text) {
    bool ok = false;
    const QByteArray bytes = encodeCp932(text, &ok);
    return ok && decodeCp932(bytes) == text;
}
