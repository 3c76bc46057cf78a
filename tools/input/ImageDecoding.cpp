#include "input/ImageDecoding.h"

#include "input/LibPng.h"
#include "input/PngEncoding.h"

#include <csetjmp>
#include <new>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>

namespace ZalvoPlan {
namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool StartsWithPngSignature(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= kPngSignature.size() &&
           std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin());
}

bool StartsWithNetpbmMagic(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6';
}

std::uint32_t ReadBigEndian32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

// Walks the header of a netpbm file: tokens separated by whitespace, with
// comments from '#' to the end of the line.
class NetpbmReader {
public:
    NetpbmReader(const std::vector<std::uint8_t>& bytes, const std::string& name) : bytes_(bytes), name_(name) {}

    std::int64_t ReadNumber(const char* what) {
        SkipSpaceAndComments();
        if (position_ >= bytes_.size()) Fail(std::string("truncated before the ") + what);
        if (!std::isdigit(bytes_[position_])) Fail(std::string("expected a number for the ") + what);
        std::int64_t value = 0;
        while (position_ < bytes_.size() && std::isdigit(bytes_[position_])) {
            value = value * 10 + (bytes_[position_++] - '0');
            if (value > 1'000'000'000) Fail(std::string("the ") + what + " is too large");
        }
        return value;
    }

    // A plain PBM bit: a single '0' or '1', whitespace optional between them.
    int ReadBit() {
        SkipSpaceAndComments();
        if (position_ >= bytes_.size()) Fail("truncated pixel data");
        const std::uint8_t c = bytes_[position_++];
        if (c != '0' && c != '1') Fail("a plain PBM pixel must be 0 or 1");
        return c - '0';
    }

    // The single whitespace byte that ends a binary header.
    void SkipHeaderEnd() {
        if (position_ >= bytes_.size() || !std::isspace(bytes_[position_])) {
            Fail("truncated header");
        }
        ++position_;
    }

    std::size_t Position() const { return position_; }
    void Skip(std::size_t count) { position_ += count; }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    std::uint8_t ByteAt(std::size_t offset) const { return bytes_[position_ + offset]; }

    [[noreturn]] void Fail(const std::string& problem) const {
        throw InputError(name_ + ": corrupt netpbm image: " + problem);
    }

private:
    void SkipSpaceAndComments() {
        while (position_ < bytes_.size()) {
            if (bytes_[position_] == '#') {
                while (position_ < bytes_.size() && bytes_[position_] != '\n') ++position_;
            } else if (std::isspace(bytes_[position_])) {
                ++position_;
            } else {
                return;
            }
        }
    }

    const std::vector<std::uint8_t>& bytes_;
    const std::string& name_;
    std::size_t position_ = 2;  // after the magic number
};

// Scales a sample of 0..maxValue to 0..255, rounding to nearest.
int ToEightBits(std::int64_t sample, std::int64_t maxValue) {
    return static_cast<int>((sample * 255 + maxValue / 2) / maxValue);
}

// What a netpbm header declares, known before any pixel memory is allocated.
struct NetpbmLayout {
    bool plain = false;
    int channels = 0;  // 0: PBM bits; 1: PGM; 3: PPM
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    std::int64_t maxValue = 1;
};

// The fewest bytes the pixel data can take. A plain file separates its
// samples by at least one byte; a plain PBM's bits need no separator.
std::uint64_t MinimumPixelBytes(const NetpbmLayout& layout) {
    const auto columns = static_cast<std::uint64_t>(layout.columns);
    const auto rows = static_cast<std::uint64_t>(layout.rows);
    if (layout.channels == 0) return layout.plain ? columns * rows : (columns + 7) / 8 * rows;
    const std::uint64_t samples = columns * rows * static_cast<std::uint64_t>(layout.channels);
    if (layout.plain) return 2 * samples - 1;
    return samples * (layout.maxValue > 255 ? 2 : 1);
}

PlateImage DecodePbm(NetpbmReader& reader, const NetpbmLayout& layout, PlateImage image) {
    const auto columns = static_cast<std::size_t>(image.columns);
    const std::size_t bytesPerRow = (columns + 7) / 8;
    for (std::int32_t y = 0; y < image.rows; ++y) {
        for (std::size_t x = 0; x < columns; ++x) {
            const int bit = layout.plain ? reader.ReadBit() : (reader.ByteAt(x / 8) >> (7 - x % 8)) & 1;
            image.classes[static_cast<std::size_t>(y) * columns + x] = bit ? PixelClass::Impassable : PixelClass::Free;
        }
        if (!layout.plain) reader.Skip(bytesPerRow);
    }
    return image;
}

// PGM (channels 1) and PPM (channels 3).
PlateImage DecodeGreyOrColour(NetpbmReader& reader, const NetpbmLayout& layout, PlateImage image) {
    const std::size_t sampleBytes = layout.maxValue > 255 ? 2 : 1;
    std::size_t offset = 0;
    auto readSample = [&]() -> int {
        std::int64_t sample = 0;
        if (layout.plain) {
            sample = reader.ReadNumber("pixel sample");
        } else {
            sample =
                sampleBytes == 2 ? (reader.ByteAt(offset) << 8) | reader.ByteAt(offset + 1) : reader.ByteAt(offset);
            offset += sampleBytes;
        }
        if (sample > layout.maxValue) reader.Fail("a sample exceeds the maximum value");
        return ToEightBits(sample, layout.maxValue);
    };
    for (auto& pixelClass : image.classes) {
        if (layout.channels == 1) {
            pixelClass = ClassifyGrey(readSample());
        } else {
            const int red = readSample();
            const int green = readSample();
            const int blue = readSample();
            pixelClass = ClassifyColour(red, green, blue);
        }
    }
    return image;
}

NetpbmLayout ReadNetpbmHeader(NetpbmReader& reader, char kind, const std::string& name) {
    NetpbmLayout layout;
    layout.plain = kind <= '3';
    layout.channels = kind == '1' || kind == '4' ? 0 : kind == '2' || kind == '5' ? 1 : 3;
    layout.columns = reader.ReadNumber("width");
    layout.rows = reader.ReadNumber("height");
    if (layout.channels != 0) {
        layout.maxValue = reader.ReadNumber("maximum value");
        if (layout.maxValue < 1 || layout.maxValue > 65535) reader.Fail("the maximum value must lie in 1..65535");
    }
    try {
        CheckImageSize(layout.columns, layout.rows);
    } catch (const InputError& error) {
        throw InputError(name + ": " + error.what());
    }
    if (!layout.plain) reader.SkipHeaderEnd();
    if (reader.Remaining() < MinimumPixelBytes(layout)) reader.Fail("truncated pixel data");
    return layout;
}

// Deflate turns one byte into at most about 1032 (a 258-byte match coded in
// two bits), so a PNG's compressed data bounds the pixels it can really hold.
constexpr std::uint64_t kDeflateMaximumRatio = 1032;

// Reads a PNG held in memory for libpng; running out is a libpng error.
struct PngInput {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (count > input->size - input->at) png_error(png, "truncated image data");
    std::memcpy(out, input->data + input->at, count);
    input->at += count;
}

// What the header declares, read before any pixel memory is allocated.
struct PngHeader {
    png_uint_32 width;
    png_uint_32 height;
    int bitsPerPixel;  // as stored, before any transformation
};

// Reads the header and asks libpng for 8-bit RGB with transparency laid over
// white, gamma-corrected to sRGB: the transformations libpng's simplified
// reader makes for that output, so a file reads the same either way. Plain
// data only: libpng's errors jump back over this frame.
bool ReadPngHeader(png_structp png, png_infop info, PngHeader& header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_benign_errors(png, 1);
    png_read_info(png, info);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    const int depth = png_get_bit_depth(png, info);
    header.bitsPerPixel = png_get_channels(png, info) * depth;
    const png_byte colourType = png_get_color_type(png, info);
    const bool transparent = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;

    png_set_expand(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    // Without a gAMA chunk, 16-bit samples are taken as linear and 8-bit ones as sRGB.
    png_set_alpha_mode_fixed(png, PNG_ALPHA_PNG, depth == 16 ? PNG_GAMMA_LINEAR : PNG_DEFAULT_sRGB);
    if (depth == 16) png_set_scale_16(png);
    if (transparent) {
        png_color_16 white{0, 255, 255, 255, 255};
        png_set_background_fixed(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 0);
    }
    png_set_alpha_mode_fixed(png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadPngRows(png_structp png, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

// The bytes of every IDAT chunk together.
std::uint64_t CompressedPixelBytes(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t total = 0;
    for (std::size_t at = kPngSignature.size(); at + 8 <= bytes.size();) {
        const std::uint32_t length = ReadBigEndian32(bytes, at);
        if (std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + 8), "IDAT")) {
            total += length;
        }
        at += std::size_t{12} + length;
    }
    return total;
}

// Refuses a header whose pixels its compressed data could never fill, before
// they are allocated: a 69-byte file may declare 10000 x 10000 pixels.
void CheckPngHoldsItsPixels(const PngHeader& header, const std::vector<std::uint8_t>& bytes, const std::string& name) {
    const std::uint64_t rawBytes =
        std::uint64_t{header.width} * header.height * static_cast<std::uint64_t>(header.bitsPerPixel) / 8;
    const std::uint64_t compressed = CompressedPixelBytes(bytes);
    if (rawBytes > (compressed + 1) * kDeflateMaximumRatio) {
        throw InputError(name + ": truncated PNG image: it declares " + std::to_string(header.width) + "x" +
                         std::to_string(header.height) + " pixels but holds only " + std::to_string(compressed) +
                         " bytes of image data");
    }
}

// A libpng read of one image, freed however it ends.
class PngReading {
public:
    explicit PngReading(const std::vector<std::uint8_t>& bytes) : input_{bytes.data(), bytes.size(), 0} {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error_, RecordPngErrorAndJump, IgnorePngWarning);
        info_ = png_ == nullptr ? nullptr : png_create_info_struct(png_);
        if (info_ == nullptr) {
            png_destroy_read_struct(&png_, nullptr, nullptr);
            throw std::bad_alloc();
        }
        RaisePngSizeLimits(png_);
        png_set_read_fn(png_, &input_, ReadFromMemory);
    }
    ~PngReading() { png_destroy_read_struct(&png_, &info_, nullptr); }
    PngReading(const PngReading&) = delete;
    PngReading& operator=(const PngReading&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }
    const char* message() const { return error_.text; }

private:
    PngInput input_;
    PngErrorMessage error_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

}  // namespace

PlateImage DecodeNetpbm(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    NetpbmReader reader(bytes, name);
    const NetpbmLayout layout = ReadNetpbmHeader(reader, static_cast<char>(bytes.at(1)), name);
    PlateImage image = MakeBlankImage(layout.columns, layout.rows);
    if (layout.channels == 0) return DecodePbm(reader, layout, std::move(image));
    return DecodeGreyOrColour(reader, layout, std::move(image));
}

std::optional<double> PngResolution(const std::vector<std::uint8_t>& bytes) {
    const auto perMetre = PngPixelsPerMetre(bytes);
    if (!perMetre) return std::nullopt;
    return std::round(*perMetre * kMetresPerInch * 10.0) / 10.0;
}

std::optional<std::uint32_t> PngPixelsPerMetre(const std::vector<std::uint8_t>& bytes) {
    // Chunks: length, type, data, CRC. pHYs must come before the image data.
    std::size_t at = kPngSignature.size();
    while (at + 8 <= bytes.size()) {
        const std::uint32_t length = ReadBigEndian32(bytes, at);
        const std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
        const std::size_t data = at + 8;
        if (type == "IDAT" || type == "IEND" || length > bytes.size() - data) return std::nullopt;
        if (type == "pHYs" && length == 9) {
            const std::uint32_t perMetre = ReadBigEndian32(bytes, data);
            const bool metre = bytes[data + 8] == 1;
            if (!metre || perMetre == 0) return std::nullopt;
            return perMetre;
        }
        at = data + length + 4;
    }
    return std::nullopt;
}

PlateImage DecodePng(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    PngReading reading(bytes);
    const auto fail = [&] { return InputError(name + ": corrupt PNG image: " + reading.message()); };
    PngHeader header{};
    if (!ReadPngHeader(reading.png(), reading.info(), header)) throw fail();
    try {
        CheckImageSize(header.width, header.height);
    } catch (const InputError& error) {
        throw InputError(name + ": " + error.what());
    }
    CheckPngHoldsItsPixels(header, bytes, name);

    const std::size_t rowBytes = png_get_rowbytes(reading.png(), reading.info());
    std::vector<std::uint8_t> pixels(rowBytes * header.height);
    std::vector<png_bytep> rows(header.height);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = pixels.data() + y * rowBytes;
    if (!ReadPngRows(reading.png(), rows.data())) throw fail();

    PlateImage image = MakeBlankImage(header.width, header.height);
    for (std::size_t i = 0; i < image.classes.size(); ++i) {
        image.classes[i] = ClassifyColour(pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2]);
    }
    image.resolution = PngResolution(bytes);
    image.declaredPixelsPerMetre = PngPixelsPerMetre(bytes);
    return image;
}

PlateImage DecodeRgbaPixels(const std::uint8_t* pixels, std::int32_t rows, std::int32_t columns,
                            const std::string& name) {
    CheckImageSize(columns, rows);
    const auto png = EncodeRgbaPng(static_cast<std::uint32_t>(columns), static_cast<std::uint32_t>(rows), pixels);
    PlateImage image = DecodePng(png, name);
    image.resolution.reset();
    image.declaredPixelsPerMetre.reset();
    return image;
}

PlateImage DecodePlateImage(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    if (bytes.empty()) throw InputError(name + ": the file is empty");
    if (StartsWithPngSignature(bytes)) return DecodePng(bytes, name);
    if (StartsWithNetpbmMagic(bytes)) return DecodeNetpbm(bytes, name);
    throw InputError(name + ": unsupported image format (use PNG, PBM, PGM or PPM)");
}

std::vector<std::uint8_t> ReadBoundedStream(std::istream& in, const std::string& name, std::size_t limit) {
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<std::uint8_t> bytes;
    while (in) {
        // One byte past the limit is enough to know it is exceeded.
        const std::size_t wanted = std::min(kChunk, limit + 1 - bytes.size());
        if (wanted == 0) {
            throw InputError(name + ": more than " + std::to_string(limit) +
                             " bytes, larger than any image the planner reads");
        }
        const std::size_t at = bytes.size();
        bytes.resize(at + wanted);
        in.read(reinterpret_cast<char*>(bytes.data() + at), static_cast<std::streamsize>(wanted));
        bytes.resize(at + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw InputError(name + ": cannot read it");
    return bytes;
}

PlateImage ReadPlateImage(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) throw InputError(path + ": is a directory, not an image");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw InputError(path + ": cannot open the file: " + std::strerror(errno));
    return DecodePlateImage(ReadBoundedStream(file, path), path);
}

}  // namespace ZalvoPlan
