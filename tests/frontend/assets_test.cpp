// The show form's pictures and the icon are committed files that the front-end carries as resources
// and writes out as the renderer's textures. The renderer reads the 256 x 256 ones raw from byte 54,
// so their headers must be exact; and they must be what the generator makes, or the next regeneration
// would silently change the look of the product.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path kAssets = fs::path(VANTOREL_SOURCE_DIR) / "assets";

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8);
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

std::int32_t I32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}

struct Rgb {
  int r, g, b;
};

// A 24-bit bottom-up picture as the renderer's raw reader sees it, addressed top row first.
class Picture {
 public:
  explicit Picture(const fs::path& path) : bytes_(ReadWholeFile(path)) {}

  int Width() const { return I32(bytes_, 18); }
  int Height() const { return I32(bytes_, 22); }

  Rgb At(int x, int y) const {
    const std::size_t stride = (static_cast<std::size_t>(Width()) * 3 + 3) & ~std::size_t{3};
    const std::size_t at = 54 + stride * (Height() - 1 - y) + 3 * static_cast<std::size_t>(x);
    return {bytes_.at(at + 2), bytes_.at(at + 1), bytes_.at(at)};
  }

  template <typename F>
  void ForEach(F f) const {
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x) f(At(x, y));
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

int Chroma(const Rgb& p) { return std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}); }

// Which sixth of the colour wheel a saturated pixel falls in: red, yellow, green, cyan, blue, magenta.
int HueSextant(const Rgb& p) {
  const int mx = std::max({p.r, p.g, p.b});
  const double c = Chroma(p);
  double h;
  if (mx == p.r)
    h = std::fmod((p.g - p.b) / c + 6.0, 6.0);
  else if (mx == p.g)
    h = (p.b - p.r) / c + 2.0;
  else
    h = (p.r - p.g) / c + 4.0;
  return static_cast<int>(h + 0.5) % 6;
}

// --- Header layout ----------------------------------------------------------------------------

struct PictureCase {
  const char* file;
  int side;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.file; }

class CommittedPicture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(CommittedPicture, HasTheRawLayoutTheRendererReads) {
  const PictureCase& c = GetParam();
  const fs::path path = kAssets / "pictures" / c.file;
  const std::vector<std::uint8_t> b = ReadWholeFile(path);
  ASSERT_GE(b.size(), 54u) << path;

  const std::uint32_t stride = (c.side * 3 + 3) & ~3u;
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), b.size()) << "bfSize";
  EXPECT_EQ(U32(b, 6), 0u) << "reserved";
  EXPECT_EQ(U32(b, 10), 54u) << "bfOffBits";
  EXPECT_EQ(U32(b, 14), 40u) << "biSize";
  EXPECT_EQ(I32(b, 18), c.side) << "biWidth";
  EXPECT_EQ(I32(b, 22), c.side) << "biHeight, positive for bottom-up";
  EXPECT_EQ(U16(b, 26), 1u) << "biPlanes";
  EXPECT_EQ(U16(b, 28), 24u) << "biBitCount";
  EXPECT_EQ(U32(b, 30), 0u) << "biCompression BI_RGB";
  EXPECT_EQ(U32(b, 34), stride * c.side) << "biSizeImage";
  EXPECT_EQ(I32(b, 38), 2835);
  EXPECT_EQ(I32(b, 42), 2835);
  EXPECT_EQ(U32(b, 46), 0u) << "biClrUsed: no colour table";
  EXPECT_EQ(U32(b, 50), 0u);
  EXPECT_EQ(b.size(), 54 + stride * c.side);
}

INSTANTIATE_TEST_SUITE_P(ShowFormPictures, CommittedPicture,
                         ::testing::Values(PictureCase{"pic1_0.bmp", 1}, PictureCase{"pic1_1.bmp", 1},
                                           PictureCase{"pic1_2.bmp", 256}, PictureCase{"pic1_3.bmp", 256}),
                         [](const auto& info) { return "Pic1_" + std::to_string(info.index); });

TEST(TintPicture, IsOneBlackPixel) {
  for (const char* file : {"pic1_0.bmp", "pic1_1.bmp"}) {
    SCOPED_TRACE(file);
    const Picture pic(kAssets / "pictures" / file);
    const Rgb p = pic.At(0, 0);
    EXPECT_EQ(p.r + p.g + p.b, 0);
  }
}

// --- Content ----------------------------------------------------------------------------------

TEST(GlassSparklePicture, IsMostlyWhiteWithBrightDotsOfEveryHue) {
  const Picture pic(kAssets / "pictures" / "pic1_2.bmp");
  int white = 0, saturated = 0, total = 0;
  int perSextant[6] = {};
  pic.ForEach([&](const Rgb& p) {
    ++total;
    if (std::min({p.r, p.g, p.b}) >= 235) ++white;
    if (Chroma(p) >= 128 && std::max({p.r, p.g, p.b}) >= 160) {
      ++saturated;
      ++perSextant[HueSextant(p)];
    }
  });
  EXPECT_GT(white, total * 6 / 10) << "the field is white";
  EXPECT_GT(saturated, total * 6 / 100) << "many bright, saturated dots";
  for (int s = 0; s < 6; ++s) {
    SCOPED_TRACE("hue sextant " + std::to_string(s));
    EXPECT_GT(perSextant[s], saturated / 20) << "every hue is present";
  }
}

TEST(NebulaPicture, IsDarkBlueWithMagentaAndCyanClouds) {
  const Picture pic(kAssets / "pictures" / "pic1_3.bmp");
  double r = 0, g = 0, b = 0;
  int total = 0, cloud = 0, magenta = 0, cyan = 0;
  pic.ForEach([&](const Rgb& p) {
    ++total;
    r += p.r;
    g += p.g;
    b += p.b;
    if ((p.r + p.g + p.b) / 3 > 60) ++cloud;
    if (p.r > 100 && p.b > 100 && p.g < 80) ++magenta;
    if (p.g > 90 && p.b > 100 && p.r < 80) ++cyan;
  });
  r /= total;
  g /= total;
  b /= total;
  EXPECT_GT(b, r + 20) << "blue dominates";
  EXPECT_GT(b, g + 20) << "blue dominates";
  EXPECT_LT((r + g + b) / 3, 70) << "a dark backdrop";
  EXPECT_GT(cloud, total / 10) << "clouds show up against the dark";
  EXPECT_GT(magenta, total / 50) << "purple and magenta clouds";
  EXPECT_GT(cyan, total / 200) << "cyan clouds";
}

// --- Seamless tiling --------------------------------------------------------------------------

// The renderer scrolls both pictures cyclically, so the last column must join the first as smoothly
// as any two neighbouring columns inside (likewise rows). A seam shows as a wrap-around difference far
// above the spread of the interior ones; mean squared difference makes a hard cut through dots count.
class TiledPicture : public ::testing::TestWithParam<const char*> {};

double MeanSquaredDifference(const Picture& pic, bool columns, int a, int b) {
  const int n = pic.Width();
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    const Rgb p = columns ? pic.At(a, i) : pic.At(i, a);
    const Rgb q = columns ? pic.At(b, i) : pic.At(i, b);
    sum += (p.r - q.r) * (p.r - q.r) + (p.g - q.g) * (p.g - q.g) + (p.b - q.b) * (p.b - q.b);
  }
  return sum / (3.0 * n);
}

TEST_P(TiledPicture, JoinsSeamlesslyAcrossBothEdges) {
  const Picture pic(kAssets / "pictures" / GetParam());
  ASSERT_EQ(pic.Width(), 256);
  ASSERT_EQ(pic.Height(), 256);
  for (bool columns : {true, false}) {
    SCOPED_TRACE(columns ? "left and right edge" : "top and bottom edge");
    std::vector<double> inner;
    for (int i = 0; i + 1 < 256; ++i) inner.push_back(MeanSquaredDifference(pic, columns, i, i + 1));
    const double mean = std::accumulate(inner.begin(), inner.end(), 0.0) / inner.size();
    double var = 0;
    for (double d : inner) var += (d - mean) * (d - mean);
    const double sd = std::sqrt(var / inner.size());
    const double seam = MeanSquaredDifference(pic, columns, 255, 0);
    EXPECT_LE(seam, mean + 3 * sd) << "interior mean " << mean << ", spread " << sd;
  }
}

INSTANTIATE_TEST_SUITE_P(ScrollingTextures, TiledPicture, ::testing::Values("pic1_2.bmp", "pic1_3.bmp"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Sparkles" : "Nebula"); });

// --- Icon -------------------------------------------------------------------------------------

TEST(ProgramIcon, HoldsClassicDibImagesAtSixteenThirtyTwoAndFortyEight) {
  const std::vector<std::uint8_t> ico = ReadWholeFile(kAssets / "icon" / "vantorel.ico");
  ASSERT_GE(ico.size(), 6u + 3 * 16);
  EXPECT_EQ(U16(ico, 0), 0u);
  EXPECT_EQ(U16(ico, 2), 1u) << "type: icon";
  ASSERT_EQ(U16(ico, 4), 3u) << "image count";

  const int sides[] = {16, 32, 48};
  for (int i = 0; i < 3; ++i) {
    const int n = sides[i];
    SCOPED_TRACE(std::to_string(n) + " px");
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ(ico[entry], n);
    EXPECT_EQ(ico[entry + 1], n);
    EXPECT_EQ(U16(ico, entry + 4), 1u) << "planes";
    EXPECT_EQ(U16(ico, entry + 6), 32u) << "bits";
    const std::uint32_t size = U32(ico, entry + 8);
    const std::uint32_t offset = U32(ico, entry + 12);
    ASSERT_LE(std::uint64_t{offset} + size, ico.size());

    const std::uint32_t maskStride = (n + 31) / 32 * 4;
    EXPECT_EQ(size, 40u + 4u * n * n + maskStride * n);
    EXPECT_EQ(U32(ico, offset), 40u) << "a DIB, not a PNG";
    EXPECT_EQ(I32(ico, offset + 4), n);
    EXPECT_EQ(I32(ico, offset + 8), 2 * n) << "colour and mask stacked";
    EXPECT_EQ(U16(ico, offset + 14), 32u);
    EXPECT_EQ(U32(ico, offset + 16), 0u) << "BI_RGB";

    // Old-style drawing uses the AND mask alone, so it must agree with the alpha channel; and the
    // middle of the picture, where the ring sits on its tile, is opaque.
    int mismatched = 0, opaque = 0;
    for (int row = 0; row < n; ++row) {
      for (int col = 0; col < n; ++col) {
        const std::uint8_t alpha = ico.at(offset + 40 + 4 * (row * n + col) + 3);
        const std::uint8_t maskByte = ico.at(offset + 40 + 4 * n * n + row * maskStride + col / 8);
        const bool transparent = maskByte & (0x80 >> (col % 8));
        if (transparent != (alpha == 0)) ++mismatched;
        if (alpha == 255) ++opaque;
      }
    }
    EXPECT_EQ(mismatched, 0);
    EXPECT_GT(opaque, n * n * 3 / 4);
  }
}

// lbl_URL's cursor: one 32 x 32 monochrome image whose hot spot, (12, 10), is on the drawn hand.
TEST(LinkCursor, IsOne32x32MonochromeImageWithItsHotSpotOnTheFingertip) {
  const std::vector<std::uint8_t> cur = ReadWholeFile(kAssets / "cursor" / "link.cur");
  ASSERT_GE(cur.size(), 22u + 40u + 8u + 256u);
  EXPECT_EQ(U16(cur, 2), 2u) << "type: cursor";
  ASSERT_EQ(U16(cur, 4), 1u) << "image count";
  EXPECT_EQ(cur[6], 32);
  EXPECT_EQ(cur[7], 32);
  EXPECT_EQ(U16(cur, 10), 12u) << "hot spot x";
  EXPECT_EQ(U16(cur, 12), 10u) << "hot spot y";
  const std::uint32_t offset = U32(cur, 18);
  ASSERT_EQ(offset + U32(cur, 14), cur.size());
  EXPECT_EQ(I32(cur, offset + 4), 32);
  EXPECT_EQ(I32(cur, offset + 8), 64) << "XOR and AND masks stacked";
  EXPECT_EQ(U16(cur, offset + 14), 1u) << "one bit per pixel";
  // Rows are stored bottom-up, 4 bytes each; the AND mask follows the XOR mask.
  const std::size_t xorBits = offset + 40 + 8, andBits = xorBits + 128;
  auto bit = [&](std::size_t base, int x, int y) {
    return (cur.at(base + (31 - y) * 4 + x / 8) >> (7 - x % 8)) & 1;
  };
  EXPECT_EQ(bit(andBits, 12, 10), 0) << "the hot spot is drawn, not transparent";
  EXPECT_EQ(bit(xorBits, 12, 10), 0) << "in the black outline";
  EXPECT_EQ(bit(andBits, 12, 9), 1) << "nothing above the fingertip";
  EXPECT_EQ(bit(andBits, 0, 0), 1);
  int drawn = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) drawn += bit(andBits, x, y) == 0;
  EXPECT_GT(drawn, 120) << "a hand, not a dot";
  const fs::path out = fs::temp_directory_path() / ("vantorel-cursor-" + std::to_string(::getpid()));
  fs::remove_all(out);
  const std::string command = "python3 '" + (kAssets / "generator" / "make_cursor.py").string() + "' --out '" +
                              out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_TRUE(ReadWholeFile(out / "cursor" / "link.cur") == cur) << "rerun the generator and commit its output";
  fs::remove_all(out);
}

// --- Generator --------------------------------------------------------------------------------

TEST(PictureGenerator, RemakesTheCommittedFilesByteForByte) {
  const fs::path out = fs::temp_directory_path() / ("vantorel-assets-" + std::to_string(::getpid()));
  fs::remove_all(out);
  const std::string command = "python3 '" + (kAssets / "generator" / "make_pictures.py").string() +
                              "' --out '" + out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  for (const char* file : {"pictures/pic1_0.bmp", "pictures/pic1_1.bmp", "pictures/pic1_2.bmp",
                           "pictures/pic1_3.bmp", "icon/vantorel.ico"}) {
    SCOPED_TRACE(file);
    const std::vector<std::uint8_t> made = ReadWholeFile(out / file);
    ASSERT_FALSE(made.empty());
    EXPECT_TRUE(made == ReadWholeFile(kAssets / file)) << "rerun the generator and commit its output";
  }
  fs::remove_all(out);
}

}  // namespace
