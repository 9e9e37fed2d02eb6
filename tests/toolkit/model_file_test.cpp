// The model file reader: the format's layout, face order, material table and trace file,
// and files that are short, hostile or otherwise malformed.
#include "toolkit/model_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/toolkit/toolkit_test_util.h"

using namespace toolkit_test;

namespace {

const std::vector<Vertex> kTriangle = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}};
const std::vector<Vertex> kQuad = {
    {0, 0, 0, 0, 0}, {2, 0, 0, 1, 0}, {2, 2, 0, 1, 1}, {0, 2, 0, 0, 1}};

class ModelFileTest : public ::testing::Test {
 protected:
  ModelScene Load(const Bytes& bytes) {
    WriteFile("model.bin", bytes.data);
    ModelScene scene{};
    LoadModelFile(&scene, "model.bin");
    loaded_.push_back(scene);
    return scene;
  }
  void TearDown() override {
    for (ModelScene& scene : loaded_) FreeModelScene(&scene);
  }
  static void ExpectCorner(const ModelCorner& c, const Vertex& v) {
    EXPECT_FLOAT_EQ(c.x, v.x);
    EXPECT_FLOAT_EQ(c.y, v.y);
    EXPECT_FLOAT_EQ(c.z, v.z);
    EXPECT_FLOAT_EQ(c.u, v.u);
    EXPECT_FLOAT_EQ(c.v, v.v);
  }
  // The loaded scene is whole: every slot readable, every face entry present.
  static void ExpectDrawable(const ModelScene& scene) {
    ASSERT_NE(scene.objects, nullptr);
    for (uint32_t k = 0; k <= scene.lastObject; ++k) {
      const ModelObject& o = scene.objects[k];
      if (o.faceCount > 0) {
        ASSERT_NE(o.faces, nullptr);
      }
      for (uint32_t s = 1; s <= o.faceCount; ++s) {
        EXPECT_GE(o.faces[s].material, 0);
        EXPECT_LT(o.faces[s].material, kModelMaxMaterials);
      }
    }
    EXPECT_LT(scene.lastLight, static_cast<uint32_t>(kModelMaxLights));
  }

  ScratchDir dir_;
  std::vector<ModelScene> loaded_;
};

TEST_F(ModelFileTest, SmallestFileIs120BytesAndLoadsItsTriangle) {
  Bytes file;
  file.U32(0)
      .Append(ObjectChunk(0, kTriangle, 1, 2, 3, {{2, 0, 1}}))
      .Append(EndAndTrailer(4, 5, 6));
  ASSERT_EQ(file.data.size(), 120u);
  const ModelScene scene = Load(file);
  EXPECT_EQ(scene.lastObject, 0u);
  const ModelObject& object = scene.objects[0];
  EXPECT_EQ(object.id, 0);
  ASSERT_EQ(object.faceCount, 1u);
  // The corners follow the face's vertex numbers, not the vertex list.
  ExpectCorner(object.faces[1].corners[0], kTriangle[2]);
  ExpectCorner(object.faces[1].corners[1], kTriangle[0]);
  ExpectCorner(object.faces[1].corners[2], kTriangle[1]);
  EXPECT_FLOAT_EQ(object.position[0], 1);
  EXPECT_FLOAT_EQ(object.position[2], 3);
  EXPECT_FLOAT_EQ(scene.viewPosition[0], 4);
  EXPECT_FLOAT_EQ(scene.viewPosition[2], 6);
  EXPECT_FLOAT_EQ(scene.viewVector[2], -1);
  EXPECT_TRUE(std::filesystem::exists("test.txt"));
  EXPECT_EQ(ReadText("test.txt"), "");
}

TEST_F(ModelFileTest, FacesAreStoredLastFirstAndAssignmentsCountFromTheEnd) {
  Bytes file;
  file.U32(0).Append(MaterialChunk("wood")).Append(MaterialChunk("stone"));
  file.Append(ObjectChunk(0, kQuad, 0, 0, 0, {{0, 1, 2}, {0, 2, 3}, {1, 2, 3}}));
  file.Append(AssignChunk("wood", {0, 1, 2})).Append(AssignChunk("stone", {0}));
  const ModelScene scene = Load(file.Append(EndAndTrailer()));
  const ModelObject& o = scene.objects[0];
  ASSERT_EQ(o.faceCount, 3u);
  ExpectCorner(o.faces[3].corners[0], kQuad[0]);  // first face of the chunk
  ExpectCorner(o.faces[3].corners[2], kQuad[2]);
  ExpectCorner(o.faces[1].corners[0], kQuad[1]);  // last face of the chunk
  ExpectCorner(o.faces[1].corners[2], kQuad[3]);
  EXPECT_EQ(o.faces[1].material, 1);  // face number 0 is the last face
  EXPECT_EQ(o.faces[2].material, 0);
  EXPECT_EQ(o.faces[3].material, 0);
  EXPECT_EQ(materialCount, 0u);  // reset at the end of the load
  EXPECT_EQ(currentMaterial, 0);
}

TEST_F(ModelFileTest, MaterialTraceAndUnknownNames) {
  Bytes file;
  file.U32(0).Append(MaterialChunk("wood")).Append(MaterialChunk("stone"));
  file.Append(ObjectChunk(0, kQuad, 0, 0, 0, {{0, 1, 2}, {0, 2, 3}}));
  file.Append(AssignChunk("stone", {0}));
  ModelScene scene = Load(Bytes(file).Append(EndAndTrailer()));
  EXPECT_EQ(scene.objects[0].faces[1].material, 1);
  EXPECT_EQ(ReadText("test.txt"), "MATRead\nwood#\nMATRead\nstone#\n0 - 1\n");

  // An undefined name keeps the material that was current: 1 after stone, 0 at the start.
  file.Append(AssignChunk("marble", {1}));
  scene = Load(file.Append(EndAndTrailer()));
  EXPECT_EQ(scene.objects[0].faces[2].material, 1);
  Bytes startUnknown;
  startUnknown.U32(0).Append(MaterialChunk("wood")).Append(MaterialChunk("stone"));
  startUnknown.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}}));
  startUnknown.Append(AssignChunk("marble", {0}));
  scene = Load(startUnknown.Append(EndAndTrailer()));
  EXPECT_EQ(scene.objects[0].faces[1].material, 0);
  EXPECT_EQ(ReadText("test.txt"), "MATRead\nwood#\nMATRead\nstone#\n0 - 0\n");
}

TEST_F(ModelFileTest, SecondLoadNumbersMaterialsFromZeroAgain) {
  Bytes first;
  first.U32(0).Append(MaterialChunk("wood")).Append(MaterialChunk("stone"));
  first.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}})).Append(AssignChunk("stone", {0}));
  EXPECT_EQ(Load(first.Append(EndAndTrailer())).objects[0].faces[1].material, 1);
  Bytes second;
  second.U32(0).Append(MaterialChunk("stone")).Append(MaterialChunk("wood"));
  second.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}})).Append(AssignChunk("wood", {0}));
  EXPECT_EQ(Load(second.Append(EndAndTrailer())).objects[0].faces[1].material, 1);
  Bytes third;
  third.U32(0).Append(MaterialChunk("stone"));
  third.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}})).Append(AssignChunk("stone", {0}));
  EXPECT_EQ(Load(third.Append(EndAndTrailer())).objects[0].faces[1].material, 0);
}

TEST_F(ModelFileTest, LightsAndUnknownTags) {
  Bytes file;
  file.U32(1).Append(LightChunk(1, 2, 3, 0.5f, 0.25f, 1));
  file.U16(0x7777);  // an unknown tag is skipped by itself
  file.Append(LightChunk(4, 5, 6, 1, 0, 0)).Append(LightChunk(7, 8, 9, 0, 1, 0));
  file.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}})).U16(0x0000).U16(0xFFFF);
  file.Append(ObjectChunk(1, kQuad, 5, 0, 0, {{0, 1, 2}}));
  const ModelScene scene = Load(file.Append(EndAndTrailer(9, 9, 9)));
  EXPECT_EQ(scene.lightsOn, 1);
  EXPECT_EQ(scene.lastLight, 2u);
  EXPECT_FLOAT_EQ(scene.lights[0].y, 2);
  EXPECT_FLOAT_EQ(scene.lights[0].g, 0.25f);
  EXPECT_FLOAT_EQ(scene.lights[2].z, 9);
  EXPECT_FLOAT_EQ(scene.lights[2].g, 1);
  EXPECT_EQ(scene.objects[1].faceCount, 1u);
  EXPECT_FLOAT_EQ(scene.objects[1].position[0], 5);
  EXPECT_FLOAT_EQ(scene.viewPosition[1], 9);

  // Without lights the caller's lightsOn and lastLight stay.
  Bytes dark;
  dark.U32(0).Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}})).Append(EndAndTrailer());
  WriteFile("dark.bin", dark.data);
  ModelScene unlit{};
  unlit.lightsOn = 5;
  unlit.lastLight = 3;
  LoadModelFile(&unlit, "dark.bin");
  EXPECT_EQ(unlit.lightsOn, 5);
  EXPECT_EQ(unlit.lastLight, 3u);
  FreeModelScene(&unlit);
}

TEST_F(ModelFileTest, TablesAndBuffersDoNotOverflow) {
  Bytes file;
  file.U32(0);
  for (int i = 0; i < 101; ++i) file.Append(MaterialChunk("m" + std::to_string(i)));
  file.Append(MaterialChunk(std::string(25, 'x')));  // longer than the 19-character entry
  for (int i = 0; i < 9; ++i) file.Append(LightChunk(static_cast<float>(i), 0, 0, 1, 1, 1));
  file.Append(ObjectChunk(0, kQuad, 0, 0, 0, {{0, 1, 2}, {0, 2, 3}, {1, 2, 3}}));
  file.Append(AssignChunk("m99", {0}));   // the table's last entry
  file.Append(AssignChunk("m100", {1}));  // beyond the table: unknown, keeps 99
  file.Append(AssignChunk(std::string(30, 'y'), {2}));
  const ModelScene scene = Load(file.Append(EndAndTrailer()));
  ExpectDrawable(scene);
  EXPECT_EQ(scene.objects[0].faces[1].material, 99);
  EXPECT_EQ(scene.objects[0].faces[2].material, 99);
  EXPECT_EQ(scene.objects[0].faces[3].material, 99);
  EXPECT_EQ(scene.lastLight, 7u);
  EXPECT_FLOAT_EQ(scene.lights[7].x, 7);  // the ninth light is dropped
}

TEST_F(ModelFileTest, OverlongAssignmentNameMatchesNothing) {
  // Cut to 11 characters, "granitewall2" would name the material "granitewall".
  Bytes file;
  file.U32(0).Append(MaterialChunk("plain")).Append(MaterialChunk("granitewall"));
  file.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}}));
  file.Append(AssignChunk("granitewall2", {0}));
  EXPECT_EQ(Load(file.Append(EndAndTrailer())).objects[0].faces[1].material, 0);
  Bytes exact;
  exact.U32(0).Append(MaterialChunk("plain")).Append(MaterialChunk("granitewall"));
  exact.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}}));
  exact.Append(AssignChunk("granitewall", {0}));
  EXPECT_EQ(Load(exact.Append(EndAndTrailer())).objects[0].faces[1].material, 1);
}

TEST_F(ModelFileTest, NumbersOutOfRangeAreSkipped) {
  Bytes file;
  file.U32(1);
  file.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 9}}));  // vertex 9 does not exist
  file.Append(ObjectChunk(7, kQuad, 3, 3, 3, {{0, 1, 2}}));      // slot 7 does not exist
  file.Append(AssignChunk("x", {0}));                            // applies to the missing slot
  file.Append(ObjectChunk(-1, kQuad, 3, 3, 3, {{0, 1, 2}}));
  file.Append(ObjectChunk(1, kQuad, 0, 0, 0, {{1, 2, 3}}));
  file.Append(MaterialChunk("a")).Append(AssignChunk("a", {5, 0}));  // face 5 does not exist
  file.Append(LightChunk(1, 1, 1, 1, 1, 1));  // read: the stream stayed in step
  const ModelScene scene = Load(file.Append(EndAndTrailer()));
  ExpectDrawable(scene);
  EXPECT_EQ(scene.lastObject, 1u);
  ExpectCorner(scene.objects[0].faces[1].corners[0], kTriangle[0]);
  ExpectCorner(scene.objects[0].faces[1].corners[2], {0, 0, 0, 0, 0});
  EXPECT_FLOAT_EQ(scene.objects[0].position[0], 0);
  ExpectCorner(scene.objects[1].faces[1].corners[0], kQuad[1]);
  EXPECT_EQ(scene.objects[1].faces[1].material, 0);
  EXPECT_EQ(scene.lightsOn, 1);
}

TEST_F(ModelFileTest, MissingFileLeavesAnEmptyDrawableSceneAndNoTrace) {
  ModelScene scene{};
  LoadModelFile(&scene, "no such file.bin");
  ExpectDrawable(scene);
  EXPECT_EQ(scene.lastObject, 0u);
  EXPECT_EQ(scene.objects[0].faceCount, 0u);
  EXPECT_FALSE(std::filesystem::exists("test.txt"));
  FreeModelScene(&scene);
  FreeModelScene(&scene);  // a released scene can be released again
  EXPECT_EQ(scene.objects, nullptr);
}

TEST_F(ModelFileTest, HugeCountsAllocateOnlyWhatTheFileCanHold) {
  Bytes hugeHeader;
  hugeHeader.U32(0xFFFFFFFFu).Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}}));
  ModelScene scene = Load(hugeHeader.Append(EndAndTrailer()));
  ExpectDrawable(scene);
  EXPECT_LE(scene.lastObject, 200u / 24u);
  EXPECT_EQ(scene.objects[0].faceCount, 1u);

  Bytes hugeVertices;
  hugeVertices.U32(0).U16(0x1010).I32(0).U32(0x40000000u).F32(1).F32(2);
  scene = Load(hugeVertices);
  ExpectDrawable(scene);
  EXPECT_EQ(scene.objects[0].faceCount, 0u);

  Bytes hugeFaces;
  hugeFaces.U32(0).U16(0x1010).I32(0).U32(0);
  hugeFaces.F32(0).F32(0).F32(0).U16(0xFFFF).U16(0).U16(0).U16(0);
  scene = Load(hugeFaces);
  ExpectDrawable(scene);
  EXPECT_EQ(scene.objects[0].faceCount, 0u);
}

TEST_F(ModelFileTest, EveryTruncationLoadsWithoutHarm) {
  Bytes file;
  file.U32(1).Append(MaterialChunk("wood")).Append(LightChunk(1, 2, 3, 1, 1, 1));
  file.Append(ObjectChunk(0, kTriangle, 0, 0, 0, {{0, 1, 2}}));
  file.Append(AssignChunk("wood", {0}));
  file.Append(ObjectChunk(1, kQuad, 1, 0, 0, {{0, 1, 2}, {0, 2, 3}}));
  file.Append(EndAndTrailer(5, 5, 5));
  for (size_t length = 0; length <= file.data.size(); ++length) {
    SCOPED_TRACE(length);
    Bytes cut;
    cut.data.assign(file.data.begin(), file.data.begin() + length);
    ModelScene scene{};
    scene.viewPosition[0] = -1;
    WriteFile("cut.bin", cut.data);
    LoadModelFile(&scene, "cut.bin");
    ExpectDrawable(scene);
    // The trailer's view position is stored only when the whole file is there.
    EXPECT_FLOAT_EQ(scene.viewPosition[0], length >= file.data.size() - 12 ? 5 : -1);
    EXPECT_EQ(modelFile, nullptr);
    EXPECT_EQ(modelLogFile, nullptr);
    FreeModelScene(&scene);
  }
  // A name without its "#" runs to the end of the file.
  Bytes noHash;
  noHash.U32(0).U16(0xF1D2).Text("endless");
  ExpectDrawable(Load(noHash));
  EXPECT_EQ(ReadText("test.txt"), "MATRead\nendless\n");
}

TEST(CompareNamesTest, ComparesAsUnsignedBytes) {
  EXPECT_EQ(CompareNames("stone", "stone"), 0);
  EXPECT_NE(CompareNames("stone", "ston"), 0);
  EXPECT_NE(CompareNames("Stone", "stone"), 0);
  EXPECT_GT(CompareNames("\xE9", "a"), 0);  // 233 > 97, not a negative char
  EXPECT_EQ(CompareNames("", ""), 0);
}

}  // namespace
