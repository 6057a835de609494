// The character: one placed object made of the meshes of a parsed model file,
// posed by the file's frame hierarchy and animation sets. The frames' local
// matrices live in the parsed scene; the model keeps the combined (model
// space) matrix of every frame, by the frame's index in file order, and the
// bone palette of each skinned mesh.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/KeyCursor.h"
#include "model/Mesh.h"
#include "model/Object3D.h"
#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// Where sampling last stood in each key channel of one animation.
struct AnimationCursors {
  KeyCursor<D3DXQUATERNION> rotation;
  KeyCursor<D3DXVECTOR3> scale;
  KeyCursor<D3DXVECTOR3> position;
  KeyCursor<D3DXMATRIX> matrix;
};

class Model : public Object3D {
 public:
  Model();
  ~Model() override;
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // Keeps `scene` (not owned), builds one Mesh per mesh record and an entry of
  // frameMatrices per frame. Bones and animations find their frame by name:
  // the first frame of that name in file order. False, changing nothing, for
  // a null scene. A second call starts over with the new scene. `device` may
  // be null: the meshes then have no device objects, but posing works.
  bool Setup(IDirect3DDevice9* device, XFileScene* scene);

  // Plays animation set `set` from tick 0. Every frame first goes back to the
  // local matrix its file gave it, so a frame that the new set does not
  // animate leaves the pose the old set gave it. Nothing happens without
  // scene data.
  void PlaySet(std::uint32_t set);

  // The distinct key times of animation set `set` over all its animations
  // and channels, ascending; empty for a set the scene does not have.
  std::vector<std::uint32_t> KeyTimes(std::uint32_t set) const;

  // The entry of frameMatrices of each frame's parent, by frame index; -1 at
  // the top.
  const std::vector<std::int32_t>& FrameParents() const { return frameParents_; }

  // The matrix that places mesh `i` in the world, as Draw uses it: `world`
  // for a skinned mesh or one outside every frame, else its frame's combined
  // matrix times `world`. Reads frameMatrices as the last UpdatePose left it.
  D3DXMATRIX MeshWorldMatrix(std::size_t i) const;

  // Brings `world`, the animated frames' local matrices (at animationTick of
  // animationSet) and every entry of frameMatrices up to date: each frame's
  // combined matrix is its local matrix times its parent's combined matrix,
  // parents first, so posing is linear in the number of frames however deep
  // the hierarchy. Nothing happens without scene data.
  void UpdatePose();

  // Writes the local matrix of every frame that the current animation set
  // animates at the current tick into the scene's frames. An out-of-range set,
  // a tick past the set's last key time, or an animation of a frame the file
  // does not define changes nothing.
  void SampleAnimation();

  // Brings the palette of mesh `i` up to date from frameMatrices (posed by
  // UpdatePose), each bone by the first frame of its name; a mesh without
  // bones has an empty palette.
  void UpdatePalette(std::size_t i);

  // Poses the model, then draws each mesh placed in the world: a rigid mesh by
  // its frame's combined matrix times `world`, a skinned mesh by `world` alone
  // (its palette already carries it to model space). Draws nothing without
  // scene data. Returns true.
  bool Draw();

  XFileScene* sceneData;
  std::vector<Mesh> meshes;
  std::vector<D3DXMATRIX> frameMatrices;  // [frame index in sceneData->frames]
  std::uint32_t animationSet;
  // In key ticks; a tick between two keys is sampled between them, so a
  // slowed playback moves smoothly.
  double animationTick;

 private:
  struct FrameLinks;
  // The steps of Setup.
  void BuildMeshes(IDirect3DDevice9* device);
  void OrderFrames(const FrameLinks& links);
  void LinkAnimations(const FrameLinks& links);
  void LinkMeshes(const FrameLinks& links);

  struct PoseStep {
    const XFrame* frame;
    std::size_t index;    // the frame's entry of frameMatrices
    std::int32_t parent;  // the parent's entry, or -1 at the top
  };
  std::vector<PoseStep> poseOrder_;  // every frame once, parents before children
  std::vector<std::int32_t> frameParents_;    // [frame index]: the parent's index, or -1
  std::vector<D3DXMATRIX> fileTransforms_;    // [frame index]: the local matrix the file gave
  struct AnimatedFrame {
    XFrame* frame;  // null: the file does not define the frame
    AnimationCursors cursors;
  };
  std::vector<std::vector<AnimatedFrame>> animated_;  // [set][animation]
  std::vector<std::int32_t> meshFrames_;              // per mesh: its frame's index, or -1
  std::vector<std::vector<std::int32_t>> boneFrames_;  // per mesh, per bone: its frame's index, or -1
};

// The local matrix that `animation` gives its frame at `tick`: its matrix
// keys when it has any, else scale x rotation x translation from its three
// key channels. `cursors` keeps where the last sampling stood, so that ticks
// that move forward walk on from there. SampleAnimation samples every
// animation of a set with it; a converter samples one at a time.
D3DXMATRIX SampleLocalMatrix(const XAnimation& animation, double tick, AnimationCursors& cursors);

// The blend of two matrix keys: each is taken as scale, rotation and
// translation; the rotations are spherically interpolated, scale and
// translation linearly (shear is lost). A row of zero length counts as scale 0
// along the identity's direction.
D3DXMATRIX BlendMatrices(float t, const D3DXMATRIX& a, const D3DXMATRIX& b);

XFILE_SHAPE_END
