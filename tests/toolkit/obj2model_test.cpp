// obj2model: OBJ text through the converter and back through the model loader.
#include "tools/obj2model/obj_to_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "tests/toolkit/toolkit_test_util.h"
#include "toolkit/model_file.h"

using namespace toolkit_test;

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

TEST(Obj2ModelTest, FacesWithoutMaterialGetDefaultAndBadInputIsRefused) {
  std::vector<uint8_t> bytes;
  std::string error;
  ObjConversionSummary summary;
  ASSERT_TRUE(ConvertObjToModel("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", &bytes, &error, &summary));
  EXPECT_EQ(summary.materials, std::vector<std::string>{"default"});
  EXPECT_EQ(summary.triangles, 1);

  const struct {
    const char* text;
    const char* message;
  } bad[] = {
      {"v 0 0 0\nf 1 2 3\n", "line 2: bad vertex index in 2"},
      {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/4 2 3\n", "line 4: bad texture index in 1/4"},
      {"v 0 0 x\n", "line 1: bad number x"},
      {"usemtl twelve_chars\n", "line 1: material name twelve_chars is longer than 11 characters"},
      {"v 0 0 0\nf 1 1\n", "line 2: a face needs three corners"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(ConvertObjToModel(b.text, &bytes, &error));
    EXPECT_EQ(error, b.message);
  }
}

}  // namespace
