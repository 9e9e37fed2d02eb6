// The model readers on files made here: each kind told by its bytes, the same cube from
// binary and ASCII STL and every PLY encoding, a glTF node hierarchy placed by its
// transforms, and every class of broken file refused in one line that says where.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/resources/test_pictures.h"
#include "tests/viewer/model_samples.h"
#include "tools/model_readers/gltf_reader.h"
#include "tools/model_readers/model_kind.h"
#include "tools/model_readers/model_reader.h"
#include "tools/viewer/viewer_mesh.h"
#include "tools/viewer/vertex_normals.h"

using namespace model_samples;

namespace {

void Write(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(testpics::WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end())));
}

ModelKind Kind(const std::string& bytes) {
  return DetectModelKind(std::string_view(bytes).substr(0, 4096), bytes.size());
}

// A triangle as its three corners' positions and normals, rounded, in a canonical order.
std::vector<std::vector<int>> Triangles(const ObjMesh& mesh) {
  ViewerMesh built;
  BuildViewerMesh(mesh, kCreaseDegrees, &built);
  std::vector<std::vector<int>> out;
  for (size_t i = 0; i < built.indices.size(); i += 3) {
    std::vector<std::vector<int>> corners;
    for (int k = 0; k < 3; ++k) {
      const MeshVertex& v = built.vertices[built.indices[i + k]];
      std::vector<int> c;
      for (float f : v.position) c.push_back(static_cast<int>(std::lround(f * 100)));
      for (float f : v.normal) c.push_back(static_cast<int>(std::lround(f * 100)));
      corners.push_back(c);
    }
    // The same triangle from any starting corner, its winding kept.
    std::rotate(corners.begin(), std::min_element(corners.begin(), corners.end()), corners.end());
    std::vector<int> flat;
    for (const auto& c : corners) flat.insert(flat.end(), c.begin(), c.end());
    out.push_back(flat);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(ModelReadersTest, EachKindIsToldByItsBytesNotItsName) {
  EXPECT_EQ(Kind(Glb("{}", "")), ModelKind::kGlb);
  EXPECT_EQ(Kind(SquareJson("{}", "{}")), ModelKind::kGltf);
  EXPECT_EQ(Kind(CubeStlBinary()), ModelKind::kStlBinary);  // its header says "solid"
  EXPECT_EQ(Kind(CubeStlAscii()), ModelKind::kStlAscii);
  EXPECT_EQ(Kind(CubeStlBinary().substr(0, 300)), ModelKind::kStlBinary);  // cut short
  for (const char* format : {"ascii", "binary_little_endian", "binary_big_endian"}) {
    EXPECT_EQ(Kind(CubePly(format)), ModelKind::kPly) << format;
  }
  EXPECT_EQ(Kind("# Blender\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"), ModelKind::kObj);
  std::string model(30, '\0');  // one object slot, then an object chunk's tag
  model[4] = 0x10, model[5] = 0x10;
  EXPECT_EQ(Kind(model), ModelKind::kToolkit);
  EXPECT_EQ(Kind(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), ModelKind::kUnknown);

  testpics::ScratchFolder dir;
  Write(dir / "box.obj", Glb(SquareJson("{\"byteLength\":386}", "{\"bufferView\":4}"),
                             SquareBin() + Bmp(224, 40, 40)));
  ObjMesh mesh;
  std::string error;
  ModelKind kind;
  ASSERT_TRUE(ReadModelFile(dir / "box.obj", &mesh, &error, &kind)) << error;
  EXPECT_EQ(kind, ModelKind::kGlb);
  EXPECT_EQ(mesh.Triangles(), 2u);
  ASSERT_EQ(mesh.materialList.size(), 1u);
  ASSERT_TRUE(mesh.materialList[0].textureBytes);
  EXPECT_EQ(*mesh.materialList[0].textureBytes, Bmp(224, 40, 40));
}

TEST(ModelReadersTest, TheCubeIsTheSameFromBinaryAndAsciiStlAndEveryPlyEncoding) {
  testpics::ScratchFolder dir;
  Write(dir / "binary.stl", CubeStlBinary());
  Write(dir / "zero.stl", CubeStlBinary(true));
  Write(dir / "ascii.stl", CubeStlAscii());
  ObjMesh reference;
  std::string error;
  ASSERT_TRUE(ReadModelFile(dir / "binary.stl", &reference, &error)) << error;
  EXPECT_EQ(reference.Triangles(), 12u);
  const auto expected = Triangles(reference);
  // Flat faces: every corner's normal is its face's axis.
  for (const auto& t : expected) {
    for (int k = 0; k < 3; ++k) {
      const int length2 =
          t[6 * k + 3] * t[6 * k + 3] + t[6 * k + 4] * t[6 * k + 4] + t[6 * k + 5] * t[6 * k + 5];
      EXPECT_EQ(length2, 10000);
    }
  }
  for (const char* format : {"ascii", "binary_little_endian", "binary_big_endian"}) {
    Write(dir / (std::string(format) + ".ply"), CubePly(format));
  }
  for (const std::string name : {"zero.stl", "ascii.stl", "ascii.ply", "binary_little_endian.ply",
                                 "binary_big_endian.ply"}) {
    ObjMesh mesh;
    ASSERT_TRUE(ReadModelFile(dir / name, &mesh, &error)) << error;
    EXPECT_EQ(Triangles(mesh), expected) << name;
    if (name.find(".ply") != std::string::npos) {
      ASSERT_EQ(mesh.colors.size(), 32u) << name;
      EXPECT_EQ(mesh.colors[0], 200);
      EXPECT_EQ(mesh.colors[1], 100);
      EXPECT_EQ(mesh.colors[2], 50);
    }
  }
}

TEST(ModelReadersTest, GltfNodesArePlacedByTheirTransformsThroughTheHierarchy) {
  testpics::ScratchFolder dir;
  Write(dir / "square.bin", SquareBin() + Bmp(10, 20, 30));
  // The root moves by (10, 0, 0) and scales by 2; its child turns 90 degrees about z (as a
  // quaternion) and moves by (0, 5, 0) in the root's space; a second child is a matrix
  // moving by (0, 0, -3).
  const std::string nodes =
      R"([{"translation":[10,0,0],"scale":[2,2,2],"children":[1,2]},
          {"mesh":0,"rotation":[0,0,0.70710678,0.70710678],"translation":[0,5,0]},
          {"mesh":0,"matrix":[1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,-3,1]}])";
  Write(dir / "tree.gltf",
        SquareJson(R"({"byteLength":386,"uri":"square.bin"})", R"({"bufferView":4})", "", nodes));
  ObjMesh mesh;
  std::string error;
  ASSERT_TRUE(ReadModelFile(dir / "tree.gltf", &mesh, &error)) << error;
  ASSERT_EQ(mesh.positions.size(), 24u);
  // The turned square's first corner (-1, -1, 0) goes to (1, -1, 0), then (0, 5, 0) on,
  // then twice the size and 10 along x.
  EXPECT_NEAR(mesh.positions[0], 12.0f, 1e-4f);
  EXPECT_NEAR(mesh.positions[1], 8.0f, 1e-4f);
  EXPECT_NEAR(mesh.positions[2], 0.0f, 1e-4f);
  // Its normal stays +z; the second square's corner is at (8, -2, -6).
  EXPECT_NEAR(mesh.normals[2] /
                  std::sqrt(mesh.normals[0] * mesh.normals[0] + mesh.normals[1] * mesh.normals[1] +
                            mesh.normals[2] * mesh.normals[2]),
              1.0f, 1e-4f);
  EXPECT_NEAR(mesh.positions[12], 8.0f, 1e-4f);
  EXPECT_NEAR(mesh.positions[13], -2.0f, 1e-4f);
  EXPECT_NEAR(mesh.positions[14], -6.0f, 1e-4f);
  // The glTF's v runs down the picture: the first corner's (0, 1) is OBJ's (0, 0).
  EXPECT_FLOAT_EQ(mesh.uvs[1], 0.0f);
}

// A strip of 8-bit indices, normalized byte colours, a position replaced by a sparse
// substitution, and a material with its alpha mask, picture transform, sampler and unlit.
TEST(ModelReadersTest, GltfStripsColoursSparseAccessorsAndMaterialsAreRead) {
  std::string bin;
  const float positions[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {9, 9, 9}};
  for (const auto& p : positions) PutF(&bin, p[0]), PutF(&bin, p[1]), PutF(&bin, p[2]);  // 0..47
  for (int v = 0; v < 4; ++v) bin += {char(255), char(v * 60), 0, char(255)};            // 48..63
  bin += {0, 1, 2, 3};                                                                   // 64..67
  bin += {3, 0, 0, 0};  // the sparse index (a 32-bit one)                               68..71
  PutF(&bin, 1), PutF(&bin, 1), PutF(&bin, 0);  // vertex 3 is (1, 1, 0)                 72..83
  const std::string json =
      R"({"asset":{"version":"2.0"},"nodes":[{"mesh":0}],"meshes":[{"primitives":[{"mode":5,)"
      R"("attributes":{"POSITION":0,"COLOR_0":1},"indices":2,"material":0}]}],)"
      R"("materials":[{"alphaMode":"MASK","alphaCutoff":0.3,"doubleSided":true,)"
      R"("extensions":{"KHR_materials_unlit":{}},"pbrMetallicRoughness":{"baseColorFactor":)"
      R"([0.5,0.25,1,0.8],"baseColorTexture":{"index":0,"extensions":{"KHR_texture_transform":)"
      R"({"offset":[0.5,0],"scale":[2,2]}}}}}],"textures":[{"source":0,"sampler":0}],)"
      R"("samplers":[{"wrapS":33071,"wrapT":33648}],"images":[{"uri":"pics/wood.png"}],)"
      R"("buffers":[{"byteLength":84,"uri":"data:application/octet-stream;base64,)" +
      Base64(bin) +
      R"("}],"bufferViews":[{"buffer":0,"byteLength":48},{"buffer":0,"byteOffset":48,)"
      R"("byteLength":16},{"buffer":0,"byteOffset":64,"byteLength":4},{"buffer":0,)"
      R"("byteOffset":68,"byteLength":4},{"buffer":0,"byteOffset":72,"byteLength":12}],)"
      R"("accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","sparse":)"
      R"({"count":1,"indices":{"bufferView":3,"componentType":5125},"values":{"bufferView":4}}},)"
      R"({"bufferView":1,"componentType":5121,"normalized":true,"count":4,"type":"VEC4"},)"
      R"({"bufferView":2,"componentType":5121,"count":4,"type":"SCALAR"}]})";
  ObjMesh mesh;
  std::string error;
  ASSERT_TRUE(ReadGltf(json, false, "models/", "strip.gltf", &mesh, &error)) << error;
  ASSERT_EQ(mesh.Triangles(), 2u);
  // The strip's second triangle turns back to the first's winding: 2 1 3.
  const int expected[6] = {0, 1, 2, 2, 1, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(mesh.corners[i].p, expected[i]) << i;
  EXPECT_FLOAT_EQ(mesh.positions[9], 1.0f);  // the substitution, not (9, 9, 9)
  EXPECT_FLOAT_EQ(mesh.positions[11], 0.0f);
  ASSERT_EQ(mesh.colors.size(), 16u);
  EXPECT_EQ(mesh.colors[4 * 3 + 1], 180);
  const ObjMaterial& m = mesh.materialList.at(0);
  EXPECT_EQ(m.texture, "models/pics/wood.png");
  EXPECT_EQ(m.alphaMode, AlphaMode::kMask);
  EXPECT_FLOAT_EQ(m.alphaCutoff, 0.3f);
  EXPECT_FLOAT_EQ(m.alpha, 0.8f);
  EXPECT_FLOAT_EQ(m.diffuse[1], 0.25f);
  EXPECT_TRUE(m.unlit && m.doubleSided);
  EXPECT_EQ(m.wrapS, kWrapClampToEdge);
  EXPECT_EQ(m.wrapT, kWrapMirroredRepeat);
  EXPECT_TRUE(mesh.uvs.empty());  // no TEXCOORD_0: nothing to transform
  // Flat normals where the file has none: +z for the first triangle.
  EXPECT_GT(mesh.normals[3 * mesh.corners[0].n + 2], 0.0f);
}

TEST(ModelReadersTest, BrokenFilesAreRefusedInOneLineThatSaysWhere) {
  testpics::ScratchFolder dir;
  const std::string bin = SquareBin() + Bmp(1, 2, 3);
  const std::string good = R"({"byteLength":386,"uri":"square.bin"})";
  Write(dir / "square.bin", bin);
  std::string badIndex = bin;
  badIndex[128 + 4] = 9;  // the third index names vertex 9 of 4
  Write(dir / "badindex.bin", badIndex);
  std::string nan = bin;
  const float notANumber = NAN;
  std::memcpy(&nan[12], &notANumber, 4);
  Write(dir / "nan.bin", nan);
  struct Case {
    std::string name, bytes, message;
  };
  const std::string cutStl = CubeStlBinary().substr(0, 84 + 50 * 5 + 20);
  std::string nanStl = CubeStlBinary();
  std::memcpy(&nanStl[84 + 50 + 12], &notANumber, 4);
  const std::string ply = CubePly("binary_little_endian");
  const std::vector<Case> cases = {
      {"index.gltf", SquareJson(R"({"byteLength":386,"uri":"badindex.bin"})", "{\"bufferView\":4}"),
       "accessor 3 (indices) of mesh 0 primitive 0: index 2 is vertex 9 of only 4"},
      {"short.gltf",
       SquareJson(good, "{\"bufferView\":4}")
           .replace(SquareJson(good, "{\"bufferView\":4}").find("\"count\":4,\"type\":\"VEC2\""), 9,
                    "\"count\":9"),
       "accessor 2 (TEXCOORD_0): 9 elements reach beyond its bufferView 2 (32 bytes)"},
      {"nobin.gltf", SquareJson(R"({"byteLength":386,"uri":"gone.bin"})", "{\"bufferView\":4}"),
       "gone.bin"},
      {"nan.gltf", SquareJson(R"({"byteLength":386,"uri":"nan.bin"})", "{\"bufferView\":4}"),
       "accessor 0 (POSITION) of mesh 0 primitive 0: element 1 is not a finite position"},
      {"draco.gltf",
       SquareJson(good, "{\"bufferView\":4}",
                  R"(,"extensionsRequired":["KHR_draco_mesh_compression"])"),
       "needs the extension KHR_draco_mesh_compression, which this reader does not decode"},
      {"cut.stl", cutStl, "triangle 6 of 12 at byte 334: the file ends inside it"},
      {"nan.stl", nanStl, "triangle 2 at byte 134: a corner's position is not a finite number"},
      {"cut.ply", ply.substr(0, ply.size() - 30), "element face 4 at byte"},
      {"badindex.ply", CubePly("ascii").replace(CubePly("ascii").find("4 0 1 3 2"), 9, "4 0 1 3 8"),
       "element face 0 at line 24: vertex 8 does not exist (8 vertices)"},
      {"junk.bin", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
       "not a model file of a known kind"},
  };
  for (const Case& c : cases) {
    Write(dir / c.name, c.bytes);
    ObjMesh mesh;
    std::string error;
    EXPECT_FALSE(ReadModelFile(dir / c.name, &mesh, &error)) << c.name;
    EXPECT_EQ(error.rfind(dir / c.name + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    // The same message where the viewer reads straight into its arrays.
    IndexedMesh arrays;
    std::string direct;
    EXPECT_FALSE(ReadModelFile(dir / c.name, &mesh, &direct, nullptr, &arrays)) << c.name;
    EXPECT_EQ(direct, error);
  }
}

namespace {

// The triangles the viewer draws from `mesh`, each with its material and its corners'
// position, normal, texture coordinate and colour, in a canonical order.
std::vector<std::vector<long>> Drawn(const ViewerMesh& mesh) {
  std::vector<std::vector<long>> out;
  for (const MaterialRange& range : mesh.ranges) {
    for (uint32_t i = range.first; i < range.first + range.count; i += 3) {
      std::vector<std::vector<long>> corners;
      for (uint32_t k = 0; k < 3; ++k) {
        const MeshVertex& v = mesh.vertices.at(mesh.indices.at(i + k));
        std::vector<long> c;
        for (float f : v.position) c.push_back(std::lround(f * 1000));
        for (float f : v.normal) c.push_back(std::lround(f * 1000));
        for (float f : v.uv) c.push_back(std::lround(f * 1000));
        c.insert(c.end(), v.color, v.color + 4);
        corners.push_back(c);
      }
      std::rotate(corners.begin(), std::min_element(corners.begin(), corners.end()), corners.end());
      std::vector<long> flat = {range.material};
      for (const auto& c : corners) flat.insert(flat.end(), c.begin(), c.end());
      out.push_back(flat);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

// The viewer takes glTF and binary STL straight into its arrays; they must draw what the
// corner-by-corner path draws, and a file only that path draws rightly must go through it.
TEST(ModelReadersTest, GltfAndBinaryStlGoStraightIntoArraysAsTheCornersWouldDrawThem) {
  testpics::ScratchFolder dir;
  const std::string bin = SquareBin() + Bmp(10, 20, 30);
  Write(dir / "square.bin", bin);
  std::string against = bin;  // every normal -z against the square's winding
  for (int v = 0; v < 4; ++v) {
    const float z = -1;
    std::memcpy(&against[48 + 12 * v + 8], &z, 4);
  }
  Write(dir / "against.bin", against);
  const std::string buffer = R"({"byteLength":386,"uri":"square.bin"})";
  const std::string image = R"({"bufferView":4})";
  const std::string nodes =
      R"([{"translation":[10,0,0],"scale":[2,2,2],"children":[1,2,3]},
          {"mesh":0,"rotation":[0,0,0.70710678,0.70710678],"translation":[0,5,0]},
          {"mesh":0,"matrix":[1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,-3,1]},
          {"mesh":0,"scale":[-1,1,1]}])";
  // Three primitives of two materials, the first material again last; the second draws one
  // triangle.
  std::string materials = SquareJson(buffer, image);
  const std::string primitive = R"({"attributes":{"POSITION":0,"NORMAL":1,"TEXCOORD_0":2},)";
  materials.replace(materials.find("\"material\":0}"), 13,
                    "\"material\":0}," + primitive + "\"indices\":4,\"material\":1}," + primitive +
                        "\"indices\":3,\"material\":0}");
  materials.replace(materials.find("\"materials\":["), 13,
                    R"("materials":[{"pbrMetallicRoughness":{"baseColorFactor":[1,0,0,1]}},)");
  const std::string indices = R"({"bufferView":3,"componentType":5123,"count":6,"type":"SCALAR"})";
  materials.replace(
      materials.find(indices), indices.size(),  // the first triangle alone
      indices + R"(,{"bufferView":3,"componentType":5123,"count":3,"type":"SCALAR"})");
  std::string colours = SquareJson(buffer, image);  // the normals again, as RGB colours
  colours.replace(colours.find("\"NORMAL\":1,"), 11, "\"NORMAL\":1,\"COLOR_0\":1,");
  // Positions through a sparse substitution (vertex 0 by itself), not read where they lie.
  std::string sparse = SquareJson(buffer, image);
  sparse.replace(sparse.find("\"max\":[1,1,0]"), 13,
                 R"("max":[1,1,0],"sparse":{"count":1,"indices":{"bufferView":3,)"
                 R"("componentType":5123},"values":{"bufferView":0}})");
  std::string flat = SquareJson(buffer, image);
  flat.erase(flat.find("\"NORMAL\":1,"), 11);
  struct Case {
    std::string name, bytes;
    bool direct;
  };
  const std::vector<Case> cases = {
      {"tree.gltf", SquareJson(buffer, image, "", nodes), true},
      {"square.glb", Glb(SquareJson(R"({"byteLength":386})", image), bin), true},
      {"materials.gltf", materials, true},
      {"colours.gltf", colours, true},
      {"sparse.gltf", sparse, true},
      {"against.gltf", SquareJson(R"({"byteLength":386,"uri":"against.bin"})", image), true},
      {"flat.gltf", flat, false},
      {"cube.stl", CubeStlBinary(), true},
      {"zero.stl", CubeStlBinary(true), false},
  };
  for (const Case& c : cases) {
    Write(dir / c.name, c.bytes);
    ObjMesh corners, kept;
    IndexedMesh arrays;
    std::string error;
    ASSERT_TRUE(ReadModelFile(dir / c.name, &corners, &error)) << error;
    ASSERT_TRUE(ReadModelFile(dir / c.name, &kept, &error, nullptr, &arrays)) << error;
    EXPECT_EQ(!arrays.indices.empty(), c.direct) << c.name;
    ViewerMesh expected, direct;
    BuildViewerMesh(corners, kCreaseDegrees, &expected);
    if (c.direct) {
      static_cast<IndexedMesh&>(direct) = arrays;
      FrameViewerMesh(&direct);
      EXPECT_TRUE(kept.corners.empty()) << c.name;
    } else {
      BuildViewerMesh(kept, kCreaseDegrees, &direct);
    }
    EXPECT_EQ(Drawn(direct), Drawn(expected)) << c.name;
    EXPECT_EQ(direct.colored, expected.colored) << c.name;
    EXPECT_NEAR(direct.radius, expected.radius, 1e-5f) << c.name;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(direct.center[i], expected.center[i], 1e-5f);
    EXPECT_EQ(kept.materialList.size(), corners.materialList.size()) << c.name;
    EXPECT_EQ(kept.notes, corners.notes) << c.name;
  }
}
