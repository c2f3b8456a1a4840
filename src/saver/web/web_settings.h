// The page's settings through the settings file's own reader and writer:
// the values the page keeps (local storage and the address, as the file
// would hold them) read for a screen width, and Import and Export of a
// Lumvex_K47.ini as the settings dialog reads and saves it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/settings.h"

namespace lvx::web {

// The settings file's ten keys, in file order.
inline constexpr int kKeyCount = 10;

// The settings for a screen this wide, from the values (key index -> text,
// empty for none) written into one document in the file's own format and
// read by the reader, with its defaults and bounds. The page plays no music.
Settings SettingsFor(const std::array<std::string, kKeyCount>& values, double widthPx);

// The values as one settings file in the file's own format.
std::string DocumentOf(const std::array<std::string, kKeyCount>& values);

// A file's bytes as the settings dialog shows them on a screen this wide:
// read with its defaults and clamping, then brought into the dialog's ranges.
Settings ReadForPanel(const std::string& bytes, double screenWidthPx);

// What the page's settings panel holds, as the dialog's controls hold it.
struct PanelValues {
    int32_t size, sizeRandom, interval, gradation, backRandom, backColor, shape;
};

// The dialog's save over the file `bytes` (empty: a new file): every key
// written as the dialog writes it, everything else of the file kept. The
// music keys keep what the file holds, since the page has no music.
std::string WriteFromPanel(const std::string& bytes, const PanelValues& values);

}  // namespace lvx::web
