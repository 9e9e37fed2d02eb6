// lumivex-view run as the user runs it: its --shot pictures of generated models, looked at
// pixel by pixel (the model in the middle with each material's texture, shaded so its shape
// shows, framing whatever the size, the status line's glyphs from the font picture), and
// its messages on bad files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/capture/png_decode.h"
#include "tests/resources/test_pictures.h"
#include "tests/toolkit/exporter_obj.h"
#include "tests/toolkit/sphere_obj.h"
#include "tests/toolkit/toolkit_test_util.h"
#include "tests/viewer/model_samples.h"
#include "tools/viewer/viewer_png.h"

using namespace toolkit_test;
using sphere_obj::MakeSphere;

namespace {

constexpr int kWidth = 640;  // the font's virtual screen, so a glyph texel is a pixel
constexpr int kHeight = 480;

struct ViewRun {
  int code = -1;
  std::string out, err;
};

ViewRun View(const std::string& arguments) {
  const std::string command = std::string(LUMIVEX_VIEW) + " " + arguments + " >view.out 2>view.err";
  ViewRun run;
  const int status = std::system(command.c_str());
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadText("view.out");
  run.err = ReadText("view.err");
  return run;
}

struct Rgb {
  int r, g, b;
  int Grey() const { return (r + g + b) / 3; }
};

struct Picture {
  DecodedPng png;
  Rgb At(int x, int y) const {  // y = 0 is the top row
    const uint8_t* p = &png.rgb[(static_cast<size_t>(y) * png.width + x) * 3];
    return {p[0], p[1], p[2]};
  }
  bool Background(int x, int y) const {
    const Rgb c = At(x, y);  // the clear colour (0.12, 0.13, 0.16)
    return std::abs(c.r - 31) < 12 && std::abs(c.g - 33) < 12 && std::abs(c.b - 41) < 12;
  }
};

Picture Shot(const std::string& model, const std::string& size = "640x480") {
  Picture picture;
  const ViewRun run = View(model + " --shot shot.png --size " + size);
  EXPECT_EQ(run.code, 0) << run.err;
  std::string error;
  EXPECT_TRUE(ReadPngFile("shot.png", &picture.png, &error)) << error;
  return picture;
}

// The box of pixels that are not background, below the status band (rows from 20).
struct Box {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};
Box ModelBox(const Picture& p) {
  Box box;
  for (int y = 20; y < p.png.height; ++y) {
    for (int x = 0; x < p.png.width; ++x) {
      if (p.Background(x, y)) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

// The generated sphere of 180,000 triangles: "top" textured by a red BMP, "bottom" by a
// blue JPEG, both named by the MTL file beside it.
void WriteSphere(float radius, float cx, float cy, float cz) {
  const sphere_obj::Sphere sphere = MakeSphere(300, 300, radius, "sphere.mtl", cx, cy, cz);
  WriteFile("sphere.obj", Bytes().Text(sphere.obj).data);
  WriteFile(
      "sphere.mtl",
      Bytes().Text("newmtl top\nmap_Kd top.bmp\nnewmtl bottom\nmap_Kd pics/bottom.jpg\n").data);
  // An 8 x 8 24-bit BMP: 54 bytes of headers, then rows of blue, green, red.
  std::vector<uint8_t> bmp(54 + 8 * 8 * 3, 0);
  const uint8_t header[] = {'B', 'M', 54 + 192, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                            0,   0,   0,        8, 0, 0, 0, 8, 0, 0, 0,  1, 0, 24, 0};
  std::copy(std::begin(header), std::end(header), bmp.begin());
  for (size_t i = 54; i < bmp.size(); i += 3) bmp[i + 2] = 220, bmp[i] = bmp[i + 1] = 30;
  WriteFile("top.bmp", bmp);
  std::filesystem::create_directory("pics");
  ASSERT_TRUE(testpics::WriteJPEG("pics/bottom.jpg", 8, 8, 3, [](int, int) {
    return testpics::Rgb{30, 30, 220};
  }));
}

// The glyph picture's grey value at (x, y), y = 0 the top row (the BMP stores rows bottom
// first, 3 bytes a pixel, 54 bytes of headers).
struct Font {
  std::vector<uint8_t> bmp = testpics::ReadBytes(VIEWER_FONT);
  int At(int x, int y) const { return bmp[54 + (static_cast<size_t>(255 - y) * 256 + x) * 3]; }
};

TEST(ViewerShotTest, TheSphereFillsTheMiddleWithBothTexturesAndTheStatusLineIsTheFonts) {
  ScratchDir dir;
  WriteSphere(1.0f, 0, 0, 0);
  const Picture p = Shot("sphere.obj");
  ASSERT_EQ(p.png.width, kWidth);
  ASSERT_EQ(p.png.height, kHeight);

  // In the middle, and filling most of the height.
  const Box box = ModelBox(p);
  EXPECT_NEAR((box.left + box.right) / 2.0, kWidth / 2.0, 2.0);
  EXPECT_NEAR((box.top + box.bottom) / 2.0, kHeight / 2.0, 2.0);
  EXPECT_GT(box.bottom - box.top, kHeight * 3 / 4);
  EXPECT_TRUE(p.Background(20, 240) && p.Background(620, 240) && p.Background(320, 470));
  // Upper half red from the BMP, lower half blue from the JPEG (the view looks down 20
  // degrees, so the equator runs below the middle), each darker where it turns from the
  // light above.
  for (int y : {100, 180}) {
    const Rgb c = p.At(320, y);
    EXPECT_TRUE(c.r > 100 && c.r > 3 * c.g && c.r > 3 * c.b)
        << y << ": " << c.r << " " << c.g << " " << c.b;
  }
  for (int y : {340, 400}) {
    const Rgb c = p.At(320, y);
    EXPECT_TRUE(c.b > 30 && c.b > 3 * c.r && c.b > 3 * c.g)
        << y << ": " << c.r << " " << c.g << " " << c.b;
  }

  // Line 0 of the status line, glyph by glyph from the font picture: glyph i covers x from
  // 10 i to 10 i + 16 and neighbours add where they overlap. The rate at the end varies,
  // so the comparison stops before it.
  const std::string fixed = "sphere.obj  1 object  180000 triangles  2 materials  ";
  const Font font;
  ASSERT_EQ(font.bmp.size(), 54u + 256u * 256u * 3u);
  int lit = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 10 * static_cast<int>(fixed.size()); ++x) {
      int want = 0;
      for (int i = std::max(0, (x - 15) / 10); i <= x / 10; ++i) {
        if (x - 10 * i >= 16) continue;
        const int glyph = static_cast<unsigned char>(fixed[i]) - 32;
        want += font.At((glyph % 16) * 16 + x - 10 * i, (glyph / 16) * 16 + y);
      }
      want = std::min(want, 255);
      const Rgb got = p.At(x, y);
      ASSERT_NEAR(got.r, want, 3) << "x " << x << " y " << y;
      ASSERT_NEAR(got.b, want, 3) << "x " << x << " y " << y;
      lit += want > 128;
    }
  }
  EXPECT_GT(lit, 500);  // the line has letters, not just a black band
  // And the rate follows.
  int rateLit = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 10 * static_cast<int>(fixed.size()); x < 10 * static_cast<int>(fixed.size()) + 60;
         ++x) {
      rateLit += p.At(x, y).r > 128;
    }
  }
  EXPECT_GT(rateLit, 20);
}

TEST(ViewerShotTest, ATinyModelFarOffAndAHugeOneAreFramedAlike) {
  ScratchDir dir;
  std::vector<Box> boxes;
  for (float scale : {0.001f, 5000.0f}) {
    const sphere_obj::Sphere small =
        MakeSphere(12, 24, scale, "none.mtl", 7 * scale, -3 * scale, 1e4f * scale);
    std::string obj = small.obj;
    obj.replace(obj.find("mtllib none.mtl\n"), 16, "");  // no materials: drawn white
    WriteFile("ball.obj", Bytes().Text(obj).data);
    const Picture p = Shot("ball.obj", "320x240");
    boxes.push_back(ModelBox(p));
    const Rgb middle = p.At(160, 120);
    EXPECT_TRUE(middle.r > 150 && middle.g > 150 && middle.b > 150) << scale;
  }
  // The toolkit's own drawing (CompileModelScene) frames it the same.
  boxes.push_back(ModelBox(Shot("ball.obj --toolkit-draw", "320x240")));
  EXPECT_NEAR(boxes[2].left, boxes[1].left, 1);
  EXPECT_NEAR(boxes[2].top, boxes[1].top, 1);
  EXPECT_NEAR(boxes[2].bottom, boxes[1].bottom, 1);
  EXPECT_NEAR(boxes[0].left, boxes[1].left, 1);
  EXPECT_NEAR(boxes[0].right, boxes[1].right, 1);
  EXPECT_NEAR(boxes[0].top, boxes[1].top, 1);
  EXPECT_NEAR(boxes[0].bottom, boxes[1].bottom, 1);
  EXPECT_NEAR((boxes[0].left + boxes[0].right) / 2.0, 160.0, 2.0);
  EXPECT_GT(boxes[0].bottom - boxes[0].top, 150);
}

TEST(ViewerShotTest, BadFilesAreNamedWithTheirLineAndNoPictureIsWritten) {
  ScratchDir dir;
  WriteFile("hole.obj", Bytes().Text("v 0 0 0\nv 1 0 0\n\nf 1 2 3\n").data);
  WriteFile("zero.obj", Bytes().Text("mtllib gone.mtl\nv 0 0 0\nv 1 0 0\nf 0 1 2\n").data);
  WriteFile("empty.model", {});
  WriteFile("notex.obj", Bytes()
                             .Text("mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"
                                   "usemtl a\nf 1//1 2//1 3//1\n")
                             .data);
  WriteFile("m.mtl", Bytes().Text("newmtl a\nmap_Kd gone.bmp\n").data);
  const struct {
    const char* args;
    int code;
    const char* message;
  } cases[] = {
      {"hole.obj", 1,
       "lumivex-view: hole.obj: line 4: face names vertex 3, which does not exist (2 vertices so "
       "far)\n"},
      {"zero.obj", 1,
       "lumivex-view: zero.obj: line 4: face names vertex 0 in 0: OBJ numbers "
       "from 1\n"},
      {"missing.obj", 1, "lumivex-view: missing.obj: no such file\n"},
      {"empty.model", 1, "lumivex-view: empty.model: the model has no triangles\n"},
      {"hole.obj --size 10x10", 2, "lumivex-view: bad size 10x10 (WxH, each side 16 to 8192)\n"},
  };
  for (const auto& c : cases) {
    const ViewRun run = View(std::string(c.args) + " --shot shot.png");
    EXPECT_EQ(run.code, c.code) << c.args;
    EXPECT_EQ(run.err.substr(0, std::string(c.message).size()), c.message) << c.args;
    EXPECT_FALSE(std::filesystem::exists("shot.png")) << c.args;
  }
  // A texture that cannot be read is said, and the material drawn plain.
  const ViewRun run = View("notex.obj --shot shot.png --size 64x64");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "lumivex-view: gone.bmp: cannot be read (no such file): drawn plain\n");
}

// The grey levels of the model's pixels (below the status band), counted.
std::vector<int> GreyLevels(const Picture& p) {
  std::vector<int> count(256, 0);
  for (int y = 20; y < p.png.height; ++y) {
    for (int x = 0; x < p.png.width; ++x) {
      if (!p.Background(x, y)) ++count[p.At(x, y).Grey()];
    }
  }
  return count;
}

// Shapes as exporters write them, without normals: the viewer makes them from the faces, so
// a sphere shades smoothly from its lit side to its far side and a cube keeps flat faces.
TEST(ViewerShotTest, ASphereShadesSmoothlyAndACubeShowsThreeFlatFaces) {
  ScratchDir dir;
  WriteFile("sphere.obj", Bytes().Text(exporter_obj::MayaSphere(24, 48, false)).data);
  const Picture sphere = Shot("sphere.obj");
  // The light comes mostly from the eye, with a key light from the upper right of the view:
  // that side is brighter, the lower left lit by the eye's light alone.
  const int lit = sphere.At(400, 150).Grey(), far = sphere.At(240, 330).Grey();
  EXPECT_GT(lit, 150);
  EXPECT_GT(lit - far, 20) << lit << " " << far;
  // From the far side to the lit side the shade rises (or holds where it is brightest) step
  // by small step: no facets.
  int steps = 0;
  for (int i = 0; i < 40; ++i) {
    const int a = sphere.At(240 + 4 * i, 330 - 4.5 * i).Grey();
    const int b = sphere.At(244 + 4 * i, 330 - 4.5 * (i + 1)).Grey();
    EXPECT_LE(std::abs(b - a), 12) << i;
    steps += b >= a;
  }
  EXPECT_GT(steps, 30);

  WriteFile("cube.obj", Bytes().Text(exporter_obj::BlenderCube("cube.mtl", false)).data);
  const Picture cube = Shot("cube.obj");
  // Three faces show, each in one shade: three grey levels hold nearly all its pixels.
  std::vector<int> levels = GreyLevels(cube);
  int total = 0;
  for (int n : levels) total += n;
  std::vector<int> peaks;
  int inPeaks = 0;
  for (int round = 0; round < 3; ++round) {
    const int peak =
        static_cast<int>(std::max_element(levels.begin(), levels.end()) - levels.begin());
    peaks.push_back(peak);
    for (int g = std::max(peak - 2, 0); g <= std::min(peak + 2, 255); ++g) {
      inPeaks += levels[g];
      levels[g] = 0;
    }
  }
  EXPECT_GT(inPeaks, total * 95 / 100);
  std::sort(peaks.begin(), peaks.end());
  EXPECT_GT(peaks[1] - peaks[0], 10);
  EXPECT_GT(peaks[2] - peaks[1], 10);
}

// Pictures are told by their bytes: a PNG named wood.jpg is read, whatever its size; a file
// that is no picture is named once and its material drawn plain.
TEST(ViewerShotTest, TexturesAreReadByTheirContentAndAnUnreadableOneIsDrawnPlain) {
  ScratchDir dir;
  const sphere_obj::Sphere sphere = MakeSphere(30, 60, 1.0f, "sphere.mtl");
  WriteFile("sphere.obj", Bytes().Text(sphere.obj).data);
  WriteFile("sphere.mtl",
            Bytes().Text("newmtl top\nmap_Kd wood.jpg\nnewmtl bottom\nmap_Kd bad.png\n").data);
  // 15 x 9: neither side a power of two, and rows of an odd number of bytes.
  std::vector<uint8_t> pixels(3 * 15 * 9, 0);
  for (size_t i = 1; i < pixels.size(); i += 3) pixels[i] = 220;
  std::string error;
  ASSERT_TRUE(WriteViewPng("wood.jpg", pixels.data(), 15, 9, &error)) << error;
  WriteFile("bad.png", Bytes().Text("newmtl not a picture\n").data);
  const ViewRun run = View("sphere.obj --shot shot.png --size 640x480");
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err,
            "lumivex-view: bad.png: cannot be read (not a picture of a known kind): drawn plain\n");
  Picture p;
  ASSERT_TRUE(ReadPngFile("shot.png", &p.png, &error)) << error;
  const Rgb top = p.At(320, 120), bottom = p.At(320, 380);
  EXPECT_TRUE(top.g > 100 && top.g > 3 * top.r && top.g > 3 * top.b)
      << top.r << " " << top.g << " " << top.b;
  EXPECT_TRUE(std::abs(bottom.r - bottom.g) < 8 && std::abs(bottom.g - bottom.b) < 8 &&
              bottom.g > 20)
      << bottom.r << " " << bottom.g << " " << bottom.b;
}

// The committed glyph picture is what our content tool makes.
TEST(ViewerShotTest, TheFontPictureIsMakeFontsOutput) {
  ScratchDir dir;
  ASSERT_EQ(std::system((std::string(MAKE_FONT) + " font.bmp").c_str()), 0);
  EXPECT_TRUE(testpics::ReadBytes("font.bmp") == testpics::ReadBytes(VIEWER_FONT));
}

}  // namespace

// A textured square in glTF, its picture in the GLB's chunk, a data URI or a file beside
// the .gltf, drawn with it; and the square of an OBJ whose MTL gives only map_Kd, shown at
// its picture's brightness under the default light whichever way its normal points (a face
// turned to the eye is lit as the headlight lights it).
TEST(ViewerShotTest, GltfSquaresShowTheirPicturesAndAFaceTurnedToTheEyeIsFullyLit) {
  ScratchDir dir;
  using namespace model_samples;
  const std::string picture = Bmp(224, 40, 40);
  const std::string json = SquareJson("{\"byteLength\":386}", "{\"bufferView\":4}");
  WriteFile("square.glb", Bytes().Text(Glb(json, SquareBin() + picture)).data);
  WriteFile("square.bin", Bytes().Text(SquareBin() + picture).data);
  WriteFile("red.bmp", Bytes().Text(picture).data);
  WriteFile("external.gltf", Bytes()
                                 .Text(SquareJson(R"({"byteLength":386,"uri":"square.bin"})",
                                                  R"({"uri":"red.bmp"})"))
                                 .data);
  WriteFile(
      "datauri.gltf",
      Bytes()
          .Text(SquareJson("{\"byteLength\":386,\"uri\":\"data:application/octet-stream;base64," +
                               Base64(SquareBin() + picture) + "\"}",
                           "{\"uri\":\"data:image/bmp;base64," + Base64(picture) + "\"}"))
          .data);
  for (const char* file : {"square.glb", "external.gltf", "datauri.gltf"}) {
    const Picture p = Shot(file);
    const Rgb c = p.At(kWidth / 2, kHeight / 2);
    EXPECT_GE(c.r, 224 * 96 / 100) << file;
    EXPECT_NEAR(c.g, 40, 8) << file;
    EXPECT_NEAR(c.b, 40, 8) << file;
  }
  WriteFile("red.mtl", Bytes().Text("newmtl red\nmap_Kd red.bmp\n").data);
  for (const char* normal : {"0 0 1", "0 0 -1"}) {
    WriteFile("square.obj",
              Bytes()
                  .Text(std::string("mtllib red.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n") +
                        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn " + normal +
                        "\nusemtl red\nf 1/1/1 2/2/1 3/3/1 4/4/1\n")
                  .data);
    const Rgb lit = Shot("square.obj").At(kWidth / 2, kHeight / 2);
    const Rgb head = Shot("square.obj --headlight").At(kWidth / 2, kHeight / 2);
    EXPECT_GE(lit.r, 224 * 96 / 100) << normal;
    EXPECT_GE(lit.r, head.r * 96 / 100) << normal << " headlight " << head.r;
  }
}
