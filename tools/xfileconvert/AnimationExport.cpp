#include "AnimationExport.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <set>

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
// Each comparison poses every frame twice; a set stops being refined after
// this many frames posed, so that no file keeps the converter busy for long.
constexpr std::uint64_t kMostFramesPosed = 400000000;
// At most this many samples of frames per set are taken at the key times of
// other frames: beyond it each frame keeps its own key times.
constexpr std::size_t kMostSamples = 20000000;
// How far before a channel's first key the viewers are sampled for the key
// that leads in to it.
constexpr double kLeadInTicks = 1.0 / 1024.0;

// One sampling of a frame: the tick the viewers are asked for and the time
// glTF holds it at.
struct Sample {
  double tick = 0;
  float time = 0;
  bool operator<(const Sample& other) const { return tick < other.tick; }
};

// The keys of one animated frame as glTF blends them: translation and scale
// linearly, rotation spherically, the shorter way round.
struct AnimatedFrame {
  std::size_t frame = 0;
  const XAnimation* animation = nullptr;
  std::set<Sample> samples;
  std::vector<float> times;  // seconds, rising
  std::vector<Trs> values;

  void Insert(float time, const Trs& value) {
    auto at = std::lower_bound(times.begin(), times.end(), time);
    if (at != times.end() && *at == time) return;
    values.insert(values.begin() + (at - times.begin()), value);
    times.insert(at, time);
  }

  // The local matrix glTF gives the frame at `time`, in the file's space.
  D3DXMATRIX LocalAt(double time) const {
    if (time <= times.front()) return Mirrored(Compose(values.front()));
    if (time >= times.back()) return Mirrored(Compose(values.back()));
    const auto next = static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), time) - times.begin());
    const float u = static_cast<float>((time - times[next - 1]) / (double{times[next]} - times[next - 1]));
    const Trs& a = values[next - 1];
    const Trs& b = values[next];
    Trs mixed;
    for (std::size_t i = 0; i < 3; ++i) {
      mixed.translation[i] = (1.0f - u) * a.translation[i] + u * b.translation[i];
      mixed.scale[i] = (1.0f - u) * a.scale[i] + u * b.scale[i];
    }
    mixed.rotation = Slerp(a.rotation, b.rotation, u);
    return Mirrored(Compose(mixed));
  }
};

// Adds the ticks at which the viewers' sampling of one key channel must be
// held: its keys up to the set's last key time, and where it starts after
// tick 0, tick 0 and the moment before its first key, where it still shows
// its last key.
template <class Key>
void AddChannelSamples(std::set<Sample>& samples, const std::map<std::uint32_t, Key>& keys, std::uint32_t lastKeyTime,
                       double ticksPerSecond) {
  if (keys.empty()) return;
  const auto kept = keys.upper_bound(lastKeyTime);
  for (auto key = keys.begin(); key != kept; ++key)
    samples.insert({double(key->first), static_cast<float>(key->first / ticksPerSecond)});
  samples.insert({0.0, 0.0f});
  if (kept != keys.begin() && keys.begin()->first > 0) {
    const float first = static_cast<float>(keys.begin()->first / ticksPerSecond);
    samples.insert({keys.begin()->first - kLeadInTicks, std::nextafter(first, 0.0f)});
  }
}

// The frames the set animates, each by the last of its animations (the
// viewers let it write last), with the ticks to sample.
std::vector<AnimatedFrame> FramesOf(const ExportContext& context, const XAnimationSet& set) {
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
    animated.animation = animation;
    // The viewers use only the matrix keys where there are any.
    if (!animation->matrixKeys.empty()) {
      AddChannelSamples(animated.samples, animation->matrixKeys, lastKeyTime, ticksPerSecond);
    } else {
      AddChannelSamples(animated.samples, animation->rotationKeys, lastKeyTime, ticksPerSecond);
      AddChannelSamples(animated.samples, animation->scaleKeys, lastKeyTime, ticksPerSecond);
      AddChannelSamples(animated.samples, animation->positionKeys, lastKeyTime, ticksPerSecond);
    }
    animated.samples.insert({0.0, 0.0f});
  }
  // Every frame is held at every key time of the set, where that is not too
  // much: between its own keys glTF's blend of a rotation is not the viewers'.
  std::set<Sample> all;
  for (const AnimatedFrame& frame : frames) all.insert(frame.samples.begin(), frame.samples.end());
  if (all.size() * frames.size() <= kMostSamples)
    for (AnimatedFrame& frame : frames) frame.samples = all;
  return frames;
}

// Takes the local matrix the viewers give every animated frame at each of
// its samples (their own sampling of the one animation that moves it) apart
// into glTF's parts. Returns how many samples fell on the time of the one
// before them as a float, and were left out.
std::size_t SampleFrames(std::vector<AnimatedFrame>& frames) {
  std::size_t dropped = 0;
  for (AnimatedFrame& frame : frames) {
    AnimationCursors cursors;
    for (const Sample& sample : frame.samples) {
      if (!frame.times.empty() && !(sample.time > frame.times.back())) {
        ++dropped;
        continue;
      }
      Trs parts = Decompose(Mirrored(SampleLocalMatrix(*frame.animation, sample.tick, cursors)));
      // q and -q are one rotation; neighbours of one sign blend the short way
      // in every viewer.
      if (!frame.values.empty()) {
        const std::array<float, 4>& before = frame.values.back().rotation;
        float dot = 0;
        for (std::size_t i = 0; i < 4; ++i) dot += before[i] * parts.rotation[i];
        if (dot < 0)
          for (float& component : parts.rotation) component = -component;
      }
      frame.times.push_back(sample.time);
      frame.values.push_back(parts);
    }
  }
  return dropped;
}

// A box's corner `i` (0 to 7).
D3DXVECTOR3 Corner(const WorldBounds& box, int i) {
  return D3DXVECTOR3(i & 1 ? box.max.x : box.min.x, i & 2 ? box.max.y : box.min.y, i & 4 ? box.max.z : box.min.z);
}

// Adds the box of `box` placed by `placement` to `bounds`.
void AddPlaced(WorldBounds& bounds, const WorldBounds& box, const D3DXMATRIX& placement) {
  for (int c = 0; c < 8 && !box.empty; ++c) {
    D3DXVECTOR3 corner = Corner(box, c), placed;
    D3DXVec3TransformCoord(&placed, &corner, &placement);
    bounds.Add(placed);
  }
}

}  // namespace

CarriedBoxes MeasureCarriedBoxes(const ExportContext& context) {
  const XFileScene& scene = context.model.scene;
  CarriedBoxes carried;
  if (scene.animationSets.empty()) return carried;
  std::vector<WorldBounds>& boxes = carried.byFrame;
  WorldBounds& unplaced = carried.unplaced;
  boxes.resize(scene.frames.size());
  for (const XMesh& mesh : scene.meshes) {
    if (mesh.bones.empty()) {
      const int frame = context.FrameOf(mesh);
      WorldBounds& box = frame >= 0 ? boxes[static_cast<std::size_t>(frame)] : unplaced;
      for (const XVertex& vertex : mesh.vertices) box.Add(vertex.position);
      continue;
    }
    std::vector<WorldBounds> moved(mesh.bones.size());
    for (const XVertex& vertex : mesh.vertices)
      for (const XSkinInfluence& influence : vertex.influences)
        if (influence.bone < moved.size() && influence.weight > 0) moved[influence.bone].Add(vertex.position);
    for (std::size_t b = 0; b < moved.size(); ++b) {
      const int frame = context.FrameNamed(mesh.bones[b].name);
      AddPlaced(frame >= 0 ? boxes[static_cast<std::size_t>(frame)] : unplaced, moved[b], mesh.bones[b].offset);
    }
  }
  return carried;
}

namespace {

// Compares, at times between the keys of one set, the pose the viewers give
// with the one glTF's blending gives, and adds keys where they differ.
class SetRefinement {
 public:
  SetRefinement(ExportContext& context, std::vector<AnimatedFrame>& frames, const std::vector<WorldBounds>& boxes,
                double size)
      : context_(context), frames_(frames), boxes_(boxes), size_(size), animated_(context.filePose.size(), nullptr) {
    for (AnimatedFrame& frame : frames_) animated_[frame.frame] = &frame;
  }

  bool OutOfWork() const { return posed_ > kMostFramesPosed; }

  // How far apart the two poses place any point the frames carry at `time`.
  double DifferenceAt(double time) {
    posed_ += 2 * animated_.size() + frames_.size();
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
      // The corners move by the difference of the two matrices.
      const D3DXMATRIX& shown = pose.frameMatrices[f];
      double apart[4][3];
      for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) apart[row][col] = double{shown.m[row][col]} - combined_[f].m[row][col];
      for (int c = 0; c < 8; ++c) {
        const D3DXVECTOR3 corner = Corner(boxes_[f], c);
        double distance = 0;
        for (int col = 0; col < 3; ++col) {
          const double d = corner.x * apart[0][col] + corner.y * apart[1][col] + corner.z * apart[2][col] + apart[3][col];
          distance += d * d;
        }
        largest = std::max(largest, std::sqrt(distance));
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
      if (apart > 1e-6 * scale) frame.Insert(time, Decompose(Mirrored(shown)));
    }
  }

  // Refines every span between the set's key times; returns the largest
  // difference left, as a share of the model's size.
  double Refine() {
    std::vector<float> times;
    for (const AnimatedFrame& frame : frames_) times.insert(times.end(), frame.times.begin(), frame.times.end());
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::deque<std::pair<float, float>> spans;
    for (std::size_t i = 0; i + 1 < times.size(); ++i) spans.emplace_back(times[i], times[i + 1]);

    const double ticksPerSecond = TicksPerSecondOf(context_.model.scene);
    const double allowed = kAddedKeyShare * size_;
    double left = 0;
    std::size_t added = 0;
    while (!spans.empty() && !OutOfWork()) {
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
        // The viewers' pose there is no scale, rotation and translation glTF can hold.
        left = std::max(left, after);
        continue;
      }
      spans.emplace_back(from, at);
      spans.emplace_back(at, to);
    }
    return left / size_;
  }

 private:
  ExportContext& context_;
  std::vector<AnimatedFrame>& frames_;
  const std::vector<WorldBounds>& boxes_;
  double size_;
  std::vector<AnimatedFrame*> animated_;  // by frame
  std::vector<D3DXMATRIX> combined_;
  std::uint64_t posed_ = 0;
};

void AddChannels(GltfDocument& document, GltfAnimation& animation, int node, const AnimatedFrame& frame) {
  const int input = document.AddTimes(frame.times);
  const std::size_t count = frame.values.size();
  for (const char* path : {"translation", "rotation", "scale"}) {
    const bool rotation = path[0] == 'r';
    const int output = document.AddAccessor(count, kFloat, rotation ? "VEC4" : "VEC3", kNoTarget);
    float* out = document.Data<float>(output);
    for (const Trs& value : frame.values) {
      if (rotation) {
        out = std::copy(value.rotation.begin(), value.rotation.end(), out);
      } else {
        const std::array<float, 3>& v = path[0] == 't' ? value.translation : value.scale;
        out = std::copy(v.begin(), v.end(), out);
      }
    }
    animation.samplers.push_back({input, output});
    animation.channels.push_back({static_cast<int>(animation.samplers.size() - 1), node, path});
  }
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

void AddStillChannel(ExportContext& context, GltfAnimation& animation) {
  GltfDocument& document = context.document;
  const int node = StillNode(context);
  const std::array<float, 3> translation = document.nodes[static_cast<std::size_t>(node)].translation;
  const int input = document.AddTimes({0.0f});
  const int output = document.AddAccessor(translation.data(), 1, kFloat, "VEC3", kNoTarget);
  animation.samplers.push_back({input, output});
  animation.channels.push_back({0, node, "translation"});
}

}  // namespace

void ExportAnimations(ExportContext& context, const CarriedBoxes& carried) {
  XFileScene& scene = context.model.scene;
  if (scene.animationSets.empty()) return;
  const std::vector<WorldBounds>& boxes = carried.byFrame;
  // The model's size: the diagonal of what it holds in the file's pose.
  WorldBounds all = carried.unplaced;
  for (std::size_t f = 0; f < boxes.size(); ++f) AddPlaced(all, boxes[f], context.filePose[f]);
  const double size = 2.0 * all.Radius();

  for (std::size_t s = 0; s < scene.animationSets.size(); ++s) {
    const XAnimationSet& set = scene.animationSets[s];
    const std::string setName = ToUtf8(ShownName(set.name));
    std::vector<AnimatedFrame> frames = FramesOf(context, set);
    const std::size_t dropped = SampleFrames(frames);
    if (dropped > 0) Say(ConvertMessage::KeysTooClose, context.input.c_str(), setName.c_str(), dropped);
    if (!frames.empty() && size > 0) {
      context.pose.PlaySet(static_cast<std::uint32_t>(s));
      SetRefinement refinement(context, frames, boxes, size);
      const double left = refinement.Refine();
      if (refinement.OutOfWork()) {
        Say(ConvertMessage::AnimationUnchecked, context.input.c_str(), setName.c_str());
      } else if (left > kShownShare) {
        Say(ConvertMessage::AnimationApproximated, context.input.c_str(), setName.c_str(), left * 100.0);
      }
    }

    GltfAnimation animation;
    animation.name = set.name;
    for (const AnimatedFrame& frame : frames)
      AddChannels(context.document, animation, context.frameNodes[frame.frame], frame);
    if (frames.empty()) AddStillChannel(context, animation);
    context.document.animations.push_back(std::move(animation));
  }
}

}  // namespace xfileconvert
