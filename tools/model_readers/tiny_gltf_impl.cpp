// tinygltf's implementation, compiled once (Debian's libtinygltf-dev ships the header).
#define TINYGLTF_IMPLEMENTATION
#include "tools/model_readers/tiny_gltf_config.h"
