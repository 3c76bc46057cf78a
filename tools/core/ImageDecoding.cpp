#include "ImageDecoding.h"

#include <png.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
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

PlateImage DecodePbm(NetpbmReader& reader, bool plain, PlateImage image) {
    if (!plain) reader.SkipHeaderEnd();
    const auto columns = static_cast<std::size_t>(image.columns);
    const std::size_t bytesPerRow = (columns + 7) / 8;
    if (!plain && reader.Remaining() < bytesPerRow * static_cast<std::size_t>(image.rows)) {
        reader.Fail("truncated pixel data");
    }
    for (std::int32_t y = 0; y < image.rows; ++y) {
        for (std::size_t x = 0; x < columns; ++x) {
            const int bit = plain ? reader.ReadBit() : (reader.ByteAt(x / 8) >> (7 - x % 8)) & 1;
            image.classes[static_cast<std::size_t>(y) * columns + x] = bit ? PixelClass::Impassable : PixelClass::Free;
        }
        if (!plain) reader.Skip(bytesPerRow);
    }
    return image;
}

// PGM (channels 1) and PPM (channels 3).
PlateImage DecodeGreyOrColour(NetpbmReader& reader, bool plain, int channels, PlateImage image) {
    const std::int64_t maxValue = reader.ReadNumber("maximum value");
    if (maxValue < 1 || maxValue > 65535) reader.Fail("the maximum value must lie in 1..65535");
    const std::size_t sampleBytes = maxValue > 255 ? 2 : 1;
    const std::size_t pixelCount = image.classes.size();
    if (!plain) {
        reader.SkipHeaderEnd();
        if (reader.Remaining() < pixelCount * static_cast<std::size_t>(channels) * sampleBytes) {
            reader.Fail("truncated pixel data");
        }
    }
    std::size_t offset = 0;
    auto readSample = [&]() -> int {
        std::int64_t sample = 0;
        if (plain) {
            sample = reader.ReadNumber("pixel sample");
        } else {
            sample =
                sampleBytes == 2 ? (reader.ByteAt(offset) << 8) | reader.ByteAt(offset + 1) : reader.ByteAt(offset);
            offset += sampleBytes;
        }
        if (sample > maxValue) reader.Fail("a sample exceeds the maximum value");
        return ToEightBits(sample, maxValue);
    };
    for (std::size_t i = 0; i < pixelCount; ++i) {
        if (channels == 1) {
            image.classes[i] = ClassifyGrey(readSample());
        } else {
            const int red = readSample();
            const int green = readSample();
            const int blue = readSample();
            image.classes[i] = ClassifyColour(red, green, blue);
        }
    }
    return image;
}

// Laid over white: a transparent pixel is free paper.
constexpr png_color kWhiteBackground{255, 255, 255};

}  // namespace

PlateImage DecodeNetpbm(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    NetpbmReader reader(bytes, name);
    const char kind = static_cast<char>(bytes.at(1));
    const bool plain = kind <= '3';
    const std::int64_t columns = reader.ReadNumber("width");
    const std::int64_t rows = reader.ReadNumber("height");
    PlateImage image;
    try {
        image = MakeBlankImage(columns, rows);
    } catch (const InputError& error) {
        throw InputError(name + ": " + error.what());
    }
    switch (kind) {
        case '1':
        case '4': return DecodePbm(reader, plain, std::move(image));
        case '2':
        case '5': return DecodeGreyOrColour(reader, plain, 1, std::move(image));
        default: return DecodeGreyOrColour(reader, plain, 3, std::move(image));
    }
}

std::optional<double> PngResolution(const std::vector<std::uint8_t>& bytes) {
    const auto perMetre = PngPixelsPerMetre(bytes);
    if (!perMetre) return std::nullopt;
    return std::round(*perMetre * 0.0254 * 10.0) / 10.0;
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
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    auto fail = [&](const std::string& problem) -> InputError {
        png_image_free(&png);
        return InputError(name + ": corrupt PNG image: " + problem);
    };
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        throw fail(png.message);
    }
    PlateImage image;
    try {
        image = MakeBlankImage(png.width, png.height);
    } catch (const InputError& error) {
        png_image_free(&png);
        throw InputError(name + ": " + error.what());
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, &kWhiteBackground, pixels.data(), 0, nullptr)) {
        throw fail(png.message);
    }
    png_image_free(&png);
    for (std::size_t i = 0; i < image.classes.size(); ++i) {
        image.classes[i] = ClassifyColour(pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2]);
    }
    image.resolution = PngResolution(bytes);
    image.declaredPixelsPerMetre = PngPixelsPerMetre(bytes);
    return image;
}

PlateImage DecodePlateImage(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    if (bytes.empty()) throw InputError(name + ": the file is empty");
    if (StartsWithPngSignature(bytes)) return DecodePng(bytes, name);
    if (StartsWithNetpbmMagic(bytes)) return DecodeNetpbm(bytes, name);
    throw InputError(name + ": unsupported image format (use PNG, PBM, PGM or PPM)");
}

PlateImage ReadPlateImage(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) throw InputError(path + ": is a directory, not an image");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw InputError(path + ": cannot open the file: " + std::strerror(errno));
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) throw InputError(path + ": cannot read the file");
    return DecodePlateImage(bytes, path);
}

}  // namespace ZalvoPlan
