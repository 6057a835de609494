#include "model/Object3D.h"

Object3D::Object3D() : direction(0.0f, 0.0f, -1.0f), scale(1.0f, 1.0f, 1.0f), position(0.0f, 0.0f, 0.0f) {
  D3DXMatrixIdentity(&rotation);
  D3DXMatrixIdentity(&world);
}

Object3D::~Object3D() {}

void Object3D::UpdateWorldMatrix() {
  D3DXMATRIX scaling, translation, scaledAndTurned;
  D3DXMatrixScaling(&scaling, scale.x, scale.y, scale.z);
  D3DXMatrixTranslation(&translation, position.x, position.y, position.z);
  D3DXMatrixMultiply(&scaledAndTurned, &scaling, &rotation);
  D3DXMatrixMultiply(&world, &scaledAndTurned, &translation);
}
