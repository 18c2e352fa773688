#pragma once

#include <string>

namespace quenlith::test {

// A black RGB PNG of the given size, made without holding its pixels: its one deflate block repeats
// the longest back-reference, so even 16,000 x 16,000 pixels (768 MB decoded) take about 750 KB
// and a few milliseconds to make. A page's decompression bomb, and an ordinary icon at small sizes.
std::string blackPng(int width, int height);

// The peak resident memory of this process in bytes; resetPeakMemory() starts a new peak from the
// current use (false where the system does not allow it).
long long peakMemoryBytes();
bool resetPeakMemory();

}  // namespace quenlith::test
