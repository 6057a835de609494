// The D3DX math functions that are not inline in the header: matrix
// transpose, determinant, inverse, scaling, translation, rotations, LookAtLH,
// PerspectiveFovLH, OrthoLH; quaternion product, normalisation, from matrix
// and axis, slerp; vector normalisation and transforms. D3DX conventions:
// row vectors on the left, left-handed space, clip depth 0 to 1. A null
// pointer argument gives null (a determinant of 0); D3DXMatrixInverse fails
// only on a determinant of exactly zero; a zero-length vector or quaternion
// normalises to zero.
#include <d3dx9.h>

#include <cmath>


namespace {

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX product;
  D3DXMatrixMultiply(&product, &a, &b);
  return product;
}

// The 3 x 3 minor of m without row r and column c, for the cofactor expansion.
float Minor(const D3DXMATRIX& m, int r, int c) {
  float e[3][3];
  for (int row = 0, i = 0; row < 4; ++row) {
    if (row == r) continue;
    for (int col = 0, j = 0; col < 4; ++col) {
      if (col == c) continue;
      e[i][j++] = m.m[row][col];
    }
    ++i;
  }
  return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
         e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
         e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}

}  // namespace

#if defined(_WIN32)
// The layer's header has the product inline; a program built against the
// real headers that takes the layer's math instead of d3dx9_36.dll (the
// Windows converter) gets it here, as the header's plain loop computes it:
// the same sums in the same order, so both give the same floats.
D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pout, const D3DXMATRIX* pm1, const D3DXMATRIX* pm2) {
  if (!pout || !pm1 || !pm2) return nullptr;
  float product[16];
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      product[row * 4 + col] = pm1->m[row][0] * pm2->m[0][col] + pm1->m[row][1] * pm2->m[1][col] +
                               pm1->m[row][2] * pm2->m[2][col] + pm1->m[row][3] * pm2->m[3][col];
  for (int i = 0; i < 16; ++i) pout->m[i / 4][i % 4] = product[i];
  return pout;
}
#endif

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* pout, const D3DXMATRIX* pm) {
  if (!pout || !pm) return nullptr;
  D3DXMATRIX transposed;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) transposed.m[row][col] = pm->m[col][row];
  *pout = transposed;
  return pout;
}

FLOAT WINAPI D3DXMatrixDeterminant(const D3DXMATRIX* pm) {
  if (!pm) return 0.0f;
  float determinant = 0.0f;
  for (int col = 0; col < 4; ++col) {
    const float sign = (col % 2 == 0) ? 1.0f : -1.0f;
    determinant += sign * pm->m[0][col] * Minor(*pm, 0, col);
  }
  return determinant;
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* pout, FLOAT* pdeterminant, const D3DXMATRIX* pm) {
  if (!pout || !pm) return nullptr;
  const float determinant = D3DXMatrixDeterminant(pm);
  if (pdeterminant) *pdeterminant = determinant;
  if (determinant == 0.0f) return nullptr;
  const float inverseDeterminant = 1.0f / determinant;
  D3DXMATRIX inverse;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      const float sign = ((row + col) % 2 == 0) ? 1.0f : -1.0f;
      // The adjugate is the transposed cofactor matrix.
      inverse.m[col][row] = sign * Minor(*pm, row, col) * inverseDeterminant;
    }
  }
  *pout = inverse;
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pout, FLOAT sx, FLOAT sy, FLOAT sz) {
  if (!pout) return nullptr;
  *pout = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pout, FLOAT x, FLOAT y, FLOAT z) {
  if (!pout) return nullptr;
  *pout = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pout, FLOAT angle) {
  if (!pout) return nullptr;
  const float c = std::cos(angle), s = std::sin(angle);
  *pout = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pout, FLOAT angle) {
  if (!pout) return nullptr;
  const float c = std::cos(angle), s = std::sin(angle);
  *pout = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pout, FLOAT angle) {
  if (!pout) return nullptr;
  const float c = std::cos(angle), s = std::sin(angle);
  *pout = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* pout, const D3DXVECTOR3* pv, FLOAT angle) {
  if (!pout || !pv) return nullptr;
  D3DXVECTOR3 axis;
  D3DXVec3Normalize(&axis, pv);
  const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  const float x = axis.x, y = axis.y, z = axis.z;
  *pout = D3DXMATRIX(t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0,
                     t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0,
                     t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0,
                     0, 0, 0, 1);
  return pout;
}

// Roll about Z first, then pitch about X, then yaw about Y.
D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pout, FLOAT yaw, FLOAT pitch, FLOAT roll) {
  if (!pout) return nullptr;
  D3DXMATRIX rollMatrix, pitchMatrix, yawMatrix;
  D3DXMatrixRotationZ(&rollMatrix, roll);
  D3DXMatrixRotationX(&pitchMatrix, pitch);
  D3DXMatrixRotationY(&yawMatrix, yaw);
  *pout = Product(Product(rollMatrix, pitchMatrix), yawMatrix);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* pout, const D3DXQUATERNION* pq) {
  if (!pout || !pq) return nullptr;
  const float x = pq->x, y = pq->y, z = pq->z, w = pq->w;
  *pout = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                     2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                     2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                     0, 0, 0, 1);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* pout, const D3DXVECTOR3* peye, const D3DXVECTOR3* pat,
                                      const D3DXVECTOR3* pup) {
  if (!pout || !peye || !pat || !pup) return nullptr;
  D3DXVECTOR3 zaxis = *pat - *peye, xaxis, yaxis;
  D3DXVec3Normalize(&zaxis, &zaxis);
  D3DXVec3Cross(&xaxis, pup, &zaxis);
  D3DXVec3Normalize(&xaxis, &xaxis);
  D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
  *pout = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                     xaxis.y, yaxis.y, zaxis.y, 0,
                     xaxis.z, yaxis.z, zaxis.z, 0,
                     -D3DXVec3Dot(&xaxis, peye), -D3DXVec3Dot(&yaxis, peye), -D3DXVec3Dot(&zaxis, peye), 1);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pout, FLOAT fovy, FLOAT aspect, FLOAT zn,
                                              FLOAT zf) {
  if (!pout) return nullptr;
  const float yScale = 1.0f / std::tan(fovy / 2.0f);
  const float xScale = yScale / aspect;
  *pout = D3DXMATRIX(xScale, 0, 0, 0,
                     0, yScale, 0, 0,
                     0, 0, zf / (zf - zn), 1,
                     0, 0, -zn * zf / (zf - zn), 0);
  return pout;
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* pout, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf) {
  if (!pout) return nullptr;
  *pout = D3DXMATRIX(2.0f / w, 0, 0, 0,
                     0, 2.0f / h, 0, 0,
                     0, 0, 1.0f / (zf - zn), 0,
                     0, 0, zn / (zn - zf), 1);
  return pout;
}

// D3DX's product order: q1 * q2 is the rotation q1 followed by q2.
D3DXQUATERNION* WINAPI D3DXQuaternionMultiply(D3DXQUATERNION* pout, const D3DXQUATERNION* pq1,
                                              const D3DXQUATERNION* pq2) {
  if (!pout || !pq1 || !pq2) return nullptr;
  const D3DXQUATERNION a = *pq2, b = *pq1;
  *pout = D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                         a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                         a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                         a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
  return pout;
}

D3DXQUATERNION* WINAPI D3DXQuaternionNormalize(D3DXQUATERNION* pout, const D3DXQUATERNION* pq) {
  if (!pout || !pq) return nullptr;
  const float length = D3DXQuaternionLength(pq);
  if (length == 0.0f) {
    *pout = D3DXQUATERNION(0, 0, 0, 0);
  } else {
    *pout = D3DXQUATERNION(pq->x / length, pq->y / length, pq->z / length, pq->w / length);
  }
  return pout;
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationMatrix(D3DXQUATERNION* pout, const D3DXMATRIX* pm) {
  if (!pout || !pm) return nullptr;
  const D3DXMATRIX& m = *pm;
  const float trace = m._11 + m._22 + m._33;
  D3DXQUATERNION q;
  // Divide by the largest of the four candidates so the result stays accurate near 180 degrees.
  if (trace > 0.0f) {
    const float s = std::sqrt(trace + 1.0f) * 2.0f;
    q = D3DXQUATERNION((m._23 - m._32) / s, (m._31 - m._13) / s, (m._12 - m._21) / s, 0.25f * s);
  } else if (m._11 >= m._22 && m._11 >= m._33) {
    const float s = std::sqrt(1.0f + m._11 - m._22 - m._33) * 2.0f;
    q = D3DXQUATERNION(0.25f * s, (m._12 + m._21) / s, (m._13 + m._31) / s, (m._23 - m._32) / s);
  } else if (m._22 >= m._33) {
    const float s = std::sqrt(1.0f + m._22 - m._11 - m._33) * 2.0f;
    q = D3DXQUATERNION((m._12 + m._21) / s, 0.25f * s, (m._23 + m._32) / s, (m._31 - m._13) / s);
  } else {
    const float s = std::sqrt(1.0f + m._33 - m._11 - m._22) * 2.0f;
    q = D3DXQUATERNION((m._13 + m._31) / s, (m._23 + m._32) / s, 0.25f * s, (m._12 - m._21) / s);
  }
  *pout = q;
  return pout;
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationAxis(D3DXQUATERNION* pout, const D3DXVECTOR3* pv, FLOAT angle) {
  if (!pout || !pv) return nullptr;
  D3DXVECTOR3 axis;
  D3DXVec3Normalize(&axis, pv);
  const float s = std::sin(angle / 2.0f);
  *pout = D3DXQUATERNION(axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2.0f));
  return pout;
}

D3DXQUATERNION* WINAPI D3DXQuaternionSlerp(D3DXQUATERNION* pout, const D3DXQUATERNION* pq1,
                                           const D3DXQUATERNION* pq2, FLOAT t) {
  if (!pout || !pq1 || !pq2) return nullptr;
  D3DXQUATERNION target = *pq2;
  float cosine = D3DXQuaternionDot(pq1, pq2);
  // q and -q are the same rotation: take the shorter way round.
  if (cosine < 0.0f) {
    target = -target;
    cosine = -cosine;
  }
  float fromWeight = 1.0f - t, toWeight = t;
  // Nearly equal rotations: the sine below would vanish, and the straight blend is as good.
  if (1.0f - cosine > 0.001f) {
    const float theta = std::acos(cosine);
    const float sine = std::sin(theta);
    fromWeight = std::sin((1.0f - t) * theta) / sine;
    toWeight = std::sin(t * theta) / sine;
  }
  *pout =
      D3DXQUATERNION(fromWeight * pq1->x + toWeight * target.x, fromWeight * pq1->y + toWeight * target.y,
                     fromWeight * pq1->z + toWeight * target.z, fromWeight * pq1->w + toWeight * target.w);
  return pout;
}

D3DXVECTOR2* WINAPI D3DXVec2Normalize(D3DXVECTOR2* pout, const D3DXVECTOR2* pv) {
  if (!pout || !pv) return nullptr;
  const float length = D3DXVec2Length(pv);
  *pout = (length == 0.0f) ? D3DXVECTOR2(0, 0) : D3DXVECTOR2(pv->x / length, pv->y / length);
  return pout;
}

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* pout, const D3DXVECTOR3* pv) {
  if (!pout || !pv) return nullptr;
  const float length = D3DXVec3Length(pv);
  *pout = (length == 0.0f) ? D3DXVECTOR3(0, 0, 0)
                           : D3DXVECTOR3(pv->x / length, pv->y / length, pv->z / length);
  return pout;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* pout, const D3DXVECTOR3* pv, const D3DXMATRIX* pm) {
  if (!pout || !pv || !pm) return nullptr;
  const D3DXVECTOR4 point(pv->x, pv->y, pv->z, 1.0f);
  return D3DXVec4Transform(pout, &point, pm);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* pout, const D3DXVECTOR3* pv, const D3DXMATRIX* pm) {
  if (!pout || !pv || !pm) return nullptr;
  D3DXVECTOR4 h;
  D3DXVec3Transform(&h, pv, pm);
  *pout = D3DXVECTOR3(h.x / h.w, h.y / h.w, h.z / h.w);
  return pout;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* pout, const D3DXVECTOR3* pv, const D3DXMATRIX* pm) {
  if (!pout || !pv || !pm) return nullptr;
  const D3DXMATRIX& m = *pm;
  const D3DXVECTOR3 v = *pv;
  *pout = D3DXVECTOR3(v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
                      v.x * m._13 + v.y * m._23 + v.z * m._33);
  return pout;
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* pout, const D3DXVECTOR4* pv, const D3DXMATRIX* pm) {
  if (!pout || !pv || !pm) return nullptr;
  const D3DXMATRIX& m = *pm;
  const D3DXVECTOR4 v = *pv;
  *pout = D3DXVECTOR4(v.x * m._11 + v.y * m._21 + v.z * m._31 + v.w * m._41,
                      v.x * m._12 + v.y * m._22 + v.z * m._32 + v.w * m._42,
                      v.x * m._13 + v.y * m._23 + v.z * m._33 + v.w * m._43,
                      v.x * m._14 + v.y * m._24 + v.z * m._34 + v.w * m._44);
  return pout;
}
