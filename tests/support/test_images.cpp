#include "support/test_images.hpp"

#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

namespace quenlith::test {

namespace {

// Deflate's bits: numbers go in low bit first, Huffman codes high bit first.
class BitWriter {
public:
    void number(std::uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) bit((value >> i) & 1);
    }
    void code(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) bit((code >> i) & 1);
    }
    void zeros(std::uint64_t count) {
        while (count > 0 && used_ != 0) bit(0), --count;
        bytes_.append(count / 8, '\0');
        for (count %= 8; count > 0; --count) bit(0);
    }
    std::string finish() {
        if (used_ != 0) bytes_.push_back(static_cast<char>(current_));
        used_ = 0;
        current_ = 0;
        return std::move(bytes_);
    }

private:
    void bit(std::uint32_t value) {
        current_ |= value << used_;
        if (++used_ == 8) {
            bytes_.push_back(static_cast<char>(current_));
            current_ = 0;
            used_ = 0;
        }
    }
    std::string bytes_;
    std::uint32_t current_ = 0;
    int used_ = 0;
};

// A zlib stream of `count` zero bytes in one dynamic block whose only codes are the literal 0 (10),
// the end (11), the length 258 (0) and the distance 1 (0): a literal, then two bits per 258 bytes.
std::string zeroStream(std::uint64_t count) {
    BitWriter out;
    out.number(1, 1);   // the last block
    out.number(2, 2);   // with its own codes
    out.number(29, 5);  // 286 literal and length codes
    out.number(0, 5);   // 1 distance code
    out.number(14, 4);  // 18 code-length codes, in their fixed order:
    // 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1: only 18 (length 1), 2 and 1 (length 2) are used.
    for (int length : {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2}) out.number(length, 3);
    // Their codes: 18 = 0, 1 = 10, 2 = 11. The lengths: literal 0 is 2, 1-255 none, the end 2,
    // 257-284 none, 285 is 1; the one distance code is 1.
    auto zeroRun = [&](int run) {
        out.code(0, 1);
        out.number(run - 11, 7);
    };
    out.code(3, 2);
    zeroRun(138);
    zeroRun(117);
    out.code(3, 2);
    zeroRun(28);
    out.code(2, 2);
    out.code(2, 2);
    out.code(2, 2);  // the literal 0
    const std::uint64_t rest = count - 1;
    out.zeros(rest / 258 * 2);  // length 258 and distance 1, both coded 0
    for (std::uint64_t i = 0; i < rest % 258; ++i) out.code(2, 2);
    out.code(3, 2);  // the end
    std::string stream = "\x78\x01" + out.finish();
    // Adler-32 of zeros: the first sum stays 1, the second counts the bytes.
    const std::uint32_t adler = static_cast<std::uint32_t>(count % 65521) << 16 | 1;
    for (int shift : {24, 16, 8, 0}) stream.push_back(static_cast<char>(adler >> shift));
    return stream;
}

std::uint32_t crc32(const std::string& data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> made{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            made[n] = c;
        }
        return made;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : data) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendNumber(std::string& out, std::uint32_t value) {
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<char>(value >> shift));
}

void appendChunk(std::string& out, const char* type, const std::string& data) {
    appendNumber(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    appendNumber(out, crc32(typed));
}

long long statusField(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(name + ":", 0) == 0) {
            std::istringstream fields(line.substr(name.size() + 1));
            long long kilobytes = 0;
            fields >> kilobytes;
            return kilobytes * 1024;
        }
    return -1;
}

}  // namespace

std::string blackPng(int width, int height) {
    std::string header;
    appendNumber(header, static_cast<std::uint32_t>(width));
    appendNumber(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    appendChunk(png, "IHDR", header);
    // Each row: the filter byte 0 and three zero bytes per pixel.
    appendChunk(png, "IDAT", zeroStream(static_cast<std::uint64_t>(height) * (1 + 3ull * width)));
    appendChunk(png, "IEND", "");
    return png;
}

long long peakMemoryBytes() {
    return statusField("VmHWM");
}

bool resetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

}  // namespace quenlith::test
