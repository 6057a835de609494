// tinygltf's implementation, which Debian's libtinygltf holds for Linux.
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
