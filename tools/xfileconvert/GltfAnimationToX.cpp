#include "GltfAnimationToX.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "Handedness.h"
#include "XTemplates.h"

namespace xfileconvert {

namespace {

// Key times within this many seconds of a tick lie on it.
constexpr double kOnGrid = 1e-4;
// Times closer than this are one time (a float of seconds holds no finer).
constexpr double kSameTime = 1e-6;
// Keys are added where a viewer's blend between two keys would place a
// point further than this share of the model's size from where glTF puts it.
constexpr double kResampleShare = 5e-4;
// No file is given more keys than this; past it keys are no longer added.
constexpr std::size_t kMostKeys = std::size_t{1} << 22;
// The last tick a key may take: the format's ticks are 32-bit.
constexpr double kLastTick = 4294967295.0;

enum class Path { Translation, Rotation, Scale };
enum class Interpolation { Linear, Step, CubicSpline };

using Value = std::array<double, 4>;  // x, y, z (and w for a rotation), glTF's space

struct Channel {
  Path path = Path::Translation;
  Interpolation interpolation = Interpolation::Linear;
  std::vector<double> times;   // seconds, rising
  std::vector<Value> values;   // one per time; three (in-tangent, value, out-tangent) for CUBICSPLINE

  const Value& KeyValue(std::size_t key) const {
    return values[interpolation == Interpolation::CubicSpline ? key * 3 + 1 : key];
  }

  // The value glTF gives at `time`: held before the first key and after the
  // last. A time a hair before a key (a tick that a key time, a float of
  // seconds, does not meet exactly) is that key's.
  Value At(double time) const {
    const auto after = std::upper_bound(times.begin(), times.end(), time);
    if (after != times.end() && *after - time < kSameTime) time = *after;
    if (time <= times.front()) return KeyValue(0);
    if (time >= times.back()) return KeyValue(times.size() - 1);
    const auto next = static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), time) - times.begin());
    const std::size_t key = next - 1;
    const double span = times[next] - times[key], s = (time - times[key]) / span;
    const Value &a = KeyValue(key), &b = KeyValue(next);
    Value out{};
    const int n = path == Path::Rotation ? 4 : 3;
    switch (interpolation) {
      case Interpolation::Step:
        return a;
      case Interpolation::Linear:
        if (path == Path::Rotation) return Slerped(a, b, s);
        for (int i = 0; i < n; ++i) out[i] = a[i] + (b[i] - a[i]) * s;
        return out;
      case Interpolation::CubicSpline: {
        const Value& outTangent = values[key * 3 + 2];
        const Value& inTangent = values[next * 3];
        const double s2 = s * s, s3 = s2 * s;
        for (int i = 0; i < n; ++i)
          out[i] = (2 * s3 - 3 * s2 + 1) * a[i] + (s3 - 2 * s2 + s) * span * outTangent[i] + (-2 * s3 + 3 * s2) * b[i] +
                   (s3 - s2) * span * inTangent[i];
        if (path == Path::Rotation) Normalize(out);
        return out;
      }
    }
    return a;
  }

  static void Normalize(Value& q) {
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (length > 0)
      for (double& c : q) c /= length;
  }

  // Spherical, the shorter way round.
  static Value Slerped(const Value& a, Value b, double s) {
    double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    if (dot < 0) {
      for (double& c : b) c = -c;
      dot = -dot;
    }
    double wa = 1 - s, wb = s;
    if (dot < 1 - 1e-9) {
      const double angle = std::acos(std::min(dot, 1.0));
      wa = std::sin((1 - s) * angle) / std::sin(angle);
      wb = std::sin(s * angle) / std::sin(angle);
    }
    Value out;
    for (int i = 0; i < 4; ++i) out[i] = wa * a[i] + wb * b[i];
    Normalize(out);
    return out;
  }
};

// The channels of one animation that move one node.
struct NodeChannels {
  std::optional<Channel> translation, rotation, scale;
  std::optional<Channel>& Of(Path path) {
    return path == Path::Translation ? translation : path == Path::Rotation ? rotation : scale;
  }
};

struct Animation {
  std::string name;
  std::map<int, NodeChannels> nodes;
};

// A node's own transform in glTF's terms.
Trs RestOf(const tinygltf::Node& node) {
  Trs rest;
  if (node.matrix.size() == 16) {
    float m[16];
    for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(node.matrix[static_cast<std::size_t>(i)]);
    return Decompose(D3DXMATRIX(m));
  }
  for (std::size_t i = 0; i < 3 && i < node.translation.size(); ++i) rest.translation[i] = static_cast<float>(node.translation[i]);
  for (std::size_t i = 0; i < 4 && i < node.rotation.size(); ++i) rest.rotation[i] = static_cast<float>(node.rotation[i]);
  for (std::size_t i = 0; i < 3 && i < node.scale.size(); ++i) rest.scale[i] = static_cast<float>(node.scale[i]);
  return rest;
}

Value RestValue(const Trs& rest, Path path) {
  switch (path) {
    case Path::Translation: return {rest.translation[0], rest.translation[1], rest.translation[2], 0};
    case Path::Rotation: return {rest.rotation[0], rest.rotation[1], rest.rotation[2], rest.rotation[3]};
    case Path::Scale: return {rest.scale[0], rest.scale[1], rest.scale[2], 0};
  }
  return {};
}

// A rotation as the .x file's key holds it, (w, x, y, z): the viewers and
// D3DX read the key's quaternion as the conjugate of the rotation it
// stands for, in their mirrored space.
Value FileRotation(const Value& q) { return {q[3], q[0], q[1], -q[2]}; }

// The row-vector rotation a viewer makes of a key's quaternion (w, x, y, z)
// as it stands, unit or not (a blend of two keys is not renormalised).
std::array<double, 9> ViewerRotation(const Value& key) {
  // The key read as (x, y, z, w) with w negated, as D3DXMatrixRotationQuaternion takes it.
  const double x = key[1], y = key[2], z = key[3], w = -key[0];
  return {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
          2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
          2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
}

class AnimationWriter {
 public:
  AnimationWriter(GltfToXContext& context, unsigned ticksPerSecond) : context_(context), ticksPerSecond_(ticksPerSecond) {
    const std::size_t nodes = context.model.nodes.size();
    parentScale_.assign(nodes, 1.0);
    rest_.resize(nodes);
    for (std::size_t n = 0; n < nodes; ++n) rest_[n] = RestOf(context.model.nodes[n]);
    // How far a node's parents scale its translation, for weighing its errors.
    for (int node : context.sceneNodes) {
      const int parent = context.parentOf[static_cast<std::size_t>(node)];
      if (parent < 0) continue;
      const Trs& r = rest_[static_cast<std::size_t>(parent)];
      const double scale = std::max({std::fabs(r.scale[0]), std::fabs(r.scale[1]), std::fabs(r.scale[2])});
      parentScale_[static_cast<std::size_t>(node)] = parentScale_[static_cast<std::size_t>(parent)] * scale;
    }
  }

  void Write() {
    std::vector<Animation> animations = ReadAnimations();
    // Every set moves every node that any set moves, so that a player that
    // switches sets puts back what the last one moved.
    std::set<int> moved;
    for (const Animation& animation : animations)
      for (const auto& [node, channels] : animation.nodes) moved.insert(node);
    for (Animation& animation : animations) WriteSet(animation, moved);
    if (keys_ >= kMostKeys) context_.NotHeld("this many keys", "keys were added only up to " + std::to_string(kMostKeys));
  }

 private:
  struct Key {
    std::uint32_t tick = 0;
    double time = 0;  // when glTF is sampled for it
  };

  std::vector<Animation> ReadAnimations();
  bool ReadChannel(const tinygltf::Animation& animation, const tinygltf::AnimationChannel& channel, Channel& out);
  void WriteSet(Animation& animation, const std::set<int>& moved);
  std::vector<Key> KeysOf(const Channel& channel, int node, bool followRotation);
  void Refine(const Channel& channel, Key a, Key b, std::vector<Key>& added, int node);
  double Error(const Channel& channel, const Key& a, const Key& b, std::uint32_t tick, int node) const;
  Value FileValue(const Channel& channel, double time) const;
  using KeyNumbers = std::array<double, 16>;
  void WriteKeys(int type, const std::vector<Key>& keys, int count,
                 const std::function<void(double time, KeyNumbers& numbers)>& sample);

  std::uint32_t TickOf(double time) const {
    return static_cast<std::uint32_t>(std::clamp(std::llround(time * ticksPerSecond_), 0LL, static_cast<long long>(kLastTick)));
  }

  GltfToXContext& context_;
  const unsigned ticksPerSecond_;
  std::vector<Trs> rest_;
  std::vector<double> parentScale_;
  std::size_t keys_ = 0;
};

bool AnimationWriter::ReadChannel(const tinygltf::Animation& animation, const tinygltf::AnimationChannel& channel,
                                  Channel& out) {
  if (channel.sampler < 0 || static_cast<std::size_t>(channel.sampler) >= animation.samplers.size()) return false;
  const tinygltf::AnimationSampler& sampler = animation.samplers[static_cast<std::size_t>(channel.sampler)];
  out.path = channel.target_path == "rotation" ? Path::Rotation
             : channel.target_path == "scale"  ? Path::Scale
                                               : Path::Translation;
  out.interpolation = sampler.interpolation == "STEP"          ? Interpolation::Step
                      : sampler.interpolation == "CUBICSPLINE" ? Interpolation::CubicSpline
                                                               : Interpolation::Linear;
  AccessorValues<float> times, values;
  std::string reason;
  const int components = out.path == Path::Rotation ? 4 : 3;
  const std::size_t perKey = out.interpolation == Interpolation::CubicSpline ? 3 : 1;
  const std::string name = "animation \"" + animation.name + "\"'s channel of node " + std::to_string(channel.target_node);
  if (!context_.asset.Floats(sampler.input, times, reason) || !context_.asset.Floats(sampler.output, values, reason) ||
      times.components != 1 || values.components != components || values.Count() != times.Count() * perKey ||
      times.Count() == 0) {
    context_.LeftOut(name, reason.empty() ? "its key times and values do not fit each other" : reason);
    return false;
  }
  // Keys in time order, each time once; keys whose numbers are not finite are left out.
  std::vector<std::size_t> order;
  std::uint64_t unsound = 0;
  for (std::size_t k = 0; k < times.Count(); ++k) {
    bool finite = std::isfinite(times.values[k]) && times.values[k] >= 0;
    for (std::size_t v = k * perKey; v < (k + 1) * perKey; ++v)
      for (int c = 0; c < components; ++c) finite = finite && std::isfinite(values.At(v)[c]);
    if (finite) {
      order.push_back(k);
    } else {
      ++unsound;
    }
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return times.values[a] < times.values[b]; });
  for (std::size_t k : order) {
    if (!out.times.empty() && !(times.values[k] > out.times.back())) {
      ++unsound;
      continue;
    }
    out.times.push_back(times.values[k]);
    for (std::size_t v = k * perKey; v < (k + 1) * perKey; ++v) {
      Value value{};
      for (int c = 0; c < components; ++c) value[static_cast<std::size_t>(c)] = values.At(v)[c];
      if (out.path == Path::Rotation && v % perKey == perKey / 2) Channel::Normalize(value);
      out.values.push_back(value);
    }
  }
  if (unsound) context_.LeftOut(name + "'s " + std::to_string(unsound) + " keys", "their times repeat, run back or are not finite numbers");
  return !out.times.empty();
}

std::vector<Animation> AnimationWriter::ReadAnimations() {
  std::vector<Animation> animations;
  for (std::size_t a = 0; a < context_.model.animations.size(); ++a) {
    const tinygltf::Animation& source = context_.model.animations[a];
    Animation& animation = animations.emplace_back();
    animation.name = context_.names.Unique(source.name, "animation" + std::to_string(a));
    for (const tinygltf::AnimationChannel& channel : source.channels) {
      if (channel.target_path == "weights") {
        context_.NotHeld("morph targets", "their animation is left out");
        continue;
      }
      if (channel.target_path != "translation" && channel.target_path != "rotation" && channel.target_path != "scale")
        continue;
      const int node = channel.target_node;
      if (node < 0 || static_cast<std::size_t>(node) >= context_.frameOf.size() ||
          context_.frameOf[static_cast<std::size_t>(node)].empty())
        continue;  // a node outside the scene shows nothing
      Channel read;
      if (!ReadChannel(source, channel, read)) continue;
      animation.nodes[node].Of(read.path) = std::move(read);
    }
  }
  return animations;
}

Value AnimationWriter::FileValue(const Channel& channel, double time) const {
  const Value v = channel.At(time);
  switch (channel.path) {
    case Path::Rotation: return FileRotation(v);
    case Path::Translation: return {v[0], v[1], -v[2], 0};
    case Path::Scale: return v;
  }
  return v;
}

// How far a viewer's blend of the keys at `a` and `b` puts the model at
// `tick` from where glTF puts it, as a share of the model's size.
double AnimationWriter::Error(const Channel& channel, const Key& a, const Key& b, std::uint32_t tick, int node) const {
  const double time = static_cast<double>(tick) / ticksPerSecond_;
  const double t = static_cast<double>(tick - a.tick) / static_cast<double>(b.tick - a.tick);
  Value from = FileValue(channel, a.time), to = FileValue(channel, b.time);
  const Value exact = FileValue(channel, time);
  if (channel.path == Path::Rotation) {
    if (from[0] * to[0] + from[1] * to[1] + from[2] * to[2] + from[3] * to[3] < 0)
      for (double& c : to) c = -c;
    Value blend;
    for (int i = 0; i < 4; ++i) blend[i] = from[i] + (to[i] - from[i]) * t;
    const std::array<double, 9> shown = ViewerRotation(blend), wanted = ViewerRotation(exact);
    double sum = 0;
    for (int i = 0; i < 9; ++i) sum += (shown[i] - wanted[i]) * (shown[i] - wanted[i]);
    return std::sqrt(sum);
  }
  double sum = 0;
  for (int i = 0; i < 3; ++i) {
    const double d = from[i] + (to[i] - from[i]) * t - exact[i];
    sum += d * d;
  }
  const double distance = std::sqrt(sum);
  return channel.path == Path::Translation
             ? distance * parentScale_[static_cast<std::size_t>(node)] / std::max(context_.modelSize, 1e-30)
             : distance;
}

void AnimationWriter::Refine(const Channel& channel, Key a, Key b, std::vector<Key>& added, int node) {
  if (b.tick - a.tick < 2 || keys_ >= kMostKeys) return;
  const std::uint32_t middle = a.tick + (b.tick - a.tick) / 2;
  const std::uint32_t quarter = a.tick + (b.tick - a.tick) / 4, threeQuarters = b.tick - (b.tick - a.tick) / 4;
  double worst = Error(channel, a, b, middle, node);
  if (quarter > a.tick) worst = std::max(worst, Error(channel, a, b, quarter, node));
  if (threeQuarters < b.tick) worst = std::max(worst, Error(channel, a, b, threeQuarters, node));
  if (worst <= kResampleShare) return;
  const Key inserted{middle, static_cast<double>(middle) / ticksPerSecond_};
  added.push_back(inserted);
  ++keys_;
  Refine(channel, a, inserted, added, node);
  Refine(channel, inserted, b, added, node);
}

// The ticks a channel's keys take: its own key times (sampled at them),
// tick 0 where it starts later, the tick before each STEP key holding the
// key before it, and where the viewers' blend strays, keys sampled between.
std::vector<AnimationWriter::Key> AnimationWriter::KeysOf(const Channel& channel, int node, bool followRotation) {
  std::vector<Key> keys;
  auto add = [&](std::uint32_t tick, double time) {
    if (!keys.empty() && keys.back().tick == tick) {
      keys.back().time = time;  // the later key wins a tick two keys fall on
    } else {
      keys.push_back({tick, time});
    }
  };
  if (TickOf(channel.times.front()) > 0) add(0, 0.0);
  for (std::size_t k = 0; k < channel.times.size(); ++k) {
    const double time = channel.times[k];
    const std::uint32_t tick = TickOf(time);
    if (channel.interpolation == Interpolation::Step && k > 0 && tick > keys.back().tick + 1)
      add(tick - 1, channel.times[k - 1]);
    // A key on the grid is sampled at its own time; one between ticks where its tick stands.
    const bool onGrid = std::fabs(time * ticksPerSecond_ - std::round(time * ticksPerSecond_)) <= kOnGrid * ticksPerSecond_;
    add(tick, onGrid ? time : static_cast<double>(tick) / ticksPerSecond_);
  }
  keys_ += keys.size();
  const bool blends = channel.interpolation == Interpolation::CubicSpline ||
                      (channel.interpolation == Interpolation::Linear && channel.path == Path::Rotation && followRotation);
  if (!blends) return keys;
  std::vector<Key> added;
  for (std::size_t k = 0; k + 1 < keys.size(); ++k) Refine(channel, keys[k], keys[k + 1], added, node);
  keys.insert(keys.end(), added.begin(), added.end());
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.tick < b.tick; });
  return keys;
}

void AnimationWriter::WriteKeys(int type, const std::vector<Key>& keys, int count,
                                const std::function<void(double time, KeyNumbers& numbers)>& sample) {
  XDataWriter& writer = context_.writer;
  writer.Begin(StandardTemplate("AnimationKey"));
  writer.Integer(type);
  writer.Integer(static_cast<std::int64_t>(keys.size()));
  KeyNumbers previous{1, 0, 0, 0};
  for (const Key& key : keys) {
    KeyNumbers numbers{};
    sample(key.time, numbers);
    // Quaternion keys are blended as they stand: each takes the sign that
    // keeps it on the side of the one before.
    if (type == 0) {
      if (numbers[0] * previous[0] + numbers[1] * previous[1] + numbers[2] * previous[2] + numbers[3] * previous[3] < 0)
        for (int i = 0; i < 4; ++i) numbers[static_cast<std::size_t>(i)] = -numbers[static_cast<std::size_t>(i)];
      previous = numbers;
    }
    writer.Integer(key.tick);
    writer.Integer(count);
    for (int i = 0; i < count; ++i) writer.Float(numbers[static_cast<std::size_t>(i)]);
  }
  writer.End();
}

void AnimationWriter::WriteSet(Animation& animation, const std::set<int>& moved) {
  XDataWriter& writer = context_.writer;
  const ConvertOptions& options = context_.options;
  writer.Begin(StandardTemplate("AnimationSet"), animation.name);
  // Baked keys stand every N ticks to the set's end.
  std::uint32_t setEnd = 0;
  for (const auto& [node, channels] : animation.nodes)
    for (const std::optional<Channel>* channel : {&channels.translation, &channels.rotation, &channels.scale})
      if (*channel) setEnd = std::max(setEnd, TickOf((*channel)->times.back()));
  std::vector<Key> baked;
  if (options.bakeTicks > 0) {
    for (std::uint64_t tick = 0; tick < setEnd; tick += options.bakeTicks)
      baked.push_back({static_cast<std::uint32_t>(tick), static_cast<double>(tick) / ticksPerSecond_});
    baked.push_back({setEnd, static_cast<double>(setEnd) / ticksPerSecond_});
  }
  for (int node : moved) {
    NodeChannels& channels = animation.nodes[node];
    const Trs& rest = rest_[static_cast<std::size_t>(node)];
    // A channel the set does not move holds the node's own value.
    for (Path path : {Path::Translation, Path::Rotation, Path::Scale}) {
      std::optional<Channel>& channel = channels.Of(path);
      if (channel) continue;
      channel.emplace();
      channel->path = path;
      channel->times = {0.0};
      channel->values = {RestValue(rest, path)};
    }
    writer.Begin(StandardTemplate("Animation"));
    writer.Reference(context_.frameOf[static_cast<std::size_t>(node)]);
    if (options.matrixKeys) {
      // One matrix key at every tick any of the three channels has a key.
      std::vector<Key> keys = baked;
      if (keys.empty()) {
        for (const std::optional<Channel>* channel : {&channels.translation, &channels.rotation, &channels.scale}) {
          const std::vector<Key> own = KeysOf(**channel, node, false);
          keys.insert(keys.end(), own.begin(), own.end());
        }
        std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.tick < b.tick; });
        keys.erase(std::unique(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.tick == b.tick; }),
                   keys.end());
      }
      WriteKeys(4, keys, 16, [&](double time, KeyNumbers& numbers) {
        const Value t = channels.translation->At(time), r = channels.rotation->At(time), s = channels.scale->At(time);
        Trs parts;
        for (std::size_t i = 0; i < 3; ++i) {
          parts.translation[i] = static_cast<float>(t[i]);
          parts.scale[i] = static_cast<float>(s[i]);
        }
        for (std::size_t i = 0; i < 4; ++i) parts.rotation[i] = static_cast<float>(r[i]);
        const D3DXMATRIX m = Mirrored(Compose(parts));
        for (int row = 0; row < 4; ++row)
          for (int col = 0; col < 4; ++col) numbers[static_cast<std::size_t>(row * 4 + col)] = m.m[row][col];
      });
    } else {
      const std::vector<Key> rotation = baked.empty() ? KeysOf(*channels.rotation, node, true) : baked;
      const std::vector<Key> scale = baked.empty() ? KeysOf(*channels.scale, node, false) : baked;
      const std::vector<Key> translation = baked.empty() ? KeysOf(*channels.translation, node, false) : baked;
      auto values = [&](const Channel& channel) {
        return [this, &channel](double time, KeyNumbers& numbers) {
          const Value value = FileValue(channel, time);
          std::copy(value.begin(), value.end(), numbers.begin());
        };
      };
      WriteKeys(0, rotation, 4, values(*channels.rotation));
      WriteKeys(1, scale, 3, values(*channels.scale));
      WriteKeys(2, translation, 3, values(*channels.translation));
    }
    writer.End();
  }
  writer.End();
}

}  // namespace

unsigned ChooseTicksPerSecond(const GltfToXContext& context) {
  if (context.options.ticksPerSecond > 0) return context.options.ticksPerSecond;
  std::vector<double> times;
  for (const tinygltf::Animation& animation : context.model.animations)
    for (const tinygltf::AnimationSampler& sampler : animation.samplers) {
      AccessorValues<float> input;
      std::string reason;
      if (context.asset.Floats(sampler.input, input, reason))
        for (float time : input.values)
          if (std::isfinite(time)) times.push_back(time);
    }
  for (unsigned candidate : {30u, 60u, 4800u}) {
    bool all = true;
    for (double time : times) {
      const double ticks = time * candidate;
      if (std::fabs(ticks - std::round(ticks)) > kOnGrid * candidate) {
        all = false;
        break;
      }
    }
    if (all) return candidate;
  }
  return 4800;
}

void WriteAnimations(GltfToXContext& context, unsigned ticksPerSecond) {
  AnimationWriter(context, ticksPerSecond).Write();
}

}  // namespace xfileconvert
