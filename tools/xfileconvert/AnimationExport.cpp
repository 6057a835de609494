#include "AnimationExport.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

#include "ConvertMessages.h"
#include "Handedness.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

namespace xfileconvert {

namespace {

// Keys are added where glTF's blend and the viewers' would place a point of
// the model further apart than this share of its size; what is still further
// apart than kShownShare once no key can help is said.
constexpr double kAddedKeyShare = 0.005;
constexpr double kShownShare = 0.01;
// No key is added closer than this to another, nor more than this many per set.
constexpr double kShortestSpanTicks = 1.0 / 16.0;
constexpr std::size_t kMostAddedKeys = 100000;

using Value = std::array<float, 4>;  // x, y, z and, for a rotation, w

// One channel of one node as glTF will blend it.
struct Track {
  std::vector<float> times;  // seconds, rising
  std::vector<Value> values;
  bool rotation = false;

  // Appends a key after the last; false, keeping nothing, where its time
  // does not come after the last one's as a float.
  bool Append(float time, const Value& value) {
    if (!times.empty() && !(time > times.back())) return false;
    times.push_back(time);
    values.push_back(value);
    return true;
  }

  void Insert(float time, const Value& value) {
    auto at = std::lower_bound(times.begin(), times.end(), time);
    if (at != times.end() && *at == time) return;
    values.insert(values.begin() + (at - times.begin()), value);
    times.insert(at, time);
  }

  // glTF's LINEAR interpolation: held before the first key and after the last.
  Value At(double time) const {
    if (time <= times.front()) return values.front();
    if (time >= times.back()) return values.back();
    const std::size_t next = static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), time) - times.begin());
    const double t0 = times[next - 1], t1 = times[next];
    const float u = static_cast<float>((time - t0) / (t1 - t0));
    const Value& a = values[next - 1];
    const Value& b = values[next];
    if (rotation) return Slerp(a, b, u);
    Value mixed{};
    for (std::size_t i = 0; i < 3; ++i) mixed[i] = (1.0f - u) * a[i] + u * b[i];
    return mixed;
  }
};

struct AnimatedFrame {
  std::size_t frame = 0;
  bool matrixKeys = false;
  Track translation, rotation, scale;

  // The local matrix glTF gives the frame at `time`, in the file's space.
  D3DXMATRIX LocalAt(double time) const {
    Trs parts;
    const Value t = translation.At(time), s = scale.At(time);
    parts.translation = {t[0], t[1], t[2]};
    parts.rotation = rotation.At(time);
    parts.scale = {s[0], s[1], s[2]};
    return Mirrored(Compose(parts));
  }
};

Value Vector(float x, float y, float z) { return {x, y, z, 0.0f}; }

// Fills `track` with what the viewers show of one key channel: its keys up
// to the set's last key time, led in by its last key where it starts after
// tick 0, or its neutral value where it has no keys. `convert` gives a key's
// glTF value. Returns how many keys fell on the time of the key before them.
template <class Key, class Convert>
std::size_t FillTrack(Track& track, const std::map<std::uint32_t, Key>& keys, std::uint32_t lastKeyTime,
                      double ticksPerSecond, const Value& neutral, Convert convert) {
  if (keys.empty()) {
    track.Append(0.0f, neutral);
    return 0;
  }
  const Value last = convert(keys.rbegin()->second);
  const auto kept = keys.upper_bound(lastKeyTime);
  if (kept == keys.begin()) {
    track.Append(0.0f, last);
    return 0;
  }
  if (keys.begin()->first > 0) {
    const float first = static_cast<float>(keys.begin()->first / ticksPerSecond);
    track.Append(0.0f, last);
    track.Append(std::nextafter(first, 0.0f), last);
  }
  std::size_t dropped = 0;
  for (auto key = keys.begin(); key != kept; ++key)
    if (!track.Append(static_cast<float>(key->first / ticksPerSecond), convert(key->second))) ++dropped;
  return dropped;
}

// The frames the set animates, each by the last of its animations.
std::vector<AnimatedFrame> TracksOf(const ExportContext& context, const XAnimationSet& set, std::size_t& dropped) {
  const double ticksPerSecond = TicksPerSecondOf(context.model.scene);
  const auto lastKeyTime = static_cast<std::uint32_t>(set.lastKeyTime);
  std::map<int, const XAnimation*> animationOf;
  for (const XAnimation& animation : set.animations) {
    const int frame = context.FrameNamed(animation.frameName);
    if (frame >= 0) animationOf[frame] = &animation;
  }
  std::vector<AnimatedFrame> frames;
  for (const auto& [frame, animation] : animationOf) {
    AnimatedFrame& animated = frames.emplace_back();
    animated.frame = static_cast<std::size_t>(frame);
    animated.rotation.rotation = true;
    const Value none = Vector(0, 0, 0), unit = Vector(1, 1, 1), identity{0, 0, 0, 1};
    if (!animation->matrixKeys.empty()) {
      // The viewers use only the matrix keys where there are any.
      animated.matrixKeys = true;
      auto parts = [](const D3DXMATRIX& key) { return Decompose(Mirrored(key)); };
      dropped += FillTrack(animated.translation, animation->matrixKeys, lastKeyTime, ticksPerSecond, none,
                           [&](const D3DXMATRIX& key) {
                             const Trs trs = parts(key);
                             return Vector(trs.translation[0], trs.translation[1], trs.translation[2]);
                           });
      FillTrack(animated.rotation, animation->matrixKeys, lastKeyTime, ticksPerSecond, identity,
                [&](const D3DXMATRIX& key) { return parts(key).rotation; });
      FillTrack(animated.scale, animation->matrixKeys, lastKeyTime, ticksPerSecond, unit, [&](const D3DXMATRIX& key) {
        const Trs trs = parts(key);
        return Vector(trs.scale[0], trs.scale[1], trs.scale[2]);
      });
      continue;
    }
    dropped += FillTrack(animated.translation, animation->positionKeys, lastKeyTime, ticksPerSecond, none,
                         [](const D3DXVECTOR3& p) { return Vector(p.x, p.y, -p.z); });
    dropped += FillTrack(animated.rotation, animation->rotationKeys, lastKeyTime, ticksPerSecond, identity,
                         [](const D3DXQUATERNION& q) { return GltfRotationOfKey(q); });
    dropped += FillTrack(animated.scale, animation->scaleKeys, lastKeyTime, ticksPerSecond, unit,
                         [](const D3DXVECTOR3& s) { return Vector(s.x, s.y, s.z); });
  }
  return frames;
}

// The box of what each frame carries, in the frame's own space: the vertices
// of its rigid meshes, and of skinned meshes the vertices each bone on it
// moves, as the bone's offset takes them there.
struct FrameBox {
  D3DXVECTOR3 min, max;
  bool empty = true;
  void Add(const D3DXVECTOR3& p) {
    if (empty) {
      min = max = p;
      empty = false;
      return;
    }
    min = D3DXVECTOR3(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
    max = D3DXVECTOR3(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
  }
  D3DXVECTOR3 Corner(int i) const {
    return D3DXVECTOR3(i & 1 ? max.x : min.x, i & 2 ? max.y : min.y, i & 4 ? max.z : min.z);
  }
};

std::vector<FrameBox> CarriedBoxes(const ExportContext& context, FrameBox& unplaced) {
  const XFileScene& scene = context.model.scene;
  std::vector<FrameBox> boxes(scene.frames.size());
  for (const XMesh& mesh : scene.meshes) {
    if (mesh.bones.empty()) {
      const int frame = context.FrameOf(mesh);
      FrameBox& box = frame >= 0 ? boxes[static_cast<std::size_t>(frame)] : unplaced;
      for (const XVertex& vertex : mesh.vertices) box.Add(vertex.position);
      continue;
    }
    std::vector<int> boneFrames;
    for (const XBone& bone : mesh.bones) boneFrames.push_back(context.FrameNamed(bone.name));
    for (const XVertex& vertex : mesh.vertices)
      for (const XSkinInfluence& influence : vertex.influences) {
        if (influence.bone >= boneFrames.size() || !(influence.weight > 0)) continue;
        const int frame = boneFrames[influence.bone];
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &vertex.position, &mesh.bones[influence.bone].offset);
        (frame >= 0 ? boxes[static_cast<std::size_t>(frame)] : unplaced).Add(p);
      }
  }
  return boxes;
}

// Compares, at one time of one set, the pose the viewers give with the one
// glTF's blending gives, and adds keys where they differ.
class SetRefinement {
 public:
  SetRefinement(ExportContext& context, std::vector<AnimatedFrame>& frames, const std::vector<FrameBox>& boxes,
                double size)
      : context_(context), frames_(frames), boxes_(boxes), size_(size), animated_(context.filePose.size(), nullptr) {
    for (AnimatedFrame& frame : frames_) animated_[frame.frame] = &frame;
  }

  // How far apart the two poses place any point the frames carry at `time`.
  double DifferenceAt(double time) {
    Model& pose = context_.pose;
    pose.animationTick = time * TicksPerSecondOf(context_.model.scene);
    pose.UpdatePose();
    const std::vector<std::int32_t>& parents = pose.FrameParents();
    combined_.resize(animated_.size());
    double largest = 0;
    for (std::size_t f = 0; f < animated_.size(); ++f) {
      const D3DXMATRIX local = animated_[f] ? animated_[f]->LocalAt(time) : context_.fileTransforms[f];
      const std::int32_t parent = parents[f];
      if (parent >= 0 && static_cast<std::size_t>(parent) < f) {
        D3DXMatrixMultiply(&combined_[f], &local, &combined_[static_cast<std::size_t>(parent)]);
      } else {
        combined_[f] = local;
      }
      if (boxes_[f].empty) continue;
      for (int c = 0; c < 8; ++c) {
        D3DXVECTOR3 corner = boxes_[f].Corner(c), shown, blended;
        D3DXVec3TransformCoord(&shown, &corner, &pose.frameMatrices[f]);
        D3DXVec3TransformCoord(&blended, &corner, &combined_[f]);
        const D3DXVECTOR3 apart = shown - blended;
        largest = std::max(largest, static_cast<double>(D3DXVec3Length(&apart)));
      }
    }
    return largest;
  }

  // Gives every frame whose glTF local matrix differs from the viewers' at
  // `time` (as DifferenceAt left them) a key there.
  void AddKeysAt(float time) {
    for (AnimatedFrame& frame : frames_) {
      const D3DXMATRIX& shown = context_.model.scene.frames[frame.frame].transform;
      const D3DXMATRIX blended = frame.LocalAt(time);
      double apart = 0, scale = 1;
      for (int i = 0; i < 16; ++i) {
        apart = std::max(apart, std::fabs(double{shown.m[i / 4][i % 4]} - blended.m[i / 4][i % 4]));
        scale = std::max(scale, std::fabs(double{shown.m[i / 4][i % 4]}));
      }
      if (apart <= 1e-6 * scale) continue;
      const Trs parts = Decompose(Mirrored(shown));
      frame.rotation.Insert(time, parts.rotation);
      if (frame.matrixKeys) {
        frame.translation.Insert(time, Vector(parts.translation[0], parts.translation[1], parts.translation[2]));
        frame.scale.Insert(time, Vector(parts.scale[0], parts.scale[1], parts.scale[2]));
      }
    }
  }

  // Refines every span between the set's key times; returns the largest
  // difference left, as a share of the model's size.
  double Refine() {
    std::vector<float> times;
    for (const AnimatedFrame& frame : frames_)
      for (const Track* track : {&frame.translation, &frame.rotation, &frame.scale})
        times.insert(times.end(), track->times.begin(), track->times.end());
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::deque<std::pair<float, float>> spans;
    for (std::size_t i = 0; i + 1 < times.size(); ++i) spans.emplace_back(times[i], times[i + 1]);

    const double ticksPerSecond = TicksPerSecondOf(context_.model.scene);
    const double allowed = kAddedKeyShare * size_;
    double left = 0;
    std::size_t added = 0;
    while (!spans.empty()) {
      const auto [from, to] = spans.front();
      spans.pop_front();
      double worst = 0;
      float at = from;
      for (double share : {0.25, 0.5, 0.75}) {
        const float time = static_cast<float>(from + (double{to} - from) * share);
        if (!(time > from && time < to)) continue;
        const double difference = DifferenceAt(time);
        if (difference > worst) worst = difference, at = time;
      }
      if (worst <= allowed) continue;
      if ((double{to} - from) * ticksPerSecond < kShortestSpanTicks || added >= kMostAddedKeys || at == from) {
        left = std::max(left, worst);
        continue;
      }
      DifferenceAt(at);
      AddKeysAt(at);
      ++added;
      const double after = DifferenceAt(at);
      if (after > allowed) {
        // The viewers' pose there is no rotation glTF can hold.
        left = std::max(left, after);
        continue;
      }
      spans.emplace_back(from, at);
      spans.emplace_back(at, to);
    }
    return size_ > 0 ? left / size_ : 0;
  }

 private:
  ExportContext& context_;
  std::vector<AnimatedFrame>& frames_;
  const std::vector<FrameBox>& boxes_;
  double size_;
  std::vector<AnimatedFrame*> animated_;  // by frame
  std::vector<D3DXMATRIX> combined_;
};

int AddOutput(GltfDocument& document, const Track& track) {
  const std::size_t components = track.rotation ? 4 : 3;
  std::vector<float> values;
  for (const Value& value : track.values) values.insert(values.end(), value.begin(), value.begin() + components);
  return document.AddFloatAccessor(values.data(), track.values.size(), track.rotation ? "VEC4" : "VEC3", kNoTarget,
                                   false);
}

void AddChannel(GltfDocument& document, GltfAnimation& animation, int node, const char* path, const Track& track) {
  GltfAnimationSampler sampler;
  sampler.input = document.AddTimes(track.times);
  sampler.output = AddOutput(document, track);
  animation.samplers.push_back(sampler);
  animation.channels.push_back({static_cast<int>(animation.samplers.size() - 1), node, path});
}

// The node a set that animates nothing holds still: the first frame's, else
// any node that no skin moves.
int StillNode(ExportContext& context) {
  if (!context.frameNodes.empty()) return context.frameNodes.front();
  for (std::size_t i = 0; i < context.document.nodes.size(); ++i)
    if (context.document.nodes[i].skin < 0) return static_cast<int>(i);
  const int node = context.AddNode(GltfNode{});
  context.topNodes.push_back(node);
  return node;
}

}  // namespace

void ExportAnimations(ExportContext& context) {
  XFileScene& scene = context.model.scene;
  if (scene.animationSets.empty()) return;
  FrameBox unplaced;
  const std::vector<FrameBox> boxes = CarriedBoxes(context, unplaced);
  // The model's size: the diagonal of what it holds in the file's pose.
  FrameBox all = unplaced;
  for (std::size_t f = 0; f < boxes.size(); ++f)
    for (int c = 0; c < 8 && !boxes[f].empty; ++c) {
      D3DXVECTOR3 corner = boxes[f].Corner(c), placed;
      D3DXVec3TransformCoord(&placed, &corner, &context.filePose[f]);
      all.Add(placed);
    }
  const D3DXVECTOR3 diagonal = all.max - all.min;
  const double size = all.empty ? 0.0 : D3DXVec3Length(&diagonal);

  for (std::size_t s = 0; s < scene.animationSets.size(); ++s) {
    const XAnimationSet& set = scene.animationSets[s];
    const std::string setName = ToUtf8(ShownName(set.name));
    std::size_t dropped = 0;
    std::vector<AnimatedFrame> frames = TracksOf(context, set, dropped);
    if (dropped > 0) Say(ConvertMessage::KeysTooClose, context.input.c_str(), setName.c_str(), dropped);
    if (!frames.empty() && size > 0) {
      context.pose.PlaySet(static_cast<std::uint32_t>(s));
      const double left = SetRefinement(context, frames, boxes, size).Refine();
      if (left > kShownShare)
        Say(ConvertMessage::AnimationApproximated, context.input.c_str(), setName.c_str(), left * 100.0);
    }

    GltfAnimation animation;
    animation.name = set.name;
    for (const AnimatedFrame& frame : frames) {
      const int node = context.frameNodes[frame.frame];
      AddChannel(context.document, animation, node, "translation", frame.translation);
      AddChannel(context.document, animation, node, "rotation", frame.rotation);
      AddChannel(context.document, animation, node, "scale", frame.scale);
    }
    if (frames.empty()) {
      const int node = StillNode(context);
      Track still;
      const std::array<float, 3>& t = context.document.nodes[static_cast<std::size_t>(node)].translation;
      still.Append(0.0f, Vector(t[0], t[1], t[2]));
      AddChannel(context.document, animation, node, "translation", still);
    }
    context.document.animations.push_back(std::move(animation));
  }
}

}  // namespace xfileconvert
