// obj2model: OBJ text through the converter and back through the model loader.
#include "tools/obj2model/obj_to_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>

#include "tests/toolkit/exporter_obj.h"
#include "tests/toolkit/sphere_obj.h"
#include "tests/toolkit/toolkit_test_util.h"
#include "tests/viewer/model_samples.h"
#include "toolkit/model_file.h"

using namespace toolkit_test;
using sphere_obj::MakeSphere;

namespace {

// A unit cube in two groups: four sides in "brick" (quads), top and bottom in "slate"
// (the top as a quad, the bottom as two triangles), uv per corner where given.
const char kCube[] = R"(# a cube
mtllib cube.mtl
v 0 0 0
v 1 0 0
v 1 1 0
v 0 1 0
v 0 0 1
v 1 0 1
v 1 1 1
v 0 1 1
vt 0 0
vt 1 0
vt 1 1
vt 0 1
vn 0 0 1
o sides
usemtl brick
f 1/1 2/2 6/3 5/4
f 2/1 3/2 7/3 6/4
f 3/1/1 4/2/1 8/3/1 7/4/1
f -4/1 -8/2 -5/3 -1/4
g caps
usemtl slate
f 5/1 6/2 7/3 8/4
f 1//1 3//1 2//1
f 1 4 3
)";

TEST(Obj2ModelTest, CubeSurvivesTheRoundTrip) {
  ScratchDir dir;
  std::vector<uint8_t> bytes;
  std::string error;
  ObjConversionSummary summary;
  ASSERT_TRUE(ConvertObjToModel(kCube, &bytes, &error, &summary)) << error;
  EXPECT_EQ(summary.objects, 2);
  EXPECT_EQ(summary.triangles, 12);
  EXPECT_EQ(summary.materials, (std::vector<std::string>{"brick", "slate"}));
  WriteFile("cube.model", bytes);

  ModelScene scene{};
  LoadModelFile(&scene, "cube.model");
  ASSERT_EQ(scene.lastObject, 1u);
  ASSERT_EQ(scene.objects[0].faceCount, 8u);
  ASSERT_EQ(scene.objects[1].faceCount, 4u);
  EXPECT_EQ(ReadText("test.txt").substr(0, 28), "MATRead\nbrick#\nMATRead\nslate");

  // Every corner is a cube corner; every side face is brick (0), every cap slate (1).
  std::set<std::tuple<float, float, float>> corners;
  for (uint32_t k = 0; k <= 1; ++k) {
    const ModelObject& o = scene.objects[k];
    for (uint32_t s = 1; s <= o.faceCount; ++s) {
      EXPECT_EQ(o.faces[s].material, static_cast<int>(k)) << k << "/" << s;
      for (const ModelCorner& c : o.faces[s].corners) {
        EXPECT_TRUE(c.x == 0 || c.x == 1);
        EXPECT_TRUE(c.u == 0 || c.u == 1);
        corners.insert({c.x, c.y, c.z});
      }
    }
  }
  EXPECT_EQ(corners.size(), 8u);

  // The first quad of the file, 1/1 2/2 6/3 5/4, is the chunk's first face: entry 8 holds
  // its first fan triangle (1, 2, 6) with the uvs (0,0) (1,0) (1,1).
  const ModelFace& first = scene.objects[0].faces[8];
  EXPECT_EQ(std::make_tuple(first.corners[1].x, first.corners[1].y, first.corners[1].z),
            std::make_tuple(1.0f, 0.0f, 0.0f));
  EXPECT_EQ(std::make_tuple(first.corners[2].x, first.corners[2].z, first.corners[2].u,
                            first.corners[2].v),
            std::make_tuple(1.0f, 1.0f, 1.0f, 1.0f));
  // The fourth quad uses negative indices: -4 is vertex 5, (0, 0, 1).
  const ModelFace& fourth = scene.objects[0].faces[2];
  EXPECT_EQ(std::make_tuple(fourth.corners[0].x, fourth.corners[0].y, fourth.corners[0].z),
            std::make_tuple(0.0f, 0.0f, 1.0f));
  // A corner without a texture coordinate gets (0, 0).
  EXPECT_EQ(scene.objects[1].faces[1].corners[1].u, 0);
  FreeModelScene(&scene);
}

// A reader over named texts, standing in for the MTL files beside an OBJ.
ObjFileReader Files(const std::map<std::string, std::string>& files) {
  return [files](const std::string& name, std::string* text) {
    const auto found = files.find(name);
    if (found == files.end()) return false;
    *text = found->second;
    return true;
  };
}

int CountNotes(const ObjConversionSummary& summary, const std::string& part) {
  return static_cast<int>(std::count_if(
      summary.notes.begin(), summary.notes.end(),
      [&part](const std::string& note) { return note.find(part) != std::string::npos; }));
}

TEST(Obj2ModelTest, ALargeSphereBecomesObjectsTheFormatHoldsWithEveryTriangleInOrder) {
  const sphere_obj::Sphere sphere = MakeSphere(300, 300, 1.0f, "sphere.mtl");
  ASSERT_EQ(sphere.triangles.size(), 180000u);
  const std::string mtl =
      "newmtl top\nKd 1 1 1\nmap_Kd tex/top.bmp\n"
      "newmtl bottom\nmap_Kd -s 1 1 1 -clamp on bottom.jpg\nmap_Bump bump.png\nbump b2.png\n";
  std::vector<uint8_t> bytes;
  std::string error;
  ObjConversionSummary summary;
  ASSERT_TRUE(ConvertObjToModel(sphere.obj, &bytes, &error, &summary, Files({{"sphere.mtl", mtl}})))
      << error;
  EXPECT_EQ(summary.triangles, 180000);
  EXPECT_EQ(summary.materials, (std::vector<std::string>{"top", "bottom"}));
  EXPECT_EQ(summary.textures, (std::vector<std::string>{"tex/top.bmp", "bottom.jpg"}));
  // Said once each, however often the file has them.
  EXPECT_EQ(CountNotes(summary, "map_Bump"), 1);
  EXPECT_EQ(CountNotes(summary, "colours"), 1);
  EXPECT_EQ(summary.notes.size(), 2u);

  ScratchDir dir;
  WriteFile("sphere.model", bytes);
  ModelScene scene{};
  LoadModelFile(&scene, "sphere.model");
  ASSERT_TRUE(scene.objects);
  ASSERT_EQ(scene.lastObject + 1, static_cast<uint32_t>(summary.objects));
  EXPECT_EQ(summary.objects, 3);  // 65535 + 65535 + 48930 faces
  size_t next = 0;
  for (uint32_t k = 0; k <= scene.lastObject; ++k) {
    const ModelObject& o = scene.objects[k];
    EXPECT_LE(o.faceCount, 65535u);
    EXPECT_EQ(std::make_tuple(o.position[0], o.position[1], o.position[2]),
              std::make_tuple(0.0f, 0.0f, 0.0f));
    // Entry faceCount holds the chunk's first face.
    for (uint32_t s = o.faceCount; s >= 1 && next < sphere.triangles.size(); --s, ++next) {
      const ModelFace& face = o.faces[s];
      ASSERT_EQ(face.material, sphere.materials[next]) << "triangle " << next;
      for (int c = 0; c < 3; ++c) {
        const sphere_obj::Corner& want = sphere.triangles[next][c];
        const ModelCorner& got = face.corners[c];
        ASSERT_EQ(std::make_tuple(got.x, got.y, got.z, got.u, got.v),
                  std::make_tuple(want.x, want.y, want.z, want.u, want.v))
            << "triangle " << next << " corner " << c;
      }
    }
  }
  EXPECT_EQ(next, sphere.triangles.size());
  FreeModelScene(&scene);
}

TEST(Obj2ModelTest, AnObjectWithMoreCornersThanSixteenBitsCanNumberContinuesInANewObject) {
  // 30000 triangles with three corners of their own: 90000 vertices, which no single
  // object can number; the first object takes the 21845 triangles that fit in 65535.
  std::string obj;
  char line[96];
  for (int t = 0; t < 30000; ++t) {
    std::snprintf(line, sizeof line, "v %d 0 0\nv %d 1 0\nv %d 0 1\nf -3 -2 -1\n", t, t, t);
    obj += line;
  }
  obj += "g second\nf 1 2 3\n";
  std::vector<uint8_t> bytes;
  std::string error;
  ObjConversionSummary summary;
  ASSERT_TRUE(ConvertObjToModel(obj, &bytes, &error, &summary)) << error;
  EXPECT_EQ(summary.objects, 3);  // two for the first object, one for the group
  EXPECT_EQ(summary.triangles, 30001);

  ScratchDir dir;
  WriteFile("corners.model", bytes);
  ModelScene scene{};
  LoadModelFile(&scene, "corners.model");
  ASSERT_EQ(scene.lastObject, 2u);
  ASSERT_EQ(scene.objects[0].faceCount, 21845u);
  ASSERT_EQ(scene.objects[1].faceCount, 30000u - 21845u);
  ASSERT_EQ(scene.objects[2].faceCount, 1u);
  // Triangle t stands at x = t: the order runs on across the split.
  EXPECT_EQ(scene.objects[0].faces[21845].corners[0].x, 0.0f);
  EXPECT_EQ(scene.objects[0].faces[1].corners[2].x, 21844.0f);
  EXPECT_EQ(scene.objects[1].faces[30000 - 21845].corners[1].x, 21845.0f);
  EXPECT_EQ(scene.objects[1].faces[1].corners[0].x, 29999.0f);
  EXPECT_EQ(scene.objects[1].faces[1].corners[2].z, 1.0f);
  FreeModelScene(&scene);
}

TEST(Obj2ModelTest, LongMaterialNamesAreShortenedToUniqueNamesTheLoaderMatches) {
  const char obj[] =
      "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
      "usemtl Material.001\nf 1 2 3\nusemtl Material.002\nf 1 2 3\nusemtl Material.~1\nf 1 2 3\n";
  std::vector<uint8_t> bytes;
  std::string error;
  ObjConversionSummary summary;
  ASSERT_TRUE(ConvertObjToModel(obj, &bytes, &error, &summary)) << error;
  // "Material.~1" is a name of the file's own, so the first long name takes the next one.
  EXPECT_EQ(summary.materials,
            (std::vector<std::string>{"Material.~2", "Material.~3", "Material.~1"}));
  EXPECT_EQ(CountNotes(summary, "Material.001 -> Material.~2"), 1);

  ScratchDir dir;
  WriteFile("names.model", bytes);
  ModelScene scene{};
  LoadModelFile(&scene, "names.model");
  ASSERT_EQ(scene.objects[0].faceCount, 3u);
  EXPECT_EQ(scene.objects[0].faces[3].material, 0);
  EXPECT_EQ(scene.objects[0].faces[2].material, 1);
  EXPECT_EQ(scene.objects[0].faces[1].material, 2);
  FreeModelScene(&scene);
}

TEST(Obj2ModelTest, FacesWithoutMaterialGetDefaultAndBadInputIsRefusedWithItsLine) {
  std::vector<uint8_t> bytes;
  std::string error;
  ObjConversionSummary summary;
  ASSERT_TRUE(ConvertObjToModel("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", &bytes, &error, &summary));
  EXPECT_EQ(summary.materials, std::vector<std::string>{"default"});
  EXPECT_EQ(summary.textures, std::vector<std::string>{""});
  EXPECT_EQ(summary.triangles, 1);

  std::string many = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  for (int m = 0; m <= 100; ++m) many += "usemtl m" + std::to_string(m) + "\nf 1 2 3\n";
  const struct {
    std::string text;
    const char* message;
  } bad[] = {
      {"v 0 0 0\nf 1 2 3\n", "line 2: face names vertex 2, which does not exist (1 vertex so far)"},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\n\nf 1 -4 3\n",
       "line 5: face names vertex -4, which does not exist (3 vertices so far)"},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 0 3\n",
       "line 4: face names vertex 0 in 0: OBJ numbers from 1"},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/0 3/1\n",
       "line 5: face names texture coordinate 0 in 2/0: OBJ numbers from 1"},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 x\n", "line 4: bad vertex number in x"},
      {"v 0 0 x\n", "line 1: bad number x"},
      {"v 0 0 0\r\nf 1 1\r\n", "line 2: a face needs three corners"},
      {"v 0 0 \\\n 0\nf 1 1 \\\n 2\n",
       "line 4: face names vertex 2, which does not exist (1 vertex so far)"},
      {many, "line 204: more than 100 materials, the most a model file can name"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(ConvertObjToModel(b.text, &bytes, &error, nullptr, Files({})));
    EXPECT_EQ(error, b.message);
  }
}

// The command line: bad input leaves no output file; notes go to standard error once; the
// texture of each material number goes to standard output, from the current directory.
TEST(Obj2ModelTest, TheToolWritesNothingOnBadInputAndListsTexturesAndNotes) {
  ScratchDir dir;
  const std::string tool = OBJ2MODEL;
  std::filesystem::create_directory("models");
  WriteFile("models/bad.obj", Bytes().Text("v 0 0 0\nv 1 0 0\nf 1 2 3\n").data);
  WriteFile("models/nomtl.obj",
            Bytes().Text("mtllib gone.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n").data);
  WriteFile("models/good.obj",
            Bytes()
                .Text("mtllib mats/good.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 0 1\n"
                      "usemtl wood\nf 1//1 2//2 3//1\nusemtl plain\nf 3 2 1\n")
                .data);
  std::filesystem::create_directory("models/mats");
  WriteFile("models/mats/good.mtl",
            Bytes().Text("newmtl wood\nmap_Kd wood.bmp\nnewmtl plain\n").data);

  EXPECT_EQ(WEXITSTATUS(std::system((tool + " models/bad.obj out.model 2>err.txt").c_str())), 1);
  EXPECT_FALSE(std::filesystem::exists("out.model"));
  EXPECT_EQ(ReadText("err.txt"),
            "obj2model: models/bad.obj: line 3: face names vertex 3, which does not exist (2 "
            "vertices so far)\n");
  // A missing MTL file is said, and the model converted with plain materials.
  ASSERT_EQ(
      WEXITSTATUS(std::system((tool + " models/nomtl.obj out.model >out.txt 2>err.txt").c_str())),
      0);
  EXPECT_EQ(ReadText("err.txt"),
            "obj2model: models/nomtl.obj: note: cannot read MTL file gone.mtl: its materials are "
            "plain white\n");
  EXPECT_NE(ReadText("out.txt").find("  material 0: default  (no texture)\n"), std::string::npos);

  ASSERT_EQ(
      WEXITSTATUS(std::system((tool + " models/good.obj out.model >out.txt 2>err.txt").c_str())),
      0);
  EXPECT_EQ(ReadText("err.txt"),
            "obj2model: models/good.obj: note: normals are not kept: the model format has "
            "none\n");
  const std::string out = ReadText("out.txt");
  EXPECT_NE(out.find("out.model: 1 objects, 2 triangles, 2 materials"), std::string::npos) << out;
  EXPECT_NE(out.find("  material 0: wood  models/mats/wood.bmp\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  material 1: plain  (no texture)\n"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::exists("out.model"));
}

// A GLB, an STL and a PLY convert as an OBJ does; a binary file that is none of them, or
// a file of no triangles, is refused in one line with exit code 1 and no output file.
TEST(Obj2ModelTest, TheOtherFormatsConvertAndAFileOfNoKnownKindIsRefused) {
  ScratchDir dir;
  const std::string tool = OBJ2MODEL;
  using namespace model_samples;
  WriteFile("box.glb", Bytes()
                           .Text(Glb(SquareJson("{\"byteLength\":386}", "{\"bufferView\":4}"),
                                     SquareBin() + Bmp(1, 2, 3)))
                           .data);
  WriteFile("cube.stl", Bytes().Text(CubeStlBinary()).data);
  WriteFile("cube.ply", Bytes().Text(CubePly("binary_big_endian")).data);
  const struct {
    const char* file;
    const char* summary;
  } good[] = {{"box.glb", "out.model: 1 objects, 2 triangles, 1 materials"},
              {"cube.stl", "out.model: 1 objects, 12 triangles, 1 materials"},
              {"cube.ply", "out.model: 1 objects, 12 triangles, 1 materials"}};
  for (const auto& c : good) {
    EXPECT_EQ(
        WEXITSTATUS(std::system((tool + " " + c.file + " out.model >out.txt 2>err.txt").c_str())),
        0)
        << ReadText("err.txt");
    EXPECT_NE(ReadText("out.txt").find(c.summary), std::string::npos) << ReadText("out.txt");
    std::filesystem::remove("out.model");
  }
  // Binary bytes of no model kind: one printable line, nothing written.
  std::string junk = "\x89PNG\r\n\x1a\n";
  for (int i = 0; i < 300; ++i) junk += static_cast<char>(i * 37);
  WriteFile("junk.glb", Bytes().Text(junk).data);
  WriteFile("empty.obj", Bytes().Text("# nothing\nv 0 0 0\n").data);
  for (const char* file : {"junk.glb", "empty.obj"}) {
    EXPECT_EQ(WEXITSTATUS(std::system((tool + " " + file + " out.model 2>err.txt").c_str())), 1);
    EXPECT_FALSE(std::filesystem::exists("out.model")) << file;
    const std::string err = ReadText("err.txt");
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    for (char ch : err) EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7F)) << file;
  }
  EXPECT_EQ(ReadText("err.txt"), "obj2model: empty.obj: no triangles in the OBJ file\n");
}

// The reader takes files as exporters write them and as people have them: what a file names
// but does not ship is a note, and only a face naming a vertex that does not exist refuses
// it. Each case: the OBJ text, the files beside it, and what comes of them.
TEST(ObjReaderTest, FilesAsExportersWriteThemAreReadAndOnlyBrokenFacesRefused) {
  const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\n";
  const struct {
    const char* what;
    std::string obj;
    std::map<std::string, std::string> files;
    const char* error;                  // "" when the file is read
    size_t triangles;                   // after fanning
    std::vector<std::string> textures;  // per material
    std::vector<std::string> notes;     // parts of notes that must be there, each once
  } cases[] = {
      {"Blender cube, its MTL file not shipped",
       exporter_obj::BlenderCube("Cube.mtl"),
       {},
       "",
       12,
       {""},
       {"cannot read MTL file Cube.mtl: its materials are plain white"}},
      {"Maya sphere: g, vn, quads and a polygon at each pole",
       exporter_obj::MayaSphere(6, 8),
       {{"sphere.mtl", "newmtl lambert2SG\nKd 0.5 0.5 0.5\nmap_Kd Textures\\skin.png\n"}},
       "",
       4 * 8 * 2 + 2 * 6,
       {"Textures/skin.png"},
       {}},
      {"several MTL files of which only the last is there",
       "mtllib gone.mtl also gone.mtl here.mtl\n" + tri + "usemtl wood\nf 1 2 3\n",
       {{"here.mtl", "newmtl wood\nmap_Kd wood.tga\n"}},
       "",
       1,
       {"wood.tga"},
       {"cannot read MTL file gone.mtl", "cannot read MTL file also", "cannot read MTL file gone"}},
      {"an escaped space in the MTL name, options and spaces in map_Kd",
       "mtllib my\\ model.mtl\n" + tri + "usemtl a\nf 1/1 2/1 3/1\n",
       {{"my model.mtl",
         "newmtl a\nmap_Kd -s 1 1 1 -o 0.5 0.5 -bm 0.3 -clamp on -blendu off my texture.png\n"}},
       "",
       1,
       {"my texture.png"},
       {}},
      {"an MTL file in a folder written with backslashes, its picture beside it",
       "mtllib mats\\wood.mtl\n" + tri + "usemtl a\nf 1 2 3\n",
       {{"mats/wood.mtl", "newmtl a\nmap_Kd tex\\grain.jpg\n"}},
       "",
       1,
       {"mats/tex/grain.jpg"},
       {}},
      {"faces naming normals and texture coordinates the file does not have",
       "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1/1/1 2/2/2 3/3/3\nf 2/1/1 4/2/2 3/3/3\n",
       {},
       "",
       2,
       {""},
       {"normals the file does not have (first on line 5)",
        "texture coordinates the file does not have (first on line 5)"}},
      {"usemtl without a name, and an mtllib naming no file",
       "mtllib\n" + tri + "usemtl wood\nf 1 2 3\nusemtl \nf 3 2 1\n",
       {},
       "",
       2,
       {"", ""},
       {"mtllib names no file (first on line 1)"}},
      {"a material the MTL file does not define",
       "mtllib m.mtl\n" + tri + "usemtl other\nf 1 2 3\n",
       {{"m.mtl", "newmtl a\n"}},
       "",
       1,
       {""},
       {"material other is in no MTL file"}},
      {"a face naming a vertex that does not exist",
       "mtllib gone.mtl\n" + tri + "f 1 2 4\n",
       {},
       "line 6: face names vertex 4, which does not exist (3 vertices so far)",
       0,
       {},
       {}},
      {"vertex number 0",
       tri + "f 0 1 2\n",
       {},
       "line 5: face names vertex 0 in 0: OBJ numbers "
       "from 1",
       0,
       {},
       {}},
  };
  for (const auto& c : cases) {
    ObjMesh mesh;
    std::string error;
    const bool read = ReadObj(c.obj, &mesh, &error, Files(c.files));
    if (c.error[0] != '\0') {
      EXPECT_FALSE(read) << c.what;
      EXPECT_EQ(error, c.error) << c.what;
      continue;
    }
    ASSERT_TRUE(read) << c.what << ": " << error;
    EXPECT_EQ(mesh.Triangles(), c.triangles) << c.what;
    std::vector<std::string> textures;
    for (const ObjMaterial& m : mesh.materialList) textures.push_back(m.texture);
    EXPECT_EQ(textures, c.textures) << c.what;
    for (const std::string& note : c.notes) {
      int found = 0;
      for (const std::string& n : mesh.notes) found += n.find(note) != std::string::npos;
      EXPECT_EQ(found, 1) << c.what << ": " << note;
    }
    if (c.notes.empty()) {
      EXPECT_TRUE(mesh.notes.empty()) << c.what << ": " << mesh.notes[0];
    }
  }
}

}  // namespace
