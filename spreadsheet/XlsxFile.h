#pragma once
#include "SheetModel.h"

#include <QString>
#include <vector>

namespace Sheet {

// Writes the sheets as a workbook file at `path`: first to a temporary file
// beside it, then renamed to `path`, never over an existing file. Returns an
// empty text on success, else what failed (the temporary file is removed).
QString WriteXlsxFile(const QString& path, const std::vector<const TSheet*>& sheets);

// 0xRRGGBB of a colour number whose low byte is red (the automation form).
constexpr uint32_t RgbFromColorNumber(uint32_t v) {
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

} // namespace Sheet
