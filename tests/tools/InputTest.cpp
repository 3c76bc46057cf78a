#include "ToolTestSupport.h"
#include "input/ImageDecoding.h"
#include "input/PngEncoding.h"
#include "input/Units.h"
#include "plan/Options.h"

#include <cmath>
#include <tuple>

namespace ZalvoPlan {
namespace {

using namespace ZalvoPlanTest;
using ::testing::AllOf;
using Texts = std::pair<std::string, std::string>;

class LengthConversionTest : public ::testing::TestWithParam<std::pair<std::string, double>> {};
TEST_P(LengthConversionTest, ConvertsToMilliPoints) {
    EXPECT_NEAR(ToMilliPoints(ParseLength(GetParam().first, "--min-distance"), 300.0), GetParam().second, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Units, LengthConversionTest,
                         ::testing::Values(std::pair{"1in", 72000.0}, std::pair{"25.4mm", 72000.0},
                                           std::pair{"2.54cm", 72000.0}, std::pair{"2pt", 2000.0},
                                           std::pair{"500mpt", 500.0}, std::pair{"0mm", 0.0},
                                           std::pair{" 0.5 mm ", 0.5 / 25.4 * 72000.0}, std::pair{"3px", 720.0},
                                           std::pair{"1e1pt", 10000.0}));

// Pixels come back through the library's conversion as that many or just below (more would add a ring of margin),
// from the longest length that does.
TEST(PixelLengthTest, NeverComesBackAsMorePixels) {
    const auto back = [](int pixels, double resolution) {
        return ToPixels(ToMilliPoints({static_cast<double>(pixels), LengthUnit::Pixel}, resolution), resolution);
    };
    int exact = 0, total = 0;  // a few counts have no exact double at these resolutions; at 72 ppi all have
    for (double resolution : {72.0, 96.0, 100.0, 150.0, 299.9, 300.0, 600.0, 1200.0, 2400.0}) {
        for (int pixels = 0; pixels <= 64; ++pixels, ++total) {
            EXPECT_LE(back(pixels, resolution), pixels) << pixels << "px at " << resolution;
            EXPECT_EQ(std::ceil(back(pixels, resolution)), pixels) << pixels << "px at " << resolution;
            exact += back(pixels, resolution) == pixels;
            const double length = ToMilliPoints({static_cast<double>(pixels), LengthUnit::Pixel}, resolution);
            // 0 px is no length at all; every other count is met by the longest length that fits.
            EXPECT_TRUE(pixels == 0 || ToPixels(std::nextafter(length, HUGE_VAL), resolution) > pixels) << pixels;
            EXPECT_TRUE(resolution != 72.0 || back(pixels, resolution) == pixels) << pixels << "px at 72 ppi";
        }
    }
    EXPECT_GT(exact, total * 9 / 10);
    // The search for the largest fitting value would end on a subnormal for 0px.
    for (double resolution : {0.1, 72.0, 1e6}) EXPECT_EQ(ToMilliPoints({0.0, LengthUnit::Pixel}, resolution), 0.0);
}
class BadLengthTest : public ::testing::TestWithParam<Texts> {};
TEST_P(BadLengthTest, NamesTheOptionAndTheProblem) {
    const auto& [text, problem] = GetParam();
    EXPECT_THAT([&] { ParseLength(text, "--preferred-distance"); },
                ThrowsMessage<InputError>(AllOf(HasSubstr("--preferred-distance '" + text + "'"), HasSubstr(problem))));
}
INSTANTIATE_TEST_SUITE_P(
    Cases, BadLengthTest,
    ::testing::Values(Texts{"2", "has no unit"}, Texts{"0", "has no unit"}, Texts{"2kg", "unknown unit 'kg'"},
                      Texts{"2MM", "unknown unit 'MM'"}, Texts{"mm", "does not start with a number"},
                      Texts{"", "does not start with a number"}, Texts{"+2mm", "does not start with a number"},
                      Texts{"-1mm", "finite length of 0 or more"}, Texts{"nanmm", "finite length of 0 or more"},
                      Texts{"infpt", "finite length of 0 or more"}, Texts{"1e400mm", "is too large"}));

TEST(PlateSizeTest, ParsesColumnsThenRowsAndRejectsMalformedSizes) {
    EXPECT_EQ(ParsePlateSize("4000x2000").columns, 4000);
    EXPECT_EQ(ParsePlateSize("4000x2000").rows, 2000);
    for (const char* text : {"640", "0x10", "10x0", "10x", "x10", "10x10x", "-5x10", "ax3", "10 x 10", ""}) {
        EXPECT_THROW(ParsePlateSize(text), InputError) << text;
    }
}
constexpr auto F = PixelClass::Free;
constexpr auto C = PixelClass::Crossable;
constexpr auto I = PixelClass::Impassable;
constexpr auto S = PixelClass::Seed;
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
                      std::tuple{0, 0, 0, I}, std::tuple{255, 0, 0, S}, std::tuple{200, 60, 60, S},  // strong red
                      std::tuple{255, 128, 128, C},                            // pink rim of a red line: grey
                      std::tuple{128, 0, 0, I},                                // dark red rim on black: black
                      std::tuple{191, 0, 0, I},                                // too dark a red for a seed
                      std::tuple{200, 72, 60, S}, std::tuple{200, 73, 60, C},  // red's excess at its bound
                      std::tuple{0, 0, 255, I}, std::tuple{255, 255, 0, F}));  // other colours by brightness

// The bytes of `text`, then `tail` (which may hold zeros).
Bytes Text(const std::string& text, const Bytes& tail = {}) {
    Bytes bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}
Bytes Png(std::uint32_t width, std::uint32_t height, std::uint8_t colourType, Bytes samples,
          std::int64_t pixelsPerMetre = -1, std::uint8_t physicalUnit = 1) {
    PngBuilder png(width, height, colourType, std::move(samples));
    png.pixelsPerMetre = pixelsPerMetre;
    png.physicalUnit = physicalUnit;
    return png.Build();
}

// "<columns>x<rows> <a letter per pixel, row by row>[ @<resolution>]".
std::string Describe(const PlateImage& image) {
    std::string text = std::to_string(image.columns) + "x" + std::to_string(image.rows) + " ";
    for (const auto c : image.classes) text += c == F ? 'F' : c == C ? 'C' : c == I ? 'I' : 'S';
    return text + (image.resolution ? " @" + NumberText(*image.resolution) : "");
}
const char* const kPlainPpm = "P3 3 2 255  255 0 0  0 0 0  128 128 128  255 255 255  0 0 0  255 0 0";
class DecodeTest : public ::testing::TestWithParam<std::pair<Bytes, std::string>> {};
TEST_P(DecodeTest, ReadsTheSizeEveryPixelsClassAndTheResolution) {
    EXPECT_EQ(Describe(DecodePlateImage(GetParam().first, "test")), GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(
    Files, DecodeTest,
    ::testing::Values(std::pair{Text("P1\n# a comment\n3 2\n010\n1 0 1\n"), "3x2 FIFIFI"},
                      // Rows are padded to whole bytes; the padding bits are ignored.
                      std::pair{Text("P4 10 2\n", {0x80, 0x7f, 0x00, 0x40}), "10x2 IFFFFFFFFIFFFFFFFFFI"},
                      std::pair{Text("P2 3 1 15 15 8 3"), "3x1 FCI"},  // scaled by the maximum: 255, 136, 51
                      std::pair{Text("P5 2 1 65535\n", {0xff, 0xff, 0x10, 0x00}), "2x1 FI"},
                      std::pair{Text("P6 3 1 255\n", {255, 0, 0, 255, 255, 255, 0, 0, 0}), "3x1 SFI"},
                      std::pair{Text(kPlainPpm), "3x2 SICFIS"},
                      std::pair{Png(3, 1, 0, {255, 128, 0}, 11811), "3x1 FCI @300"},  // per metre, to a tenth per inch
                      std::pair{Png(1, 1, 0, {255}, 3937), "1x1 F @100"},
                      std::pair{Png(1, 1, 0, {255}, 3937, 0), "1x1 F"},  // a density of no unit is no resolution
                      std::pair{Png(2, 2, 2, {255, 0, 0, 255, 255, 255, 0, 0, 0, 128, 128, 128}), "2x2 SFIC"}));

class BadNetpbmTest : public ::testing::TestWithParam<Texts> {};
TEST_P(BadNetpbmTest, NamesTheProblem) {
    EXPECT_THAT([&] { DecodePlateImage(Text(GetParam().first), "plate.pnm"); },
                ThrowsMessage<InputError>(AllOf(HasSubstr("plate.pnm: "), HasSubstr(GetParam().second))));
}
INSTANTIATE_TEST_SUITE_P(
    Cases, BadNetpbmTest,
    ::testing::Values(
        Texts{"P5 4 4 255\n\x01\x02", "truncated pixel data"},
        Texts{"P6 10000 10000 65535\n\x01", "truncated pixel data"}, Texts{"P4 9 2\n\x01", "truncated pixel data"},
        Texts{"P1 2 2 0 1 1", "truncated pixel data"}, Texts{"P2 2 1 10 3 11", "exceeds the maximum value"},
        Texts{"P2 2 1 0 0 0", "maximum value must lie in 1..65535"}, Texts{"P5 2", "truncated before the height"},
        Texts{"P5 x 2 255", "expected a number for the width"}, Texts{"P1 0 5", "has no pixels"},
        Texts{"P5 20000 20000 255\n", "exceeds the limit"}, Texts{"P1 2 1 0 2", "must be 0 or 1"},
        Texts{"P5 1000000000 1 255", "exceeds the limit"}, Texts{"P5 1000000001 1", "width is too large"}));

// A header may declare far more pixels than its data holds: refused before they are allocated.
TEST(PngTest, AHeaderThatItsDataCannotFillIsRefusedAsTruncated) {
    PngBuilder bomb(1, 1, 0, {255});
    bomb.declaredWidth = bomb.declaredHeight = 10'000;
    EXPECT_THAT([&] { DecodePng(bomb.Build(), "bomb.png"); },
                ThrowsMessage<InputError>(
                    HasSubstr("bomb.png: truncated PNG image: it declares 10000x10000 pixels but holds only")));
}

// A file cut inside its pHYs chunk declares no resolution, and nothing past its end is read.
TEST(PngTest, AResolutionChunkCutShortIsNoResolution) {
    const auto whole = Png(1, 1, 0, {255}, 3937);
    constexpr std::string_view kChunk = "pHYs";
    const auto type = std::search(whole.begin(), whole.end(), kChunk.begin(), kChunk.end());
    EXPECT_EQ(PngPixelsPerMetre(whole), 3937u);
    EXPECT_EQ(PngPixelsPerMetre(Bytes(whole.begin(), type + 6)), std::nullopt);
}

// libpng refuses a side above 1,000,000 pixels unless told otherwise; only the planner's pixel count limit holds.
TEST(PngTest, AnImageWiderThanAMillionPixelsReadsAndWrites) {
    constexpr std::uint32_t kWidth = 1'000'001;
    Bytes samples(std::size_t{kWidth} * 2, 255);
    samples[kWidth + 5] = 0;
    const auto image = DecodePng(Png(kWidth, 2, 0, samples), "wide.png");
    EXPECT_EQ(image.columns, static_cast<std::int32_t>(kWidth));
    EXPECT_EQ(image.At(5, 1), I);
    EXPECT_EQ(DecodePng(EncodeGreyPng(kWidth, 2, samples), "again.png").classes, image.classes);
}
struct PngKind {
    const char* name;
    std::uint8_t colourType, bitDepth;
    std::vector<std::pair<std::string, Bytes>> ancillary = {};
};
void PrintTo(const PngKind& kind, std::ostream* out) { *out << kind.name; }

// Random pixels of every kind of PNG, read as libpng's simplified reader reads them over white.
class PngKindTest : public ::testing::TestWithParam<PngKind> {};
TEST_P(PngKindTest, ReadsEveryPixelAsLibpngsSimplifiedReaderDoes) {
    const auto& kind = GetParam();
    constexpr std::uint32_t kSide = 24;
    const std::size_t channels = kind.colourType == 2 ? 3 : kind.colourType == 4 ? 2 : kind.colourType == 6 ? 4 : 1;
    std::mt19937 random(kind.bitDepth * 7u + kind.colourType);
    PngBuilder png(kSide, kSide, kind.colourType, Bytes((kSide * channels * kind.bitDepth + 7) / 8 * kSide));
    for (auto& sample : png.samples) sample = static_cast<std::uint8_t>(random());
    png.bitDepth = kind.bitDepth;
    png.ancillary = kind.ancillary;
    png.palette.resize(3 * 256);
    for (auto& value : png.palette) value = static_cast<std::uint8_t>(random());
    const auto bytes = png.Build();
    const Colour white{255, 255, 255};
    const auto reference = DecodeRgb({bytes.begin(), bytes.end()}, &white).rgb;
    ASSERT_EQ(reference.size(), kSide * kSide * 3) << "libpng refused the test image";
    std::vector<PixelClass> expected;
    for (std::size_t i = 0; i < reference.size(); i += 3) {
        expected.push_back(ClassifyColour(reference[i], reference[i + 1], reference[i + 2]));
    }
    EXPECT_EQ(DecodePng(bytes, kind.name).classes, expected);
}
Bytes Ramp(int count) {
    Bytes values;
    for (int i = 0; i < count; ++i) values.push_back(static_cast<std::uint8_t>(i * 37));
    return values;
}
const Bytes kLinearGamma{0, 1, 0x86, 0xa0};  // gAMA 100000: samples are linear
const Bytes kDarkGamma{0, 0, 0x9c, 0x40};    // gAMA 40000
INSTANTIATE_TEST_SUITE_P(Kinds, PngKindTest,
                         ::testing::Values(PngKind{"grey1", 0, 1}, PngKind{"grey4", 0, 4}, PngKind{"grey8", 0, 8},
                                           PngKind{"grey16", 0, 16}, PngKind{"greyAlpha8", 4, 8},
                                           PngKind{"greyAlpha16", 4, 16}, PngKind{"rgb8", 2, 8},
                                           PngKind{"rgb16", 2, 16}, PngKind{"rgba8", 6, 8}, PngKind{"rgba16", 6, 16},
                                           PngKind{"palette2", 3, 2}, PngKind{"palette8", 3, 8},
                                           PngKind{"paletteAlpha8", 3, 8, {{"tRNS", Ramp(200)}}},
                                           PngKind{"greyKey8", 0, 8, {{"tRNS", {0, 37}}}},
                                           PngKind{"rgbKey16", 2, 16, {{"tRNS", {0, 1, 0, 2, 0, 3}}}},
                                           PngKind{"rgbLinear8", 2, 8, {{"gAMA", kLinearGamma}}},
                                           PngKind{"rgbaDark8", 6, 8, {{"gAMA", kDarkGamma}}},
                                           PngKind{"greyLinear16", 0, 16, {{"gAMA", kLinearGamma}}}),
                         [](const auto& kind) { return std::string(kind.param.name); });

TEST(RgbaPixelsTest, AreLaidOverWhiteAsThePngReaderLaysThem) {
    std::mt19937 random(7);
    Bytes pixels(4 * 16 * 8);
    for (auto& value : pixels) value = static_cast<std::uint8_t>(random());
    const auto image = DecodeRgbaPixels(pixels.data(), 8, 16, "image");
    EXPECT_EQ(image.classes, DecodePng(Png(16, 8, 6, pixels), "image").classes);
    EXPECT_FALSE(image.resolution.has_value());
    EXPECT_THAT([&] { DecodeRgbaPixels(pixels.data(), 0, 16, "image"); },
                ThrowsMessage<InputError>(HasSubstr("has no pixels")));
}
TEST(BoundedStreamTest, ReadsUpToTheLimitAndRefusesAByteMore) {
    std::istringstream exact(std::string(3000, 'x')), over(std::string(3001, 'x'));
    EXPECT_EQ(ReadBoundedStream(exact, "in", 3000).size(), 3000u);
    EXPECT_THAT([&] { ReadBoundedStream(over, "standard input", 3000); },
                ThrowsMessage<InputError>(HasSubstr("standard input: more than 3000 bytes")));
}

// A folder given where a file belongs (the command line takes a folder as a batch).
TEST(ImageFileTest, AFolderIsNoImage) {
    ScratchDirectory scratch;
    EXPECT_THAT([&] { ReadPlateImage(scratch.Path()); }, ThrowsMessage<InputError>(HasSubstr("is a directory")));
}
TEST(SamplePlateTest, KeepsItsFeaturesAtAnySize) {
    for (auto [columns, rows] : {std::pair{64, 32}, std::pair{640, 320}, std::pair{1000, 200}}) {
        const auto classes = MakeSamplePlate(columns, rows).classes;
        const auto count = [&](PixelClass c) { return std::count(classes.begin(), classes.end(), c); };
        EXPECT_TRUE(count(S) > 0 && count(C) > 0 && count(I) > 0 && count(F) > count(I)) << columns;
    }
    EXPECT_THROW(MakeSamplePlate(63, 32), InputError);
}
TEST(ImagePlateTest, AnswersTheLibraryFromTheClasses) {
    const PlateImage image = DecodePlateImage(Text(kPlainPpm), "p");
    const ImagePlate plate(image, 150.0);
    EXPECT_EQ(std::tuple(plate.GetPixelColumnCount(), plate.GetPixelRowCount(), plate.GetResolution()),
              std::tuple(3, 2, 150.0));
    // Grey is content, white and everything off the plate is not; a seed is impassable, grey may be crossed.
    EXPECT_THAT((std::vector{plate.IsPixelOccupied({2, 0}), plate.IsPixelOccupied({0, 1}),
                             plate.IsPixelOccupied({3, 0}), plate.IsPixelOccupied({0, -1}),
                             IsImpassableClass(image.At(0, 0)), IsImpassableClass(image.At(2, 0))}),
                ElementsAre(true, false, false, false, true, false));
    EXPECT_EQ(CorridorSeeds(image), (std::set<Zalvo::Pixel>{{0, 0}, {2, 1}}));
    // A 3x3 block in the top left corner: each edge named has one unoccupied neighbour, beyond the plate or free.
    const auto block = DecodePlateImage(Text("P1 5 4 1 1 1 0 0 1 1 1 0 0 1 1 1 0 0 0 0 0 0 0"), "block.pbm");
    const ImagePlate blockPlate(block, 72.0);
    EXPECT_EQ(blockPlate.GetContentCount(), 9);
    std::vector<bool> edges;
    for (const Zalvo::Pixel p : {Zalvo::Pixel{0, 1}, {2, 1}, {1, 0}, {1, 2}, {1, 1}, {3, 1}})
        edges.push_back(blockPlate.IsPixelOnContentEdge(p));
    EXPECT_THAT(edges, ElementsAre(true, true, true, true, false, false));
}

}  // namespace
}  // namespace ZalvoPlan
