#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel {

// 32-bit pixels as Qt's RGB32 and ARGB32 hold them: each a word 0xAARRGGBB in the machine's byte
// order, rows `bytesPerRow` apart (a crop of a larger picture has more bytes per row than pixels).
// The words need not be aligned: they may come straight from a file.
struct RgbPixels {
    const unsigned char* bytes = nullptr;
    int width = 0;
    int height = 0;
    std::size_t bytesPerRow = 0;
    bool alpha = false; // else the top byte is ignored and the PNG has no alpha channel
};

// Encodes pixels as a lossless PNG, tuned for screenshots: interface pictures repeat whole runs of
// pixels, which the fastest deflate level finds without row filters. Strips of rows are
// compressed in parallel and joined into one stream; the strips do not depend on the machine,
// so the same pixels always give the same file. Needs no toolkit: the clipboard server links it.
struct RgbPngEncoder {
    // Empty when the pixels cannot be encoded.
    static std::string encode(const RgbPixels& pixels);
};

} // namespace vantrel
