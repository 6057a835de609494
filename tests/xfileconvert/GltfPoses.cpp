#include "GltfPoses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>

namespace convert_test {

namespace {

Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 out{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
      out[col * 4 + row] = sum;
    }
  return out;
}

Vec3 Transform(const Mat4& m, const Vec3& p) {
  return {m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12], m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13],
          m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]};
}

// T x R x S.
Mat4 FromTrs(const std::vector<double>& t, const std::vector<double>& r, const std::vector<double>& s) {
  const double x = r[0], y = r[1], z = r[2], w = r[3];
  Mat4 m{1 - 2 * (y * y + z * z),
         2 * (x * y + z * w),
         2 * (x * z - y * w),
         0,
         2 * (x * y - z * w),
         1 - 2 * (x * x + z * z),
         2 * (y * z + x * w),
         0,
         2 * (x * z + y * w),
         2 * (y * z - x * w),
         1 - 2 * (x * x + y * y),
         0,
         t[0],
         t[1],
         t[2],
         1};
  for (int col = 0; col < 3; ++col)
    for (int row = 0; row < 3; ++row) m[col * 4 + row] *= s[col];
  return m;
}

std::vector<double> Slerp(std::vector<double> a, std::vector<double> b, double u) {
  double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  if (dot < 0) {
    for (double& c : b) c = -c;
    dot = -dot;
  }
  double wa = 1 - u, wb = u;
  if (dot < 1 - 1e-9) {
    const double angle = std::acos(std::min(dot, 1.0));
    wa = std::sin((1 - u) * angle) / std::sin(angle);
    wb = std::sin(u * angle) / std::sin(angle);
  }
  std::vector<double> q(4);
  double length = 0;
  for (int i = 0; i < 4; ++i) length += (q[i] = wa * a[i] + wb * b[i]) * q[i];
  for (double& c : q) c /= std::sqrt(length);
  return q;
}

// A sampler's value at `time`.
std::vector<double> Sample(const tinygltf::Model& model, const tinygltf::AnimationSampler& sampler, bool rotation,
                           double time) {
  const std::vector<double> times = ReadAccessor(model, sampler.input);
  const std::vector<double> values = ReadAccessor(model, sampler.output);
  const std::size_t n = rotation ? 4 : 3;
  const bool cubic = sampler.interpolation == "CUBICSPLINE";
  // A cubic spline's keys are in-tangent, value, out-tangent.
  auto part = [&](std::size_t key, std::size_t which) {
    const std::size_t at = cubic ? key * 3 + which : key;
    return std::vector<double>(values.begin() + at * n, values.begin() + (at + 1) * n);
  };
  auto at = [&](std::size_t key) { return part(key, 1); };
  if (time <= times.front()) return at(0);
  if (time >= times.back()) return at(times.size() - 1);
  const std::size_t next = std::upper_bound(times.begin(), times.end(), time) - times.begin();
  if (sampler.interpolation == "STEP") return at(next - 1);
  const double span = times[next] - times[next - 1];
  const double u = (time - times[next - 1]) / span;
  std::vector<double> a = at(next - 1), b = at(next);
  if (cubic) {
    const std::vector<double> out = part(next - 1, 2), in = part(next, 0);
    const double u2 = u * u, u3 = u2 * u;
    std::vector<double> p(n);
    double length = 0;
    for (std::size_t i = 0; i < n; ++i) {
      p[i] = (2 * u3 - 3 * u2 + 1) * a[i] + (u3 - 2 * u2 + u) * span * out[i] + (-2 * u3 + 3 * u2) * b[i] +
             (u3 - u2) * span * in[i];
      length += p[i] * p[i];
    }
    if (rotation)
      for (double& c : p) c /= std::sqrt(length);
    return p;
  }
  if (sampler.interpolation != "LINEAR") throw std::runtime_error("unexpected interpolation " + sampler.interpolation);
  if (rotation) return Slerp(a, b, u);
  for (std::size_t i = 0; i < n; ++i) a[i] = (1 - u) * a[i] + u * b[i];
  return a;
}

// One component as the glTF specification reads it; normalised integers
// map to [0, 1] or [-1, 1].
double Component(const unsigned char* p, int type, bool normalized) {
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
      float f;
      std::memcpy(&f, p, 4);
      return f;
    }
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
      const double v = static_cast<std::int8_t>(*p);
      return normalized ? std::max(v / 127, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return normalized ? *p / 255.0 : *p;
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
      const double v = static_cast<std::int16_t>(p[0] | p[1] << 8);
      return normalized ? std::max(v / 32767, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
      const double v = p[0] | p[1] << 8;
      return normalized ? v / 65535 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
      std::uint32_t u;
      std::memcpy(&u, p, 4);
      return u;
    }
    default:
      throw std::runtime_error("an unexpected component type");
  }
}

}  // namespace

bool LoadGltf(const std::string& path, tinygltf::Model& model, std::string& error) {
  tinygltf::TinyGLTF loader;
  std::string warning;
  const bool binary = path.size() > 4 && path.compare(path.size() - 4, 4, ".glb") == 0;
  const bool loaded = binary ? loader.LoadBinaryFromFile(&model, &error, &warning, path)
                             : loader.LoadASCIIFromFile(&model, &error, &warning, path);
  if (!warning.empty()) error += (error.empty() ? "" : "; ") + warning;
  return loaded && warning.empty();
}

std::vector<double> ReadAccessor(const tinygltf::Model& model, int index) {
  const tinygltf::Accessor& accessor = model.accessors.at(static_cast<std::size_t>(index));
  const std::size_t components = static_cast<std::size_t>(tinygltf::GetNumComponentsInType(accessor.type));
  const std::size_t size = static_cast<std::size_t>(tinygltf::GetComponentSizeInBytes(accessor.componentType));
  std::vector<double> out(accessor.count * components, 0.0);
  auto readElement = [&](const unsigned char* p, std::size_t element) {
    for (std::size_t c = 0; c < components; ++c)
      out.at(element * components + c) = Component(p + c * size, accessor.componentType, accessor.normalized);
  };
  if (accessor.bufferView >= 0) {
    const tinygltf::BufferView& view = model.bufferViews.at(static_cast<std::size_t>(accessor.bufferView));
    const std::vector<unsigned char>& buffer = model.buffers.at(static_cast<std::size_t>(view.buffer)).data;
    const std::size_t stride = view.byteStride ? view.byteStride : components * size;
    for (std::size_t i = 0; i < accessor.count; ++i) {
      const std::size_t start = view.byteOffset + accessor.byteOffset + i * stride;
      (void)buffer.at(start + components * size - 1);  // throws where the element lies past the buffer
      readElement(buffer.data() + start, i);
    }
  }
  if (accessor.sparse.isSparse) {
    const auto& sparse = accessor.sparse;
    const tinygltf::BufferView& iv = model.bufferViews.at(static_cast<std::size_t>(sparse.indices.bufferView));
    const tinygltf::BufferView& vv = model.bufferViews.at(static_cast<std::size_t>(sparse.values.bufferView));
    const std::vector<unsigned char>& ib = model.buffers.at(static_cast<std::size_t>(iv.buffer)).data;
    const std::vector<unsigned char>& vb = model.buffers.at(static_cast<std::size_t>(vv.buffer)).data;
    const std::size_t indexSize = static_cast<std::size_t>(tinygltf::GetComponentSizeInBytes(sparse.indices.componentType));
    for (int s = 0; s < sparse.count; ++s) {
      const auto target = static_cast<std::size_t>(
          Component(&ib.at(iv.byteOffset + sparse.indices.byteOffset + s * indexSize), sparse.indices.componentType, false));
      readElement(&vb.at(vv.byteOffset + sparse.values.byteOffset + s * components * size), target);
    }
  }
  return out;
}

std::vector<Mat4> NodeGlobals(const tinygltf::Model& model, int animation, double time) {
  const std::size_t count = model.nodes.size();
  std::vector<std::vector<double>> t(count), r(count), s(count);
  std::vector<Mat4> locals(count);
  for (std::size_t i = 0; i < count; ++i) {
    const tinygltf::Node& node = model.nodes[i];
    t[i] = node.translation.empty() ? std::vector<double>{0, 0, 0} : node.translation;
    r[i] = node.rotation.empty() ? std::vector<double>{0, 0, 0, 1} : node.rotation;
    s[i] = node.scale.empty() ? std::vector<double>{1, 1, 1} : node.scale;
  }
  if (animation >= 0)
    for (const tinygltf::AnimationChannel& channel :
         model.animations.at(static_cast<std::size_t>(animation)).channels) {
      const tinygltf::AnimationSampler& sampler =
          model.animations[static_cast<std::size_t>(animation)].samplers.at(static_cast<std::size_t>(channel.sampler));
      const std::size_t node = static_cast<std::size_t>(channel.target_node);
      const std::string& path = channel.target_path;
      if (path == "weights") continue;  // morph targets move no node
      (path == "translation" ? t : path == "rotation" ? r : s)[node] = Sample(model, sampler, path == "rotation", time);
    }
  for (std::size_t i = 0; i < count; ++i) {
    const tinygltf::Node& node = model.nodes[i];
    if (node.matrix.size() == 16) {
      std::copy(node.matrix.begin(), node.matrix.end(), locals[i].begin());
    } else {
      locals[i] = FromTrs(t[i], r[i], s[i]);
    }
  }
  std::vector<int> parents(count, -1);
  for (std::size_t i = 0; i < count; ++i)
    for (int child : model.nodes[i].children) parents.at(static_cast<std::size_t>(child)) = static_cast<int>(i);
  std::vector<Mat4> globals(count);
  std::vector<bool> done(count, false);
  for (std::size_t i = 0; i < count; ++i) {
    std::vector<std::size_t> chain;
    for (int at = static_cast<int>(i); at >= 0 && !done[static_cast<std::size_t>(at)];
         at = parents[static_cast<std::size_t>(at)])
      chain.push_back(static_cast<std::size_t>(at));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const int parent = parents[*it];
      globals[*it] = parent >= 0 ? Multiply(globals[static_cast<std::size_t>(parent)], locals[*it]) : locals[*it];
      done[*it] = true;
    }
  }
  return globals;
}

namespace {

// Each joint's global matrix times its inverse bind matrix.
std::vector<Mat4> JointMatrices(const tinygltf::Model& model, int skinIndex, const std::vector<Mat4>& globals) {
  const tinygltf::Skin& skin = model.skins.at(static_cast<std::size_t>(skinIndex));
  const std::vector<double> inverse =
      skin.inverseBindMatrices >= 0 ? ReadAccessor(model, skin.inverseBindMatrices) : std::vector<double>();
  std::vector<Mat4> joints;
  for (std::size_t j = 0; j < skin.joints.size(); ++j) {
    Mat4 ibm{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (!inverse.empty()) std::copy(inverse.begin() + j * 16, inverse.begin() + (j + 1) * 16, ibm.begin());
    joints.push_back(Multiply(globals.at(static_cast<std::size_t>(skin.joints[j])), ibm));
  }
  return joints;
}

// A primitive's vertices, skinned by `jointMatrices` where the node has a
// skin, else placed by the node's global matrix.
void PosePrimitive(const tinygltf::Model& model, const tinygltf::Primitive& primitive, const tinygltf::Node& node,
                   const Mat4& global, const std::vector<Mat4>& jointMatrices, std::vector<Vec3>& out) {
  const std::vector<double> positions = ReadAccessor(model, primitive.attributes.at("POSITION"));
  std::vector<std::vector<double>> joints, weights;
  for (int set = 0; node.skin >= 0 && primitive.attributes.count("JOINTS_" + std::to_string(set)); ++set) {
    joints.push_back(ReadAccessor(model, primitive.attributes.at("JOINTS_" + std::to_string(set))));
    weights.push_back(ReadAccessor(model, primitive.attributes.at("WEIGHTS_" + std::to_string(set))));
  }
  for (std::size_t v = 0; v < positions.size() / 3; ++v) {
    const Vec3 p{positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]};
    if (node.skin < 0) {
      out.push_back(Transform(global, p));
      continue;
    }
    Vec3 sum{0, 0, 0};
    for (std::size_t set = 0; set < joints.size(); ++set)
      for (std::size_t k = 0; k < 4; ++k) {
        const double w = weights[set][v * 4 + k];
        if (w == 0) continue;
        const Vec3 q = Transform(jointMatrices.at(static_cast<std::size_t>(joints[set][v * 4 + k])), p);
        for (int c = 0; c < 3; ++c) sum[c] += w * q[c];
      }
    out.push_back(sum);
  }
}

bool IsTriangles(const tinygltf::Primitive& primitive) {
  return primitive.mode == -1 || primitive.mode == TINYGLTF_MODE_TRIANGLES ||
         primitive.mode == TINYGLTF_MODE_TRIANGLE_STRIP || primitive.mode == TINYGLTF_MODE_TRIANGLE_FAN;
}

}  // namespace

std::vector<std::vector<Vec3>> PosedMeshes(const tinygltf::Model& model, int animation, double time) {
  const std::vector<Mat4> globals = NodeGlobals(model, animation, time);
  std::vector<std::vector<Vec3>> meshes(model.meshes.size());
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    const tinygltf::Node& node = model.nodes[n];
    if (node.mesh < 0) continue;
    const std::vector<Mat4> joints = node.skin >= 0 ? JointMatrices(model, node.skin, globals) : std::vector<Mat4>();
    std::vector<Vec3>& out = meshes[static_cast<std::size_t>(node.mesh)];
    out.clear();
    PosePrimitive(model, model.meshes.at(static_cast<std::size_t>(node.mesh)).primitives.at(0), node, globals[n], joints,
                  out);
  }
  return meshes;
}

std::vector<double> AnimationTimes(const tinygltf::Model& model, int animation) {
  std::vector<double> times;
  for (const tinygltf::AnimationSampler& sampler : model.animations.at(static_cast<std::size_t>(animation)).samplers) {
    const std::vector<double> input = ReadAccessor(model, sampler.input);
    times.insert(times.end(), input.begin(), input.end());
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

std::vector<int> SceneNodes(const tinygltf::Model& model) {
  std::vector<int> roots;
  if (!model.scenes.empty()) {
    roots = model.scenes.at(static_cast<std::size_t>(std::max(model.defaultScene, 0))).nodes;
  } else {
    std::vector<bool> child(model.nodes.size(), false);
    for (const tinygltf::Node& node : model.nodes)
      for (int c : node.children) child.at(static_cast<std::size_t>(c)) = true;
    for (std::size_t n = 0; n < model.nodes.size(); ++n)
      if (!child[n]) roots.push_back(static_cast<int>(n));
  }
  std::vector<int> order;
  std::vector<int> stack(roots.rbegin(), roots.rend());
  while (!stack.empty()) {
    const int node = stack.back();
    stack.pop_back();
    order.push_back(node);
    const std::vector<int>& children = model.nodes.at(static_cast<std::size_t>(node)).children;
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return order;
}

std::vector<std::vector<Vec3>> PosedMeshUses(const tinygltf::Model& model, int animation, double time) {
  const std::vector<Mat4> globals = NodeGlobals(model, animation, time);
  std::vector<std::vector<Vec3>> uses;
  for (int n : SceneNodes(model)) {
    const tinygltf::Node& node = model.nodes[static_cast<std::size_t>(n)];
    if (node.mesh < 0) continue;
    const std::vector<Mat4> joints = node.skin >= 0 ? JointMatrices(model, node.skin, globals) : std::vector<Mat4>();
    std::vector<Vec3> out;
    std::vector<std::map<std::string, int>> seen;  // primitives that share accessors share vertices
    for (const tinygltf::Primitive& primitive : model.meshes.at(static_cast<std::size_t>(node.mesh)).primitives) {
      if (!IsTriangles(primitive) || std::find(seen.begin(), seen.end(), primitive.attributes) != seen.end()) continue;
      seen.push_back(primitive.attributes);
      PosePrimitive(model, primitive, node, globals[static_cast<std::size_t>(n)], joints, out);
    }
    if (!out.empty()) uses.push_back(std::move(out));
  }
  return uses;
}

double Apart(const std::vector<std::vector<Vec3>>& a, const std::vector<std::vector<Vec3>>& b) {
  EXPECT_EQ(a.size(), b.size());
  double largest = 0;
  for (std::size_t m = 0; m < std::min(a.size(), b.size()); ++m) {
    EXPECT_EQ(a[m].size(), b[m].size()) << "mesh " << m;
    for (std::size_t v = 0; v < std::min(a[m].size(), b[m].size()); ++v) {
      double distance = 0;
      for (int c = 0; c < 3; ++c) distance += (a[m][v][c] - b[m][v][c]) * (a[m][v][c] - b[m][v][c]);
      largest = std::max(largest, std::sqrt(distance));
    }
  }
  return largest;
}

}  // namespace convert_test
