// How tinygltf is built here, for its one implementation file and every file that includes
// it: no exceptions (errors come back as text), no image decoding of its own (the viewer
// decodes pictures when it uploads them) and no external pictures read (the viewer reads
// them by path, as it does an OBJ's), no writer.
#pragma once

#define TINYGLTF_NOEXCEPTION
#define JSON_NOEXCEPTION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
