// The compiled-in skin images, the login pop-up bitmap and the defaults archive, read back
// byte by byte: the formats are parsed here, with zlib for the compressed parts, so the
// checks depend on nothing else in the program.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "res/Resources.h"

namespace {

using kv::res::Type;
using Bytes = std::span<const std::uint8_t>;

std::uint32_t Be32(Bytes b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
         std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}
std::uint16_t Le16(Bytes b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t Le32(Bytes b, std::size_t at) {
  return std::uint32_t{Le16(b, at)} | std::uint32_t{Le16(b, at + 2)} << 16;
}
std::int32_t Le32Signed(Bytes b, std::size_t at) {
  return static_cast<std::int32_t>(Le32(b, at));
}

// Inflates `compressed` (zlib stream for windowBits 15, raw deflate for -15). Empty result
// when the stream is corrupt or does not end where the data ends.
std::vector<std::uint8_t> Inflate(Bytes compressed, int windowBits) {
  z_stream zs{};
  if (inflateInit2(&zs, windowBits) != Z_OK) {
    return {};
  }
  std::vector<std::uint8_t> out;
  std::uint8_t buffer[16384];
  zs.next_in = const_cast<Bytef*>(compressed.data());
  zs.avail_in = static_cast<uInt>(compressed.size());
  int rc = Z_OK;
  while (rc == Z_OK) {
    zs.next_out = buffer;
    zs.avail_out = sizeof buffer;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.insert(out.end(), buffer, buffer + (sizeof buffer - zs.avail_out));
  }
  const bool complete = rc == Z_STREAM_END && zs.avail_in == 0;
  inflateEnd(&zs);
  return complete ? out : std::vector<std::uint8_t>{};
}

// ---- PNG ----------------------------------------------------------------------------------

struct PngHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colourType = 0;
  int interlace = 0;
  std::vector<std::uint8_t> idat;  // all IDAT chunks joined
};

// Walks the chunk list; nothing when the signature, the IHDR chunk, a chunk length or the
// IEND chunk is missing or wrong.
std::optional<PngHeader> ParsePng(Bytes png) {
  static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 8 + 25 ||
      !std::equal(std::begin(kSignature), std::end(kSignature), png.begin())) {
    return std::nullopt;
  }
  PngHeader header;
  std::size_t at = 8;
  bool first = true;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = Be32(png, at);
    const std::string type(png.begin() + at + 4, png.begin() + at + 8);
    if (length > png.size() - at - 12) {
      return std::nullopt;
    }
    const Bytes data = png.subspan(at + 8, length);
    if (first && (type != "IHDR" || length != 13)) {
      return std::nullopt;
    }
    first = false;
    if (type == "IHDR") {
      header.width = Be32(data, 0);
      header.height = Be32(data, 4);
      header.bitDepth = data[8];
      header.colourType = data[9];
      header.interlace = data[12];
    } else if (type == "IDAT") {
      header.idat.insert(header.idat.end(), data.begin(), data.end());
    } else if (type == "IEND") {
      return header;
    }
    at += 12 + length;
  }
  return std::nullopt;
}

struct Rgba {
  int r, g, b, a;
};

struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;
  Rgba At(std::uint32_t x, std::uint32_t y) const {
    const std::uint8_t* p = &rgba[(std::size_t{y} * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Decodes a non-interlaced 8-bit RGBA PNG: inflate, then undo the per-row filters.
std::optional<Picture> DecodeRgba(Bytes png) {
  const std::optional<PngHeader> header = ParsePng(png);
  if (!header || header->bitDepth != 8 || header->colourType != 6 || header->interlace != 0) {
    return std::nullopt;
  }
  const std::size_t stride = std::size_t{header->width} * 4;
  const std::vector<std::uint8_t> raw = Inflate(header->idat, 15);
  if (raw.size() != (stride + 1) * header->height) {
    return std::nullopt;
  }
  Picture picture{header->width, header->height,
                  std::vector<std::uint8_t>(stride * header->height)};
  for (std::size_t y = 0; y < header->height; ++y) {
    const std::uint8_t filter = raw[y * (stride + 1)];
    const std::uint8_t* in = &raw[y * (stride + 1) + 1];
    std::uint8_t* row = &picture.rgba[y * stride];
    const std::uint8_t* up = y > 0 ? row - stride : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= 4 ? row[i - 4] : 0;
      const int b = up ? up[i] : 0;
      const int c = up && i >= 4 ? up[i - 4] : 0;
      int predictor = 0;
      switch (filter) {
        case 0:
          predictor = 0;
          break;
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4:
          predictor = Paeth(a, b, c);
          break;
        default:
          return std::nullopt;
      }
      row[i] = static_cast<std::uint8_t>(in[i] + predictor);
    }
  }
  return picture;
}

std::optional<Picture> LoadPicture(int id) {
  return DecodeRgba(kv::res::Find(Type::kPNG, id));
}

// ---- The images ---------------------------------------------------------------------------

struct ImageCase {
  int id;
  std::uint32_t width;
  std::uint32_t height;
  const char* use;
};

constexpr ImageCase kImages[] = {
    {172, 1, 30, "title strip middle"},
    {203, 203, 30, "title strip left"},
    {206, 92, 30, "title strip right"},
    {207, 28, 26, "close normal"},
    {208, 28, 26, "close hover"},
    {227, 28, 26, "close pressed"},
    {220, 28, 26, "maximise normal"},
    {213, 28, 26, "maximise hover"},
    {228, 28, 26, "maximise pressed"},
    {221, 28, 26, "restore normal"},
    {217, 28, 26, "restore hover"},
    {229, 28, 26, "restore pressed"},
    {209, 28, 26, "minimise normal"},
    {210, 28, 26, "minimise hover"},
    {230, 28, 26, "minimise pressed"},
    {211, 59, 24, "server normal"},
    {212, 59, 24, "server hover"},
    {231, 59, 24, "server pressed"},
    {223, 97, 24, "boss key normal"},
    {215, 97, 24, "boss key hover"},
    {233, 97, 24, "boss key pressed"},
    {224, 59, 24, "fullscreen normal"},
    {214, 59, 24, "fullscreen hover"},
    {234, 59, 24, "fullscreen pressed"},
    {226, 78, 24, "refresh normal"},
    {219, 78, 24, "refresh hover"},
    {236, 78, 24, "refresh pressed"},
    {252, 78, 24, "clear cache normal"},
    {253, 78, 24, "clear cache hover"},
    {261, 78, 24, "clear cache pressed"},
    {275, 1, 1, "veil texture"},
    {276, 23, 23, "busy frame 1"},
    {277, 23, 23, "busy frame 2"},
    {278, 23, 23, "busy frame 3"},
    {279, 23, 23, "busy frame 4"},
    {304, 256, 110, "message box background"},
    {314, 82, 34, "OK normal"},
    {313, 82, 34, "OK hover and pressed"},
    {312, 82, 34, "Cancel normal"},
    {311, 82, 34, "Cancel hover and pressed"},
    {316, 9, 9, "message box close cross"},
    {319, 1251, 733, "login skin"},
    {320, 31, 30, "pop-up minimise normal"},
    {321, 31, 30, "pop-up minimise hover"},
    {322, 31, 30, "pop-up minimise pressed"},
    {323, 35, 36, "pop-up close normal"},
    {324, 35, 36, "pop-up close hover"},
    {325, 35, 36, "pop-up close pressed"},
};

TEST(SkinImages, EveryImageIsAnRgbaPngOfItsSize) {
  for (const ImageCase& c : kImages) {
    SCOPED_TRACE(std::string("PNG ") + std::to_string(c.id) + " (" + c.use + ")");
    const Bytes bytes = kv::res::Find(Type::kPNG, c.id);
    ASSERT_FALSE(bytes.empty());
    const std::optional<PngHeader> header = ParsePng(bytes);
    ASSERT_TRUE(header.has_value()) << "not a well-formed PNG";
    EXPECT_EQ(header->width, c.width);
    EXPECT_EQ(header->height, c.height);
    EXPECT_EQ(header->bitDepth, 8);
    EXPECT_EQ(header->colourType, 6) << "must be RGBA";
    // The pixel data must inflate to exactly the image and show something.
    const std::optional<Picture> picture = DecodeRgba(bytes);
    ASSERT_TRUE(picture.has_value()) << "pixel data does not decode";
    bool anyVisible = false;
    for (std::size_t i = 3; i < picture->rgba.size(); i += 4) {
      anyVisible = anyVisible || picture->rgba[i] > 0;
    }
    EXPECT_TRUE(anyVisible) << "fully transparent";
  }
}

// Share of pixels whose premultiplied colour or alpha differs by more than 16 levels.
double ShareVisiblyDifferent(const Picture& x, const Picture& y) {
  std::size_t differing = 0;
  for (std::uint32_t py = 0; py < x.height; ++py) {
    for (std::uint32_t px = 0; px < x.width; ++px) {
      const Rgba p = x.At(px, py), q = y.At(px, py);
      int d = std::abs(p.a - q.a);
      for (auto [u, v] : {std::pair{p.r, q.r}, std::pair{p.g, q.g}, std::pair{p.b, q.b}}) {
        d = std::max(d, std::abs(u * p.a - v * q.a) / 255);
      }
      differing += d > 16 ? 1 : 0;
    }
  }
  return static_cast<double>(differing) / (static_cast<double>(x.width) * x.height);
}

TEST(SkinImages, ButtonStatesLookDifferent) {
  struct ButtonCase {
    const char* name;
    int normal, hover, pressed;
  };
  // The message box buttons use their hover image for the pressed state as well.
  const ButtonCase cases[] = {
      {"close", 207, 208, 227},
      {"maximise", 220, 213, 228},
      {"restore", 221, 217, 229},
      {"minimise", 209, 210, 230},
      {"server", 211, 212, 231},
      {"boss key", 223, 215, 233},
      {"fullscreen", 224, 214, 234},
      {"refresh", 226, 219, 236},
      {"clear cache", 252, 253, 261},
      {"message box OK", 314, 313, 313},
      {"message box Cancel", 312, 311, 311},
      {"pop-up minimise", 320, 321, 322},
      {"pop-up close", 323, 324, 325},
  };
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto normal = LoadPicture(c.normal), hover = LoadPicture(c.hover),
               pressed = LoadPicture(c.pressed);
    ASSERT_TRUE(normal && hover && pressed);
    EXPECT_GT(ShareVisiblyDifferent(*normal, *hover), 0.10) << "normal and hover";
    EXPECT_GT(ShareVisiblyDifferent(*normal, *pressed), 0.10) << "normal and pressed";
    if (c.hover != c.pressed) {
      EXPECT_GT(ShareVisiblyDifferent(*hover, *pressed), 0.10) << "hover and pressed";
    }
  }
}

TEST(SkinImages, VeilIsOneBlackPixelWithAlpha230) {
  const std::optional<Picture> veil = LoadPicture(275);
  ASSERT_TRUE(veil.has_value());
  const Rgba p = veil->At(0, 0);
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.g, 0);
  EXPECT_EQ(p.b, 0);
  EXPECT_EQ(p.a, 230);
}

TEST(SkinImages, BusyFramesLightTheSquaresInTurn) {
  struct Quadrant {
    const char* name;
    std::uint32_t x0, y0;
  };
  const Quadrant quadrants[] = {
      {"top-left", 0, 0}, {"top-right", 12, 0}, {"bottom-left", 0, 12}, {"bottom-right", 12, 12}};
  const struct {
    int id;
    const char* lit;
  } frames[] = {{276, "bottom-right"}, {277, "bottom-left"}, {278, "top-left"}, {279, "top-right"}};
  for (const auto& frame : frames) {
    SCOPED_TRACE("PNG " + std::to_string(frame.id));
    const std::optional<Picture> picture = LoadPicture(frame.id);
    ASSERT_TRUE(picture.has_value());
    // Light of each quadrant: brightness weighted by coverage; the lit one must stand out.
    std::vector<std::pair<double, const char*>> light;
    for (const Quadrant& q : quadrants) {
      double sum = 0;
      for (std::uint32_t y = q.y0; y < q.y0 + 11; ++y) {
        for (std::uint32_t x = q.x0; x < q.x0 + 11; ++x) {
          const Rgba p = picture->At(x, y);
          sum += (p.r + p.g + p.b) * p.a / 255.0;
        }
      }
      light.emplace_back(sum, q.name);
    }
    std::sort(light.rbegin(), light.rend());
    EXPECT_STREQ(light[0].second, frame.lit);
    EXPECT_GT(light[0].first, 1.5 * light[1].first) << "lit square not clearly brighter";
  }
}

// WCAG contrast ratio between two sRGB colours.
double Luminance(int r, int g, int b) {
  auto linear = [](int c) {
    const double s = c / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}
double Contrast(double l1, double l2) {
  return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

TEST(LoginSkin, TransparentMarginsOpaqueSeatAndReadableVersionCorner) {
  const std::optional<Picture> skin = LoadPicture(319);
  ASSERT_TRUE(skin.has_value());
  const std::uint32_t w = skin->width, h = skin->height;
  const std::pair<std::uint32_t, std::uint32_t> corners[] = {
      {0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
  for (auto [x, y] : corners) {
    EXPECT_EQ(skin->At(x, y).a, 0) << "corner " << x << "," << y << " should be see-through";
  }
  // The pop-up (714 x 488 at 459, 139) lets the skin show through its colour-keyed parts:
  // the skin must be opaque everywhere under it.
  std::size_t seeThrough = 0;
  for (std::uint32_t y = 139; y < 139 + 488; ++y) {
    for (std::uint32_t x = 459; x < 459 + 714; ++x) {
      seeThrough += skin->At(x, y).a != 255 ? 1 : 0;
    }
  }
  EXPECT_EQ(seeThrough, 0u) << "pixels under the pop-up that are not opaque";
  // The version label (gold 0xCBAE5B, 10 px) is drawn from (W - 60, H - 33).
  const double label = Luminance(0xCB, 0xAE, 0x5B);
  for (std::uint32_t y = h - 33; y < h - 20; ++y) {
    for (std::uint32_t x = w - 60; x < w - 24; ++x) {
      const Rgba p = skin->At(x, y);
      ASSERT_GE(p.a, 240) << "label area not opaque at " << x << "," << y;
      ASSERT_GE(Contrast(label, Luminance(p.r, p.g, p.b)), 4.5)
          << "label would be hard to read at " << x << "," << y;
    }
  }
}

// ---- Bitmap 318 ---------------------------------------------------------------------------

TEST(PopupBitmap, IsA24BitBottomUpBitmapWithColourKeyedParts) {
  const Bytes bmp = kv::res::Find(Type::kBITMAP, 318);
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Le32(bmp, 2), bmp.size()) << "file size field";
  const std::uint32_t offset = Le32(bmp, 10);
  EXPECT_EQ(Le32(bmp, 14), 40u) << "BITMAPINFOHEADER";
  const std::int32_t width = Le32Signed(bmp, 18), height = Le32Signed(bmp, 22);
  EXPECT_EQ(width, 714);
  EXPECT_EQ(height, 488) << "positive height: rows stored bottom-up";
  EXPECT_EQ(Le16(bmp, 26), 1);
  EXPECT_EQ(Le16(bmp, 28), 24) << "bits per pixel";
  EXPECT_EQ(Le32(bmp, 30), 0u) << "BI_RGB, uncompressed";
  const std::size_t stride = (714 * 3 + 3) & ~std::size_t{3};
  ASSERT_GE(bmp.size(), offset + stride * 488);

  // Pure green is the colour key. Anything else must be clearly not green, so that no
  // blended edge pixel shows as a green fringe over the login skin.
  std::size_t key = 0, face = 0, nearGreen = 0;
  for (std::size_t row = 0; row < 488; ++row) {
    for (std::size_t x = 0; x < 714; ++x) {
      const std::size_t at = offset + row * stride + x * 3;
      const int b = bmp[at], g = bmp[at + 1], r = bmp[at + 2];
      if (r == 0 && g == 255 && b == 0) {
        ++key;
      } else {
        ++face;
        nearGreen += g - std::max(r, b) > 24 ? 1 : 0;
      }
    }
  }
  EXPECT_GT(key, 0u) << "no see-through part";
  EXPECT_GT(face, key) << "mostly see-through";
  EXPECT_EQ(nearGreen, 0u) << "pixels close to the colour key";
}

// ---- ZIP 269 ------------------------------------------------------------------------------

struct ZipMember {
  std::string name;
  int versionMadeBy = 0;
  int method = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t size = 0;
  std::uint32_t externalAttributes = 0;
  std::vector<std::uint8_t> data;  // inflated through the local header; empty on failure
};

// Reads the central directory and each member's data through its local header.
std::vector<ZipMember> ReadZip(Bytes zip) {
  std::vector<ZipMember> members;
  if (zip.size() < 22) {
    return members;
  }
  std::size_t end = zip.size() - 22;
  while (end > 0 && Le32(zip, end) != 0x06054B50) {
    --end;
  }
  if (Le32(zip, end) != 0x06054B50) {
    return members;
  }
  const std::uint16_t count = Le16(zip, end + 10);
  std::size_t at = Le32(zip, end + 16);
  for (std::uint16_t i = 0; i < count; ++i) {
    if (at + 46 > zip.size() || Le32(zip, at) != 0x02014B50) {
      return {};
    }
    ZipMember m;
    m.versionMadeBy = Le16(zip, at + 4);
    m.method = Le16(zip, at + 10);
    m.crc = Le32(zip, at + 16);
    m.compressedSize = Le32(zip, at + 20);
    m.size = Le32(zip, at + 24);
    const std::size_t nameLength = Le16(zip, at + 28);
    const std::size_t extraLength = Le16(zip, at + 30);
    const std::size_t commentLength = Le16(zip, at + 32);
    m.externalAttributes = Le32(zip, at + 38);
    const std::size_t local = Le32(zip, at + 42);
    if (at + 46 + nameLength > zip.size()) {
      return {};
    }
    m.name.assign(zip.begin() + at + 46, zip.begin() + at + 46 + nameLength);
    if (local + 30 <= zip.size() && Le32(zip, local) == 0x04034B50) {
      const std::size_t start = local + 30 + Le16(zip, local + 26) + Le16(zip, local + 28);
      if (start + m.compressedSize <= zip.size() && m.method == 8) {
        m.data = Inflate(zip.subspan(start, m.compressedSize), -15);
      }
    }
    members.push_back(std::move(m));
    at += 46 + nameLength + extraLength + commentLength;
  }
  return members;
}

std::string ShippedSettingsText() {
  const char* lines[] = {"[Info]",
                         "code=",
                         "pwd=",
                         "rem=1",
                         "[Setting]",
                         "soundoff=0",
                         "autostart=0",
                         "autologin=0",
                         "screenshots=Ctrl+Shift+A",
                         "screentoggle=F10",
                         "fullscreen=F11",
                         "[Start]",
                         "firststart=1"};
  std::string text;
  for (const char* line : lines) {
    text += std::string(line) + "\r\n";
  }
  return text;
}

std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(KORVANE_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DefaultsArchive, HoldsExactlyTheSettingsFileAndTheUninstallIcon) {
  const std::vector<ZipMember> members = ReadZip(kv::res::Find(Type::kZIP, 269));
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].name, "systemset.ini");
  EXPECT_EQ(members[1].name, "uninstall.ico");
  for (const ZipMember& m : members) {
    SCOPED_TRACE(m.name);
    EXPECT_EQ(m.method, 8) << "deflated";
    EXPECT_EQ(m.versionMadeBy >> 8, 0) << "attributes recorded as Windows bits";
    EXPECT_EQ(m.externalAttributes & 0xFF, 0x20u) << "archive attribute only";
    ASSERT_EQ(m.data.size(), m.size) << "member does not inflate to its recorded size";
    EXPECT_EQ(crc32(0, m.data.data(), static_cast<uInt>(m.data.size())), m.crc);
  }
  EXPECT_EQ(members[0].size, 160u);
  EXPECT_EQ(members[1].size, 1150u);
}

TEST(DefaultsArchive, ShippedSettingsAre13AsciiLinesEndingInCrLf) {
  const std::vector<ZipMember> members = ReadZip(kv::res::Find(Type::kZIP, 269));
  ASSERT_FALSE(members.empty());
  const std::string text(members[0].data.begin(), members[0].data.end());
  EXPECT_EQ(text.size(), 160u);
  EXPECT_EQ(text, ShippedSettingsText());
  std::size_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80u) << "non-ASCII byte at " << i;
    if (text[i] == '\n') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(text[i - 1], '\r') << "bare LF at " << i;
      ++lines;
    }
  }
  EXPECT_EQ(lines, 13u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  // The committed copy beside the archive is the same file.
  EXPECT_EQ(ReadSourceFile("res/defaults/systemset.ini"), text);
}

TEST(DefaultsArchive, UninstallIconIsOne16x16TrueColourIcon) {
  const std::vector<ZipMember> members = ReadZip(kv::res::Find(Type::kZIP, 269));
  ASSERT_EQ(members.size(), 2u);
  const std::vector<std::uint8_t>& ico = members[1].data;
  ASSERT_EQ(ico.size(), 1150u);
  const Bytes b(ico);
  EXPECT_EQ(Le16(b, 0), 0);  // reserved
  EXPECT_EQ(Le16(b, 2), 1);  // icon
  EXPECT_EQ(Le16(b, 4), 1);  // one image
  EXPECT_EQ(b[6], 16);
  EXPECT_EQ(b[7], 16);
  EXPECT_EQ(Le16(b, 12), 32) << "bits per pixel in the directory entry";
  EXPECT_EQ(Le32(b, 14), 1150u - 22u) << "image size";
  EXPECT_EQ(Le32(b, 18), 22u) << "image offset";
  EXPECT_EQ(Le32(b, 22), 40u) << "BITMAPINFOHEADER";
  EXPECT_EQ(Le32Signed(b, 26), 16);
  EXPECT_EQ(Le32Signed(b, 30), 32) << "height counts colour and mask rows";
  EXPECT_EQ(Le16(b, 36), 32);
  const std::string archived(ico.begin(), ico.end());
  EXPECT_TRUE(ReadSourceFile("res/defaults/uninstall.ico") == archived)
      << "the committed copy differs from the archived one";
}

}  // namespace
