// Finishes each mesh once its records are read (normals where the file has
// none, tangents, triangles, subsets): a large one on a second thread, so
// that the reader reads on meanwhile. One mesh is finished at a time, and
// finishing raises no warning: the reader says what it must before it hands
// a mesh over.
#pragma once

#include <exception>
#include <thread>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

class MeshFinisher {
 public:
  MeshFinisher() = default;
  MeshFinisher(const MeshFinisher&) = delete;
  MeshFinisher& operator=(const MeshFinisher&) = delete;
  // Waits for the mesh being finished; what it threw is dropped, as a reader
  // that is going away has already failed.
  ~MeshFinisher();

  // Finishes `mesh` after the mesh before it, on the second thread where it
  // is large and a thread can be had; until Wait, `mesh` must stay where it
  // is and be left alone.
  void Finish(XMesh& mesh, bool computeNormals);
  // Until the mesh being finished is done; what finishing threw (memory
  // that could not be had) is thrown here.
  void Wait();

 private:
  std::thread worker_;
  std::exception_ptr failure_;
};

XFILE_SHAPE_END
