// The code of Debian's tiny_gltf.h, which the native programs link as
// libtinygltf: compiled here from the same header with the options Debian's
// library is built with (nlohmann-json, stb from libstb).
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
