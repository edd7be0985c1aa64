// SPDX-License-Identifier: MIT
#include "domain/tools/barcode.h"

#include <cmath>
#include <memory>

#include <zint.h>

namespace {

constexpr int kMaxText = 80;

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

}  // namespace

std::optional<Code128Symbol> code128Symbol(const QString& text) {
    if (text.isEmpty() || text.size() > kMaxText)
        return std::nullopt;
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return std::nullopt;

    const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        return std::nullopt;
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0;
    // Half of zint's default scale draws one module as one unit.
    symbol->scale = 0.5f;
    const QByteArray bytes = text.toLatin1();
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                        int(bytes.size())) >= ZINT_ERROR ||
        ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector)
        return std::nullopt;

    Code128Symbol result;
    result.modules = symbol->width;
    for (const zint_vector_rect* rect = symbol->vector->rectangles; rect; rect = rect->next)
        result.bars.append({int(std::lround(rect->x)), int(std::lround(rect->width))});
    return result;
}
