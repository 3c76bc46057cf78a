#include "ImageDecoding.h"
#include "ToolTestSupport.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

// ----- files -----

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
