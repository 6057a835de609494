#include "xfile/MeshFinisher.h"

#include <system_error>
#include <utility>

#include "xfile/MeshFinishing.h"

XFILE_SHAPE_BEGIN

namespace {

// Below this many faces a mesh is finished where it is read: starting a
// thread would cost more than it saves.
constexpr std::size_t kFacesWorthAThread = 4096;

}  // namespace

MeshFinisher::~MeshFinisher() {
  if (worker_.joinable()) worker_.join();
}

void MeshFinisher::Finish(XMesh& mesh, bool computeNormals) {
  Wait();
  if (mesh.faces.size() < kFacesWorthAThread) {
    FinishMesh(mesh, computeNormals);
    return;
  }
  try {
    worker_ = std::thread([this, &mesh, computeNormals] {
      try {
        FinishMesh(mesh, computeNormals);
      } catch (...) {
        failure_ = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had (a process at its limit): the mesh is finished here.
    FinishMesh(mesh, computeNormals);
  }
}

void MeshFinisher::Wait() {
  if (worker_.joinable()) worker_.join();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

XFILE_SHAPE_END
