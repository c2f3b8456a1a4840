#include "saver/web/web_text.h"

#include <emscripten/emscripten.h>

#include <cstdint>

// clang-format off
EM_JS(int, lvx_js_decode_932, (const uint8_t* bytes, int n, uint16_t* out), {
    var text = new TextDecoder('shift_jis').decode(HEAPU8.subarray(bytes, bytes + n));
    for (var i = 0; i < text.length; ++i) {
        var c = text.charCodeAt(i);
        HEAPU16[(out >> 1) + i] = c === 0xFFFD ? 0x3F : c;
    }
    return text.length;
});

EM_JS(int, lvx_js_encode_932, (const uint16_t* units, int n, uint8_t* out), {
    // The encoder is the decoder's table turned round, made on first use;
    // where several codes give one character the first one wins.
    if (!Module.lvxCp932) {
        var map = new Map();
        var decoder = new TextDecoder('shift_jis');
        var pair = new Uint8Array(2);
        for (var lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead > 0x9F && lead < 0xE0) continue;
            for (var trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail === 0x7F) continue;
                pair[0] = lead;
                pair[1] = trail;
                var s = decoder.decode(pair);
                if (s.length === 1 && s !== '\uFFFD' && !map.has(s.charCodeAt(0))) map.set(s.charCodeAt(0), lead * 256 + trail);
            }
        }
        Module.lvxCp932 = map;
    }
    var length = 0;
    for (var i = 0; i < n; ++i) {
        var c = HEAPU16[(units >> 1) + i];
        if (c < 0x80) {
            HEAPU8[out + length++] = c;
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            HEAPU8[out + length++] = c - 0xFF61 + 0xA1;
        } else if (Module.lvxCp932.has(c)) {
            var code = Module.lvxCp932.get(c);
            HEAPU8[out + length++] = code >> 8;
            HEAPU8[out + length++] = code & 0xFF;
        } else {
            HEAPU8[out + length++] = 0x3F;
        }
    }
    return length;
});
// clang-format on

namespace lvx::web {

std::u16string DecodeCp932(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    const int n = lvx_js_decode_932(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()),
                                    reinterpret_cast<uint16_t*>(out.data()));
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string EncodeCp932(std::u16string_view text) {
    std::string out(text.size() * 2, '\0');
    const int n = lvx_js_encode_932(reinterpret_cast<const uint16_t*>(text.data()), static_cast<int>(text.size()),
                                    reinterpret_cast<uint8_t*>(out.data()));
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace lvx::web
