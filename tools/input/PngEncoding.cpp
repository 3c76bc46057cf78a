#include "input/PngEncoding.h"

#include "input/LibPng.h"

#include <algorithm>
#include <csetjmp>
#include <stdexcept>

namespace ZalvoPlan {
namespace {

// What one encoding needs, in plain data: the setjmp frame below must hold
// nothing with a destructor, since libpng's errors jump over it.
struct PngLayout {
    png_uint_32 width;
    png_uint_32 height;
    int colourType;
    const png_color* palette;
    int paletteSize;
    const png_byte* alphas;  // the palette's transparency, or null
    int alphaCount;
    png_bytep* rows;
    int compressionLevel;  // zlib's 0..9
    int filters;           // PNG_FILTER_* flags libpng may choose from for each row
    // With a filler: `rows` holds one band of `bandRows` rows, which the
    // filler writes before each band goes out. Without: `rows` holds them all.
    png_uint_32 bandRows;
    void (*fill)(void* context, png_uint_32 firstRow, png_uint_32 count);
    void* fillContext;
};

// zlib's own default: the pictures are kept, so size matters.
constexpr int kPictureCompression = 6;
// Data a page reads, made once per run and large: speed first.
constexpr int kDataCompression = 1;
constexpr int kDataFilters = PNG_FILTER_UP;
// Pixels only on their way to the reader: stored, not compressed.
constexpr int kHandOverCompression = 0;

// Appends libpng's output to a vector. An allocation failure becomes a
// libpng error, raised outside the catch block so no exception is left open.
void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool appended = true;
    try {
        bytes->insert(bytes->end(), data, data + length);
    } catch (...) {
        appended = false;
    }
    if (!appended) png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

bool WriteLayout(png_structp png, png_infop info, const PngLayout& layout) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, layout.width, layout.height, 8, layout.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout.palette != nullptr) png_set_PLTE(png, info, layout.palette, layout.paletteSize);
    if (layout.alphas != nullptr) png_set_tRNS(png, info, layout.alphas, layout.alphaCount, nullptr);
    png_set_compression_level(png, layout.compressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, layout.filters);
    png_write_info(png, info);
    for (png_uint_32 first = 0; first < layout.height; first += layout.bandRows) {
        const png_uint_32 count = std::min(layout.bandRows, layout.height - first);
        if (layout.fill == nullptr) {
            png_write_rows(png, layout.rows + first, count);
        } else {
            layout.fill(layout.fillContext, first, count);
            png_write_rows(png, layout.rows, count);
        }
    }
    png_write_end(png, nullptr);
    return true;
}

std::vector<std::uint8_t> Encode(PngLayout layout, const std::uint8_t* samples, std::size_t rowBytes) {
    std::vector<png_bytep> rows(layout.fill == nullptr ? layout.height : layout.bandRows);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = const_cast<png_bytep>(samples + y * rowBytes);
    layout.rows = rows.data();
    if (layout.fill == nullptr) layout.bandRows = std::max<png_uint_32>(layout.height, 1);

    PngErrorMessage error;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, RecordPngErrorAndJump, IgnorePngWarning);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("cannot encode a PNG picture: out of memory");
    }
    std::vector<std::uint8_t> bytes;
    RaisePngSizeLimits(png);
    png_set_write_fn(png, &bytes, AppendToVector, FlushNothing);
    const bool written = WriteLayout(png, info, layout);
    png_destroy_write_struct(&png, &info);
    if (!written) throw std::runtime_error(std::string("cannot encode a PNG picture: ") + error.text);
    return bytes;
}

void CheckSampleCount(std::uint32_t width, std::uint32_t height, std::size_t count) {
    if (std::size_t{width} * height != count) {
        throw std::invalid_argument("cannot encode a PNG picture: the pixels do not fill its width and height");
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeIndexedPng(std::uint32_t width, std::uint32_t height,
                                           const std::vector<std::uint8_t>& indices,
                                           const std::vector<PaletteEntry>& palette) {
    CheckSampleCount(width, height, indices.size());
    std::vector<png_color> colours;
    std::vector<png_byte> alphas;
    for (const auto& entry : palette) {
        colours.push_back({entry.red, entry.green, entry.blue});
        alphas.push_back(entry.alpha);
    }
    const bool transparent = std::any_of(alphas.begin(), alphas.end(), [](png_byte alpha) { return alpha != 255; });
    const PngLayout layout{width,
                           height,
                           PNG_COLOR_TYPE_PALETTE,
                           colours.data(),
                           static_cast<int>(colours.size()),
                           transparent ? alphas.data() : nullptr,
                           static_cast<int>(alphas.size()),
                           nullptr,
                           kPictureCompression,
                           PNG_NO_FILTERS,
                           0,
                           nullptr,
                           nullptr};
    return Encode(layout, indices.data(), width);
}

std::vector<std::uint8_t> EncodeGreyPng(std::uint32_t width, std::uint32_t height,
                                        const std::vector<std::uint8_t>& samples) {
    CheckSampleCount(width, height, samples.size());
    return Encode({width, height, PNG_COLOR_TYPE_GRAY, nullptr, 0, nullptr, 0, nullptr, kPictureCompression,
                   PNG_ALL_FILTERS, 0, nullptr, nullptr},
                  samples.data(), width);
}

std::vector<std::uint8_t> EncodeRgbPngByBands(std::uint32_t width, std::uint32_t height, std::uint32_t bandRows,
                                              const RgbBandFiller& fill) {
    const std::size_t rowBytes = std::size_t{width} * 3;
    std::vector<std::uint8_t> band(rowBytes * bandRows);
    struct Context {
        const RgbBandFiller& fill;
        std::uint8_t* band;
    } context{fill, band.data()};
    const auto trampoline = [](void* opaque, png_uint_32 first, png_uint_32 count) {
        const auto* c = static_cast<Context*>(opaque);
        c->fill(first, count, c->band);
    };
    return Encode({width, height, PNG_COLOR_TYPE_RGB, nullptr, 0, nullptr, 0, nullptr, kDataCompression, kDataFilters,
                   bandRows, trampoline, &context},
                  band.data(), rowBytes);
}

std::vector<std::uint8_t> EncodeRgbaPng(std::uint32_t width, std::uint32_t height, const std::uint8_t* pixels) {
    return Encode({width, height, PNG_COLOR_TYPE_RGB_ALPHA, nullptr, 0, nullptr, 0, nullptr, kHandOverCompression,
                   PNG_NO_FILTERS, 0, nullptr, nullptr},
                  pixels, std::size_t{width} * 4);
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i) group = group << 8 | (i < count ? bytes[at + i] : 0u);
        for (std::size_t i = 0; i < 4; ++i) {
            text += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3f] : '=';
        }
    }
    return text;
}

}  // namespace ZalvoPlan
