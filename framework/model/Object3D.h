// The placement of everything that is drawn with a world transform: scale,
// rotation and position, kept apart so that a scene can write each directly,
// and composed into one world matrix when drawing asks for it.
#pragma once

#include <windows.h>
#include <d3dx9.h>

class Object3D {
 public:
  Object3D();
  virtual ~Object3D();

  // world = scale x rotation x translation(position): a point of the object is
  // scaled, turned about the object's own origin, then moved. Reads `scale`,
  // `rotation` and `position`; overwrites all of `world`.
  virtual void UpdateWorldMatrix();

  D3DXVECTOR3 direction;  // (0, 0, -1); kept for the scenes, nothing here reads it
  D3DXVECTOR3 scale;      // (1, 1, 1)
  D3DXVECTOR3 position;   // (0, 0, 0)
  D3DXMATRIX rotation;    // identity
  D3DXMATRIX world;       // identity until UpdateWorldMatrix
};
