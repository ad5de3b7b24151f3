// Writes the program icon (res/Velmarin.ico, resource IDI_APP) from the
// character picture below: one image, 32 x 32 pixels, 16 colours (4 bits per
// pixel, the standard Windows 16-colour palette), fully opaque.
//
//   make_icon OUT.ico       write the icon to OUT.ico
//   make_icon --self-test   encode the picture and an asymmetric test
//                           pattern, decode the bytes again with an
//                           independent reader and compare; exit status 0
//                           when everything agrees
//
// To change the icon, edit kPicture, then run
//   cmake --build <build dir> --target update_icon
// which rebuilds this program and overwrites res/Velmarin.ico. The test
// icon_is_generated fails while the committed file differs from the output.
//
// Plain C++17 with the standard library only, so it builds on any host. The
// output depends on nothing but this file: the same source always gives the
// same bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;  // width and height in pixels

// ---------------------------------------------------------------------------
// The picture
// ---------------------------------------------------------------------------

// The standard Windows 16-colour palette, in its fixed order. Each colour has
// one character in the picture: lower case for the dark half-intensity
// colours, upper case for their bright counterparts.
struct PaletteEntry {
    char symbol;
    std::uint8_t red, green, blue;
};

constexpr std::array<PaletteEntry, 16> kPalette = {{
    {'.', 0x00, 0x00, 0x00},  //  0 black
    {'r', 0x80, 0x00, 0x00},  //  1 dark red
    {'g', 0x00, 0x80, 0x00},  //  2 dark green
    {'y', 0x80, 0x80, 0x00},  //  3 dark yellow
    {'b', 0x00, 0x00, 0x80},  //  4 dark blue
    {'m', 0x80, 0x00, 0x80},  //  5 dark magenta
    {'c', 0x00, 0x80, 0x80},  //  6 dark cyan
    {'d', 0x80, 0x80, 0x80},  //  7 dark grey
    {'L', 0xC0, 0xC0, 0xC0},  //  8 light grey
    {'R', 0xFF, 0x00, 0x00},  //  9 red
    {'G', 0x00, 0xFF, 0x00},  // 10 green
    {'Y', 0xFF, 0xFF, 0x00},  // 11 yellow
    {'B', 0x00, 0x00, 0xFF},  // 12 blue
    {'M', 0xFF, 0x00, 0xFF},  // 13 magenta
    {'C', 0x00, 0xFF, 0xFF},  // 14 cyan
    {'W', 0xFF, 0xFF, 0xFF},  // 15 white
}};

// A tuning meter, top row first. Dark grey rails along the top and bottom
// edges of a black square; between them five upright light grey bars, the
// middle one lit green, with red pointers above and below aimed at it. Rails
// and bars sit on even rows and columns and are an even number of pixels wide
// and high, so they stay sharp when Windows halves the picture to 16 x 16.
constexpr std::array<const char*, kSize> kPicture = {{
    "dddddddddddddddddddddddddddddddd",
    "dddddddddddddddddddddddddddddddd",
    "................................",
    "................................",
    "...........RRRRRRRRRR...........",
    "............RRRRRRRR............",
    ".............RRRRRR.............",
    "..............RRRR..............",
    "...............RR...............",
    "................................",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "..LLLL..LLLL..GGGG..LLLL..LLLL..",
    "................................",
    "...............RR...............",
    "..............RRRR..............",
    ".............RRRRRR.............",
    "............RRRRRRRR............",
    "...........RRRRRRRRRR...........",
    "................................",
    "................................",
    "dddddddddddddddddddddddddddddddd",
    "dddddddddddddddddddddddddddddddd",
}};

// Palette index of every pixel, top row first; empty when the picture has a
// line of the wrong length or a character outside the palette (reported on
// stderr).
std::vector<std::uint8_t> pictureIndices() {
    std::vector<std::uint8_t> indices;
    indices.reserve(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        const char* line = kPicture[y];
        if (std::strlen(line) != kSize) {
            std::fprintf(stderr, "make_icon: picture line %d is not %d characters long\n",
                         y + 1, kSize);
            return {};
        }
        for (int x = 0; x < kSize; ++x) {
            int found = -1;
            for (std::size_t i = 0; i < kPalette.size(); ++i)
                if (kPalette[i].symbol == line[x]) found = static_cast<int>(i);
            if (found < 0) {
                std::fprintf(stderr, "make_icon: picture line %d, column %d: '%c' is not a palette colour\n",
                             y + 1, x + 1, line[x]);
                return {};
            }
            indices.push_back(static_cast<std::uint8_t>(found));
        }
    }
    return indices;
}

// ---------------------------------------------------------------------------
// The .ico encoding
// ---------------------------------------------------------------------------

constexpr int kBitsPerPixel = 4;
constexpr std::uint32_t kIconDirSize = 6;
constexpr std::uint32_t kIconDirEntrySize = 16;
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER

// Bitmap rows are padded to a multiple of four bytes.
constexpr std::uint32_t rowBytes(int width, int bitsPerPixel) {
    return ((static_cast<std::uint32_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

void putU8(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
}

void putU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    putU8(out, value & 0xFF);
    putU8(out, (value >> 8) & 0xFF);
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, (value >> 16) & 0xFFFF);
}

// The complete .ico file for a kSize x kSize picture of palette indices
// (top row first).
std::vector<std::uint8_t> encodeIcon(const std::vector<std::uint8_t>& indices) {
    const std::uint32_t xorRow = rowBytes(kSize, kBitsPerPixel);
    const std::uint32_t andRow = rowBytes(kSize, 1);
    const std::uint32_t paletteSize = 4 * static_cast<std::uint32_t>(kPalette.size());
    const std::uint32_t maskBytes = (xorRow + andRow) * kSize;
    const std::uint32_t imageBytes = kInfoHeaderSize + paletteSize + maskBytes;

    std::vector<std::uint8_t> out;

    // ICONDIR
    putU16(out, 0);  // reserved
    putU16(out, 1);  // type: icon
    putU16(out, 1);  // one image

    // ICONDIRENTRY
    putU8(out, kSize);               // width
    putU8(out, kSize);               // height
    putU8(out, kPalette.size());     // colour count
    putU8(out, 0);                   // reserved
    putU16(out, 1);                  // planes
    putU16(out, kBitsPerPixel);      // bits per pixel
    putU32(out, imageBytes);         // bytes in the image
    putU32(out, kIconDirSize + kIconDirEntrySize);  // offset of the image

    // BITMAPINFOHEADER. The height counts the colour bitmap and the mask.
    putU32(out, kInfoHeaderSize);
    putU32(out, kSize);      // width
    putU32(out, 2 * kSize);  // height
    putU16(out, 1);          // planes
    putU16(out, kBitsPerPixel);
    putU32(out, 0);          // BI_RGB, uncompressed
    putU32(out, maskBytes);  // image size: colour bitmap plus mask
    putU32(out, 0);          // horizontal resolution
    putU32(out, 0);          // vertical resolution
    putU32(out, 0);          // colours used: all 16
    putU32(out, 0);          // important colours: all

    // Palette, RGBQUAD order.
    for (const PaletteEntry& entry : kPalette) {
        putU8(out, entry.blue);
        putU8(out, entry.green);
        putU8(out, entry.red);
        putU8(out, 0);
    }

    // Colour bitmap, bottom row first, leftmost pixel in the high nibble.
    for (int y = kSize - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < kSize; x += 2) {
            const std::uint8_t left = indices[y * kSize + x];
            const std::uint8_t right = x + 1 < kSize ? indices[y * kSize + x + 1] : 0;
            putU8(out, (left << 4) | right);
        }
        out.resize(rowStart + xorRow, 0);
    }

    // Transparency mask: all clear, every pixel opaque.
    out.resize(out.size() + andRow * kSize, 0);
    return out;
}

bool writeFile(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

// ---------------------------------------------------------------------------
// Self-test: decode the encoded bytes the way a reader of .ico files would,
// following the offsets and sizes stored in the file, and compare the result
// with what was encoded.
// ---------------------------------------------------------------------------

struct Checker {
    int failures = 0;
    bool expect(bool ok, const std::string& what) {
        if (!ok) {
            ++failures;
            std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        }
        return ok;
    }
};

// Little-endian field of `count` bytes; bytes past the end read as zero.
std::uint32_t readLE(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        const std::size_t pos = at + static_cast<std::size_t>(i);
        value = (value << 8) | (pos < bytes.size() ? bytes[pos] : 0u);
    }
    return value;
}

// Checks the directory and bitmap header; true when the layout is sound
// enough to decode the pixels.
bool checkHeaders(Checker& check, const std::vector<std::uint8_t>& ico) {
    const int before = check.failures;
    check.expect(ico.size() == 766, "file is 6 + 16 + 40 + 64 + 512 + 128 = 766 bytes, got " +
                                        std::to_string(ico.size()));
    check.expect(readLE(ico, 0, 2) == 0 && readLE(ico, 2, 2) == 1 && readLE(ico, 4, 2) == 1,
                 "ICONDIR: reserved 0, type 1, one image");
    check.expect(readLE(ico, 6, 1) == 32 && readLE(ico, 7, 1) == 32, "entry is 32 x 32");
    check.expect(readLE(ico, 8, 1) == 16 && readLE(ico, 9, 1) == 0, "entry has 16 colours");
    check.expect(readLE(ico, 10, 2) == 1 && readLE(ico, 12, 2) == 4, "entry: 1 plane, 4 bpp");
    const std::uint32_t imageBytes = readLE(ico, 14, 4);
    const std::uint32_t imageOffset = readLE(ico, 18, 4);
    check.expect(imageOffset == 22, "image follows the directory");
    check.expect(imageOffset + imageBytes == ico.size(), "image runs to the end of the file");

    const std::size_t h = imageOffset;
    check.expect(readLE(ico, h, 4) == 40, "BITMAPINFOHEADER size 40");
    check.expect(readLE(ico, h + 4, 4) == 32 && readLE(ico, h + 8, 4) == 64,
                 "bitmap 32 wide, 64 high (colour bitmap and mask)");
    check.expect(readLE(ico, h + 12, 2) == 1 && readLE(ico, h + 14, 2) == 4,
                 "bitmap: 1 plane, 4 bpp");
    check.expect(readLE(ico, h + 16, 4) == 0, "uncompressed");
    check.expect(readLE(ico, h + 20, 4) == 32 * 16 + 32 * 4,
                 "image size counts 16-byte colour rows and 4-byte mask rows");
    check.expect(readLE(ico, h + 32, 4) == 0 || readLE(ico, h + 32, 4) == 16,
                 "palette has 16 colours");
    return check.failures == before;
}

void checkPalette(Checker& check, const std::vector<std::uint8_t>& ico) {
    const std::size_t palette = 22 + 40;
    // The standard colours written out again rather than taken from kPalette.
    static const std::uint32_t kStandard[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
        0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    for (std::size_t i = 0; i < 16; ++i) {
        const std::size_t at = palette + 4 * i;  // RGBQUAD: blue, green, red, 0
        const std::uint32_t rgb =
            (readLE(ico, at + 2, 1) << 16) | (readLE(ico, at + 1, 1) << 8) | readLE(ico, at, 1);
        check.expect(rgb == kStandard[i] && readLE(ico, at + 3, 1) == 0,
                     "palette entry " + std::to_string(i) + " is the standard colour");
    }
}

// Palette index of every pixel, top row first, read from a file that passed
// checkHeaders: 16-byte colour rows stored bottom row first, leftmost pixel
// in the high nibble.
std::vector<std::uint8_t> decodePixels(const std::vector<std::uint8_t>& ico) {
    const std::size_t colours = 22 + 40 + 16 * 4;
    std::vector<std::uint8_t> indices;
    for (std::size_t y = 0; y < 32; ++y) {
        const std::size_t row = colours + (31 - y) * 16;
        for (std::size_t x = 0; x < 32; ++x) {
            const std::uint32_t byte = readLE(ico, row + x / 2, 1);
            indices.push_back(static_cast<std::uint8_t>(x % 2 == 0 ? byte >> 4 : byte & 0x0F));
        }
    }
    return indices;
}

void checkMaskOpaque(Checker& check, const std::vector<std::uint8_t>& ico) {
    const std::size_t mask = 22 + 40 + 16 * 4 + 32 * 16;
    bool opaque = true;
    for (std::size_t i = mask; i < ico.size(); ++i) opaque = opaque && ico[i] == 0;
    check.expect(opaque, "transparency mask is all zero");
}

// Encodes `indices`, decodes the result and compares pixel by pixel.
void checkRoundTrip(Checker& check, const std::vector<std::uint8_t>& indices,
                    const std::string& name) {
    const std::vector<std::uint8_t> ico = encodeIcon(indices);
    if (!checkHeaders(check, ico)) return;
    checkPalette(check, ico);
    checkMaskOpaque(check, ico);
    const std::vector<std::uint8_t> decoded = decodePixels(ico);
    int wrong = 0;
    for (std::size_t i = 0; i < indices.size(); ++i)
        if (decoded[i] != indices[i]) ++wrong;
    check.expect(wrong == 0, name + ": " + std::to_string(wrong) +
                                 " pixels decode to another colour");
}

// The meter is drawn mirror-symmetric left to right and top to bottom; a
// stray character in the picture breaks that.
void checkSymmetry(Checker& check) {
    for (std::size_t y = 0; y < kSize; ++y) {
        bool mirrored = true;
        for (std::size_t x = 0; x < kSize; ++x) {
            const char here = kPicture[y][x];
            mirrored = mirrored && here == kPicture[y][kSize - 1 - x] &&
                       here == kPicture[kSize - 1 - y][x];
        }
        check.expect(mirrored, "picture line " + std::to_string(y + 1) +
                                   " mirrors left to right and top to bottom");
    }
}

int selfTest() {
    Checker check;
    const std::vector<std::uint8_t> picture = pictureIndices();
    if (!check.expect(picture.size() == kSize * kSize, "picture parses")) return 1;
    checkSymmetry(check);
    check.expect(encodeIcon(picture) == encodeIcon(picture), "encoding is deterministic");
    checkRoundTrip(check, picture, "picture");

    // The picture is symmetric, so it cannot reveal rows or pixels stored in
    // the wrong order; this pattern uses every colour and has no symmetry.
    std::vector<std::uint8_t> pattern;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            pattern.push_back(static_cast<std::uint8_t>((5 * x + 3 * y + x * y / 7) % 16));
    checkRoundTrip(check, pattern, "asymmetric pattern");

    if (check.failures) {
        std::fprintf(stderr, "make_icon self-test: %d failures\n", check.failures);
        return 1;
    }
    std::printf("make_icon self-test: passed\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUT.ico | make_icon --self-test\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--self-test") == 0) return selfTest();

    const std::vector<std::uint8_t> indices = pictureIndices();
    if (indices.empty()) return 1;
    if (!writeFile(argv[1], encodeIcon(indices))) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
