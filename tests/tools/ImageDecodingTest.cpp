#include "ToolTestSupport.h"
#include "input/ImageDecoding.h"
#include "input/PngEncoding.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <png.h>

#include <random>
#include <sstream>
#include <tuple>

namespace ZalvoPlan {
namespace {

using ::testing::HasSubstr;
using ZalvoPlanTest::PngBuilder;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Bytes that may include zeros.
std::string Raw(std::initializer_list<int> values) {
    std::string text;
    for (int value : values) text += static_cast<char>(value);
    return text;
}

std::vector<PixelClass> Classes(const std::string& text) { return DecodePlateImage(Bytes(text), "test").classes; }

constexpr auto F = PixelClass::Free;
constexpr auto C = PixelClass::Crossable;
constexpr auto I = PixelClass::Impassable;
constexpr auto S = PixelClass::Seed;

// ----- colour classes -----

class ColourClassTest : public ::testing::TestWithParam<std::tuple<int, int, int, PixelClass>> {};

TEST_P(ColourClassTest, ClassifiesByBrightnessAndRedness) {
    const auto [red, green, blue, expected] = GetParam();
    EXPECT_EQ(ClassifyColour(red, green, blue), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, ColourClassTest,
    ::testing::Values(std::tuple{255, 255, 255, F}, std::tuple{192, 192, 192, F},  // near-white is free
                      std::tuple{191, 191, 191, C}, std::tuple{128, 128, 128, C},  // mid grey is crossable
                      std::tuple{64, 64, 64, C}, std::tuple{63, 63, 63, I},        // the black threshold
                      std::tuple{0, 0, 0, I}, std::tuple{255, 0, 0, S},
                      std::tuple{200, 60, 60, S},                              // strongly red seeds
                      std::tuple{255, 128, 128, C},                            // pink rim of a red line: grey
                      std::tuple{128, 0, 0, I},                                // dark red rim on black: black
                      std::tuple{191, 0, 0, I},                                // too dark a red for a seed
                      std::tuple{0, 0, 255, I}, std::tuple{255, 255, 0, F}));  // other colours by brightness

// ----- netpbm -----

TEST(NetpbmTest, PlainPbmWithCommentsAndUnseparatedBits) {
    EXPECT_EQ(Classes("P1\n# a comment\n3 2\n010\n1 0 1\n"), (std::vector{F, I, F, I, F, I}));
}

TEST(NetpbmTest, BinaryPbmRowsArePaddedToWholeBytes) {
    // 10 columns: two bytes per row; the six padding bits of each second byte are ignored.
    const auto classes = Classes("P4 10 2\n" + Raw({0x80, 0x7f, 0x00, 0x40}));
    ASSERT_EQ(classes.size(), 20u);
    EXPECT_EQ(classes[0], I);
    EXPECT_EQ(classes[8], F);
    EXPECT_EQ(classes[9], I);
    EXPECT_EQ(classes[10], F);
    EXPECT_EQ(classes[19], I);
    EXPECT_EQ(std::count(classes.begin(), classes.end(), I), 3);
}

TEST(NetpbmTest, PlainPgmScalesByItsMaximum) {
    // maxval 15: 15 is white, 8 is mid grey (136), 3 is black (51).
    EXPECT_EQ(Classes("P2 3 1 15 15 8 3"), (std::vector{F, C, I}));
}

TEST(NetpbmTest, SixteenBitBinaryPgm) {
    EXPECT_EQ(Classes("P5 2 1 65535\n" + Raw({0xff, 0xff, 0x10, 0x00})), (std::vector{F, I}));
}

TEST(NetpbmTest, BinaryPpmFindsSeeds) {
    EXPECT_EQ(Classes("P6 3 1 255\n" + Raw({255, 0, 0, 255, 255, 255, 0, 0, 0})), (std::vector{S, F, I}));
}

TEST(NetpbmTest, HasNoResolution) { EXPECT_FALSE(DecodePlateImage(Bytes("P1 1 1 0"), "t").resolution.has_value()); }

class BadNetpbmTest : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(BadNetpbmTest, NamesTheProblem) {
    const auto& [text, problem] = GetParam();
    try {
        DecodePlateImage(Bytes(text), "plate.pnm");
        FAIL() << "decoded " << text;
    } catch (const InputError& error) {
        EXPECT_THAT(error.what(), HasSubstr("plate.pnm: "));
        EXPECT_THAT(error.what(), HasSubstr(problem));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadNetpbmTest,
                         ::testing::Values(std::pair{std::string("P5 4 4 255\n\x01\x02"), "truncated pixel data"},
                                           std::pair{std::string("P6 10000 10000 65535\n\x01"), "truncated pixel data"},
                                           std::pair{std::string("P4 9 2\n\x01"), "truncated pixel data"},
                                           std::pair{std::string("P1 2 2 0 1 1"), "truncated pixel data"},
                                           std::pair{std::string("P2 2 1 10 3 11"), "exceeds the maximum value"},
                                           std::pair{std::string("P2 2 1 0 0 0"), "maximum value must lie in 1..65535"},
                                           std::pair{std::string("P5 2"), "truncated before the height"},
                                           std::pair{std::string("P5 x 2 255"), "expected a number for the width"},
                                           std::pair{std::string("P1 0 5"), "has no pixels"},
                                           std::pair{std::string("P5 20000 20000 255\n"), "exceeds the limit"},
                                           std::pair{std::string("P1 2 1 0 2"), "must be 0 or 1"}));

// ----- PNG -----

TEST(PngTest, GreyImageWithPhysicalSize) {
    PngBuilder png(3, 1, 0, {255, 128, 0});
    png.pixelsPerMetre = 11811;
    const auto image = DecodePlateImage(png.Build(), "grey.png");
    EXPECT_EQ(image.columns, 3);
    EXPECT_EQ(image.rows, 1);
    EXPECT_EQ(image.classes, (std::vector{F, C, I}));
    ASSERT_TRUE(image.resolution.has_value());
    EXPECT_DOUBLE_EQ(*image.resolution, 300.0);
}

TEST(PngTest, ColourImageRowMajorWithoutPhysicalSize) {
    PngBuilder png(2, 2, 2, {255, 0, 0, 255, 255, 255, 0, 0, 0, 128, 128, 128});
    const auto image = DecodePlateImage(png.Build(), "rgb.png");
    EXPECT_EQ(image.classes, (std::vector{S, F, I, C}));
    EXPECT_EQ(image.At(0, 1), I);
    EXPECT_FALSE(image.resolution.has_value());
}

TEST(PngTest, TransparencyIsLaidOverWhite) {
    // A fully transparent black pixel is white paper; an opaque one is black.
    PngBuilder png(2, 1, 6, {0, 0, 0, 0, 0, 0, 0, 255});
    EXPECT_EQ(DecodePlateImage(png.Build(), "rgba.png").classes, (std::vector{F, I}));
}

TEST(PngTest, PaletteAndSixteenBitImages) {
    PngBuilder palette(2, 1, 3, {0, 1});
    palette.palette = {255, 0, 0, 0, 0, 0};
    EXPECT_EQ(DecodePlateImage(palette.Build(), "palette.png").classes, (std::vector{S, I}));
    PngBuilder deep(2, 1, 0, {0xff, 0xff, 0x00, 0x10});
    deep.bitDepth = 16;
    EXPECT_EQ(DecodePlateImage(deep.Build(), "deep.png").classes, (std::vector{F, I}));
}

TEST(PngTest, ResolutionIgnoredWhenNotInMetres) {
    PngBuilder png(1, 1, 0, {255});
    png.pixelsPerMetre = 3937;
    auto bytes = png.Build();
    EXPECT_DOUBLE_EQ(PngResolution(bytes).value(), 100.0);
    // The unit byte sits after the pHYs type and its two 4-byte densities.
    const auto unit = std::search(bytes.begin(), bytes.end(), std::begin("pHYs"), std::end("pHYs") - 1) + 4 + 8;
    *unit = 0;
    EXPECT_FALSE(PngResolution(bytes).has_value());
}

TEST(PngTest, TruncatedAndCorruptFilesAreRejected) {
    const auto whole = PngBuilder(64, 64, 0, std::vector<std::uint8_t>(4096, 7)).Build();
    const std::vector<std::uint8_t> truncated(whole.begin(),
                                              whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    EXPECT_THROW(DecodePlateImage(truncated, "cut.png"), InputError);
    auto corrupt = whole;
    corrupt[corrupt.size() / 2] ^= 0x55;  // inside the image data: the CRC no longer matches
    try {
        DecodePlateImage(corrupt, "bad.png");
        FAIL() << "decoded a corrupt PNG";
    } catch (const InputError& error) {
        EXPECT_THAT(error.what(), HasSubstr("bad.png: corrupt PNG image"));
    }
}

// What libpng's own simplified reader makes of a PNG, laid over white and
// classified: the reference the reader must match for every kind of file.
std::vector<PixelClass> SimplifiedReaderClasses(const std::vector<std::uint8_t>& bytes) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return {};
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
    const png_color white{255, 255, 255};
    if (!png_image_finish_read(&png, &white, rgb.data(), 0, nullptr)) return {};
    std::vector<PixelClass> classes;
    for (std::size_t i = 0; i < rgb.size(); i += 3) classes.push_back(ClassifyColour(rgb[i], rgb[i + 1], rgb[i + 2]));
    return classes;
}

struct PngKind {
    const char* name;
    std::uint8_t colourType;
    std::uint8_t bitDepth;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> ancillary;
};

void PrintTo(const PngKind& kind, std::ostream* out) { *out << kind.name; }

class PngKindTest : public ::testing::TestWithParam<PngKind> {};

TEST_P(PngKindTest, ReadsEveryPixelAsLibpngsSimplifiedReaderDoes) {
    const auto& kind = GetParam();
    constexpr std::uint32_t kSide = 24;
    const std::size_t channels = kind.colourType == 2 ? 3 : kind.colourType == 4 ? 2 : kind.colourType == 6 ? 4 : 1;
    std::mt19937 random(kind.bitDepth * 7u + kind.colourType);
    std::vector<std::uint8_t> samples((kSide * channels * kind.bitDepth + 7) / 8 * kSide);
    for (auto& sample : samples) sample = static_cast<std::uint8_t>(random());
    PngBuilder png(kSide, kSide, kind.colourType, samples);
    png.bitDepth = kind.bitDepth;
    png.ancillary = kind.ancillary;
    for (int entry = 0; entry < 256; ++entry) {
        png.palette.insert(png.palette.end(), {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(entry),
                                               static_cast<std::uint8_t>(255 - entry)});
    }
    const auto bytes = png.Build();
    const auto expected = SimplifiedReaderClasses(bytes);
    ASSERT_EQ(expected.size(), kSide * kSide) << "libpng refused the test image";
    EXPECT_EQ(DecodePng(bytes, kind.name).classes, expected);
}

std::vector<std::uint8_t> Ramp(int count) {
    std::vector<std::uint8_t> values;
    for (int i = 0; i < count; ++i) values.push_back(static_cast<std::uint8_t>(i * 37));
    return values;
}

const std::vector<std::uint8_t> kLinearGamma{0, 1, 0x86, 0xa0};  // gAMA 100000: samples are linear
const std::vector<std::uint8_t> kDarkGamma{0, 0, 0x9c, 0x40};    // gAMA 40000

INSTANTIATE_TEST_SUITE_P(Kinds, PngKindTest,
                         ::testing::Values(PngKind{"grey1", 0, 1, {}}, PngKind{"grey4", 0, 4, {}},
                                           PngKind{"grey8", 0, 8, {}}, PngKind{"grey16", 0, 16, {}},
                                           PngKind{"greyAlpha8", 4, 8, {}}, PngKind{"greyAlpha16", 4, 16, {}},
                                           PngKind{"rgb8", 2, 8, {}}, PngKind{"rgb16", 2, 16, {}},
                                           PngKind{"rgba8", 6, 8, {}}, PngKind{"rgba16", 6, 16, {}},
                                           PngKind{"palette2", 3, 2, {}}, PngKind{"palette8", 3, 8, {}},
                                           PngKind{"paletteAlpha8", 3, 8, {{"tRNS", Ramp(200)}}},
                                           PngKind{"greyKey8", 0, 8, {{"tRNS", {0, 37}}}},
                                           PngKind{"rgbKey16", 2, 16, {{"tRNS", {0, 1, 0, 2, 0, 3}}}},
                                           PngKind{"rgbLinear8", 2, 8, {{"gAMA", kLinearGamma}}},
                                           PngKind{"rgbaDark8", 6, 8, {{"gAMA", kDarkGamma}}},
                                           PngKind{"greyLinear16", 0, 16, {{"gAMA", kLinearGamma}}}),
                         [](const auto& kind) { return std::string(kind.param.name); });

// libpng refuses a side above 1,000,000 pixels unless told otherwise; the
// planner's own limit on the pixel count is the only one.
TEST(PngTest, AnImageWiderThanAMillionPixelsReadsAndWrites) {
    constexpr std::uint32_t kWidth = 1'000'001;
    std::vector<std::uint8_t> samples(std::size_t{kWidth} * 2, 255);
    samples[kWidth + 5] = 0;
    const auto image = DecodePng(PngBuilder(kWidth, 2, 0, samples).Build(), "wide.png");
    EXPECT_EQ(image.columns, static_cast<std::int32_t>(kWidth));
    EXPECT_EQ(image.At(5, 1), I);
    EXPECT_EQ(DecodePng(EncodeGreyPng(kWidth, 2, samples), "again.png").classes, image.classes);
}

// A header may declare far more pixels than its data could ever hold; the
// reader says so before it allocates them.
TEST(PngTest, AHeaderThatItsDataCannotFillIsRefusedAsTruncated) {
    PngBuilder bomb(1, 1, 0, {255});
    bomb.declaredWidth = bomb.declaredHeight = 10'000;
    EXPECT_THAT([&] { DecodePng(bomb.Build(), "bomb.png"); },
                ::testing::ThrowsMessage<InputError>(
                    HasSubstr("bomb.png: truncated PNG image: it declares 10000x10000 pixels but holds only")));
}

TEST(RgbaPixelsTest, AreLaidOverWhiteAsThePngReaderLaysThem) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> pixels(4 * 16 * 8);
    for (auto& value : pixels) value = static_cast<std::uint8_t>(random());
    const auto image = DecodeRgbaPixels(pixels.data(), 8, 16, "image");
    EXPECT_EQ(image.classes, DecodePng(PngBuilder(16, 8, 6, pixels).Build(), "image").classes);
    EXPECT_FALSE(image.resolution.has_value());
    EXPECT_THAT([&] { DecodeRgbaPixels(pixels.data(), 0, 16, "image"); },
                ::testing::ThrowsMessage<InputError>(HasSubstr("has no pixels")));
}

// ----- files -----

TEST(BoundedStreamTest, ReadsUpToTheLimitAndRefusesAByteMore) {
    std::istringstream exact(std::string(3000, 'x'));
    EXPECT_EQ(ReadBoundedStream(exact, "in", 3000).size(), 3000u);
    std::istringstream over(std::string(3001, 'x'));
    EXPECT_THAT([&] { ReadBoundedStream(over, "standard input", 3000); },
                ::testing::ThrowsMessage<InputError>(HasSubstr("standard input: more than 3000 bytes")));
}

TEST(ImageFileTest, UnsupportedEmptyAndMissingFiles) {
    ZalvoPlanTest::ScratchDirectory scratch;
    EXPECT_THAT([&] { ReadPlateImage(scratch.Write("a.gif", std::string("GIF89a....")).string()); },
                ::testing::ThrowsMessage<InputError>(HasSubstr("unsupported image format")));
    EXPECT_THAT([&] { ReadPlateImage(scratch.Write("empty.png", std::string()).string()); },
                ::testing::ThrowsMessage<InputError>(HasSubstr("the file is empty")));
    EXPECT_THAT([&] { ReadPlateImage((scratch.Path() / "missing.png").string()); },
                ::testing::ThrowsMessage<InputError>(HasSubstr("cannot open the file")));
    EXPECT_THAT([&] { ReadPlateImage(scratch.Path().string()); },
                ::testing::ThrowsMessage<InputError>(HasSubstr("is a directory")));
}

}  // namespace
}  // namespace ZalvoPlan

namespace ZalvoPlan {
namespace {

// ----- the library's view of an image -----

TEST(ImagePlateTest, AnswersTheLibraryFromTheClasses) {
    const PlateImage image =
        DecodePlateImage(Bytes("P3 3 2 255  255 0 0  0 0 0  128 128 128  255 255 255  0 0 0  255 0 0"), "p");
    const ImagePlate plate(image, 150.0);
    EXPECT_EQ(plate.GetPixelColumnCount(), 3);
    EXPECT_EQ(plate.GetPixelRowCount(), 2);
    EXPECT_DOUBLE_EQ(plate.GetResolution(), 150.0);
    EXPECT_TRUE(plate.IsPixelOccupied({2, 0}));   // grey content
    EXPECT_FALSE(plate.IsPixelOccupied({0, 1}));  // white
    EXPECT_FALSE(plate.IsPixelOccupied({3, 0}));  // off the plate
    EXPECT_FALSE(plate.IsPixelOccupied({0, -1}));
    EXPECT_TRUE(IsImpassableClass(image.At(0, 0)));   // a seed is impassable content
    EXPECT_FALSE(IsImpassableClass(image.At(2, 0)));  // grey may be crossed
    EXPECT_EQ(CorridorSeeds(image), (std::set<Zalvo::Pixel>{{0, 0}, {2, 1}}));
}

}  // namespace
}  // namespace ZalvoPlan
