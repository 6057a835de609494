// D3DX 9: math. Row vectors multiplied on the left, left-handed coordinates,
// single precision throughout, as D3DX computes them.
#pragma once

#include <d3d9.h>

#include <math.h>
#include <string.h>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#define D3DX_PI ((FLOAT)3.141592654)
#define D3DXToRadian(degree) ((degree) * (D3DX_PI / 180.0f))
#define D3DXToDegree(radian) ((radian) * (180.0f / D3DX_PI))

struct D3DXVECTOR2 {
  D3DXVECTOR2() {}
  D3DXVECTOR2(const FLOAT* pf) {
    if (!pf) return;
    x = pf[0];
    y = pf[1];
  }
  D3DXVECTOR2(FLOAT fx, FLOAT fy) : x(fx), y(fy) {}

  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }

  D3DXVECTOR2& operator+=(const D3DXVECTOR2& v) { x += v.x; y += v.y; return *this; }
  D3DXVECTOR2& operator-=(const D3DXVECTOR2& v) { x -= v.x; y -= v.y; return *this; }
  D3DXVECTOR2& operator*=(FLOAT f) { x *= f; y *= f; return *this; }
  D3DXVECTOR2& operator/=(FLOAT f) { x /= f; y /= f; return *this; }

  D3DXVECTOR2 operator+() const { return *this; }
  D3DXVECTOR2 operator-() const { return D3DXVECTOR2(-x, -y); }

  D3DXVECTOR2 operator+(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x + v.x, y + v.y); }
  D3DXVECTOR2 operator-(const D3DXVECTOR2& v) const { return D3DXVECTOR2(x - v.x, y - v.y); }
  D3DXVECTOR2 operator*(FLOAT f) const { return D3DXVECTOR2(x * f, y * f); }
  D3DXVECTOR2 operator/(FLOAT f) const { return D3DXVECTOR2(x / f, y / f); }

  friend D3DXVECTOR2 operator*(FLOAT f, const D3DXVECTOR2& v) { return D3DXVECTOR2(f * v.x, f * v.y); }

  BOOL operator==(const D3DXVECTOR2& v) const { return x == v.x && y == v.y; }
  BOOL operator!=(const D3DXVECTOR2& v) const { return x != v.x || y != v.y; }

  FLOAT x, y;
};
typedef D3DXVECTOR2* LPD3DXVECTOR2;

struct D3DXVECTOR3 : public D3DVECTOR {
  D3DXVECTOR3() {}
  D3DXVECTOR3(const FLOAT* pf) {
    if (!pf) return;
    x = pf[0];
    y = pf[1];
    z = pf[2];
  }
  D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
  D3DXVECTOR3(FLOAT fx, FLOAT fy, FLOAT fz) : D3DVECTOR{fx, fy, fz} {}

  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }

  D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) { x += v.x; y += v.y; z += v.z; return *this; }
  D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
  D3DXVECTOR3& operator*=(FLOAT f) { x *= f; y *= f; z *= f; return *this; }
  D3DXVECTOR3& operator/=(FLOAT f) { x /= f; y /= f; z /= f; return *this; }

  D3DXVECTOR3 operator+() const { return *this; }
  D3DXVECTOR3 operator-() const { return D3DXVECTOR3(-x, -y, -z); }

  D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x + v.x, y + v.y, z + v.z); }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x - v.x, y - v.y, z - v.z); }
  D3DXVECTOR3 operator*(FLOAT f) const { return D3DXVECTOR3(x * f, y * f, z * f); }
  D3DXVECTOR3 operator/(FLOAT f) const { return D3DXVECTOR3(x / f, y / f, z / f); }

  friend D3DXVECTOR3 operator*(FLOAT f, const D3DXVECTOR3& v) {
    return D3DXVECTOR3(f * v.x, f * v.y, f * v.z);
  }

  BOOL operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
  BOOL operator!=(const D3DXVECTOR3& v) const { return x != v.x || y != v.y || z != v.z; }
};
typedef D3DXVECTOR3* LPD3DXVECTOR3;

struct D3DXVECTOR4 {
  D3DXVECTOR4() {}
  D3DXVECTOR4(const FLOAT* pf) {
    if (!pf) return;
    x = pf[0];
    y = pf[1];
    z = pf[2];
    w = pf[3];
  }
  D3DXVECTOR4(FLOAT fx, FLOAT fy, FLOAT fz, FLOAT fw) : x(fx), y(fy), z(fz), w(fw) {}

  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }

  D3DXVECTOR4& operator+=(const D3DXVECTOR4& v) { x += v.x; y += v.y; z += v.z; w += v.w; return *this; }
  D3DXVECTOR4& operator-=(const D3DXVECTOR4& v) { x -= v.x; y -= v.y; z -= v.z; w -= v.w; return *this; }
  D3DXVECTOR4& operator*=(FLOAT f) { x *= f; y *= f; z *= f; w *= f; return *this; }
  D3DXVECTOR4& operator/=(FLOAT f) { x /= f; y /= f; z /= f; w /= f; return *this; }

  D3DXVECTOR4 operator+() const { return *this; }
  D3DXVECTOR4 operator-() const { return D3DXVECTOR4(-x, -y, -z, -w); }

  D3DXVECTOR4 operator+(const D3DXVECTOR4& v) const {
    return D3DXVECTOR4(x + v.x, y + v.y, z + v.z, w + v.w);
  }
  D3DXVECTOR4 operator-(const D3DXVECTOR4& v) const {
    return D3DXVECTOR4(x - v.x, y - v.y, z - v.z, w - v.w);
  }
  D3DXVECTOR4 operator*(FLOAT f) const { return D3DXVECTOR4(x * f, y * f, z * f, w * f); }
  D3DXVECTOR4 operator/(FLOAT f) const { return D3DXVECTOR4(x / f, y / f, z / f, w / f); }

  friend D3DXVECTOR4 operator*(FLOAT f, const D3DXVECTOR4& v) {
    return D3DXVECTOR4(f * v.x, f * v.y, f * v.z, f * v.w);
  }

  BOOL operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
  BOOL operator!=(const D3DXVECTOR4& v) const { return x != v.x || y != v.y || z != v.z || w != v.w; }

  FLOAT x, y, z, w;
};
typedef D3DXVECTOR4* LPD3DXVECTOR4;

struct D3DXMATRIX;
struct D3DXQUATERNION;
inline D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pout, const D3DXMATRIX* pm1, const D3DXMATRIX* pm2);
D3DXQUATERNION* WINAPI D3DXQuaternionMultiply(D3DXQUATERNION* pout, const D3DXQUATERNION* pq1,
                                              const D3DXQUATERNION* pq2);

struct D3DXMATRIX : public D3DMATRIX {
  D3DXMATRIX() {}
  D3DXMATRIX(const FLOAT* pf) {
    if (!pf) return;
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = pf[i];
  }
  D3DXMATRIX(const D3DMATRIX& mat) : D3DMATRIX(mat) {}
  D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
             FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44) {
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
  }

  FLOAT& operator()(UINT row, UINT col) { return m[row][col]; }
  FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }

  operator FLOAT*() { return &_11; }
  operator const FLOAT*() const { return &_11; }

  D3DXMATRIX& operator*=(const D3DXMATRIX& mat) {
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
  }
  D3DXMATRIX& operator+=(const D3DXMATRIX& mat) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] += mat.m[i / 4][i % 4];
    return *this;
  }
  D3DXMATRIX& operator-=(const D3DXMATRIX& mat) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] -= mat.m[i / 4][i % 4];
    return *this;
  }
  D3DXMATRIX& operator*=(FLOAT f) {
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] *= f;
    return *this;
  }
  D3DXMATRIX& operator/=(FLOAT f) {
    const FLOAT inverse = 1.0f / f;  // D3DX multiplies by the reciprocal
    for (int i = 0; i < 16; ++i) m[i / 4][i % 4] *= inverse;
    return *this;
  }

  D3DXMATRIX operator+() const { return *this; }
  D3DXMATRIX operator-() const { return *this * -1.0f; }

  D3DXMATRIX operator*(const D3DXMATRIX& mat) const {
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, this, &mat);
    return product;
  }
  D3DXMATRIX operator+(const D3DXMATRIX& mat) const { return D3DXMATRIX(*this) += mat; }
  D3DXMATRIX operator-(const D3DXMATRIX& mat) const { return D3DXMATRIX(*this) -= mat; }
  D3DXMATRIX operator*(FLOAT f) const { return D3DXMATRIX(*this) *= f; }
  D3DXMATRIX operator/(FLOAT f) const { return D3DXMATRIX(*this) /= f; }

  friend D3DXMATRIX operator*(FLOAT f, const D3DXMATRIX& mat) { return mat * f; }

  BOOL operator==(const D3DXMATRIX& mat) const {
    for (int i = 0; i < 16; ++i)
      if (m[i / 4][i % 4] != mat.m[i / 4][i % 4]) return FALSE;
    return TRUE;
  }
  BOOL operator!=(const D3DXMATRIX& mat) const { return !(*this == mat); }
};
typedef D3DXMATRIX* LPD3DXMATRIX;

struct D3DXQUATERNION {
  D3DXQUATERNION() {}
  D3DXQUATERNION(const FLOAT* pf) {
    if (!pf) return;
    x = pf[0];
    y = pf[1];
    z = pf[2];
    w = pf[3];
  }
  D3DXQUATERNION(FLOAT fx, FLOAT fy, FLOAT fz, FLOAT fw) : x(fx), y(fy), z(fz), w(fw) {}

  operator FLOAT*() { return &x; }
  operator const FLOAT*() const { return &x; }

  D3DXQUATERNION& operator+=(const D3DXQUATERNION& q) {
    x += q.x;
    y += q.y;
    z += q.z;
    w += q.w;
    return *this;
  }
  D3DXQUATERNION& operator-=(const D3DXQUATERNION& q) {
    x -= q.x;
    y -= q.y;
    z -= q.z;
    w -= q.w;
    return *this;
  }
  D3DXQUATERNION& operator*=(const D3DXQUATERNION& q) {
    D3DXQuaternionMultiply(this, this, &q);
    return *this;
  }
  D3DXQUATERNION& operator*=(FLOAT f) { x *= f; y *= f; z *= f; w *= f; return *this; }
  D3DXQUATERNION& operator/=(FLOAT f) { x /= f; y /= f; z /= f; w /= f; return *this; }

  D3DXQUATERNION operator+() const { return *this; }
  D3DXQUATERNION operator-() const { return D3DXQUATERNION(-x, -y, -z, -w); }

  D3DXQUATERNION operator+(const D3DXQUATERNION& q) const {
    return D3DXQUATERNION(x + q.x, y + q.y, z + q.z, w + q.w);
  }
  D3DXQUATERNION operator-(const D3DXQUATERNION& q) const {
    return D3DXQUATERNION(x - q.x, y - q.y, z - q.z, w - q.w);
  }
  D3DXQUATERNION operator*(const D3DXQUATERNION& q) const {
    D3DXQUATERNION product;
    D3DXQuaternionMultiply(&product, this, &q);
    return product;
  }
  D3DXQUATERNION operator*(FLOAT f) const { return D3DXQUATERNION(x * f, y * f, z * f, w * f); }
  D3DXQUATERNION operator/(FLOAT f) const { return D3DXQUATERNION(x / f, y / f, z / f, w / f); }

  friend D3DXQUATERNION operator*(FLOAT f, const D3DXQUATERNION& q) {
    return D3DXQUATERNION(f * q.x, f * q.y, f * q.z, f * q.w);
  }

  BOOL operator==(const D3DXQUATERNION& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
  BOOL operator!=(const D3DXQUATERNION& q) const { return x != q.x || y != q.y || z != q.z || w != q.w; }

  FLOAT x, y, z, w;
};
typedef D3DXQUATERNION* LPD3DXQUATERNION;

// A colour of four floats, red first; converts from and to an ARGB D3DCOLOR.
struct D3DXCOLOR {
  D3DXCOLOR() {}
  D3DXCOLOR(DWORD argb)
      : r(static_cast<FLOAT>((argb >> 16) & 0xFF) / 255.0f),
        g(static_cast<FLOAT>((argb >> 8) & 0xFF) / 255.0f),
        b(static_cast<FLOAT>(argb & 0xFF) / 255.0f),
        a(static_cast<FLOAT>((argb >> 24) & 0xFF) / 255.0f) {}
  D3DXCOLOR(FLOAT fr, FLOAT fg, FLOAT fb, FLOAT fa) : r(fr), g(fg), b(fb), a(fa) {}

  operator FLOAT*() { return &r; }
  operator const FLOAT*() const { return &r; }

  BOOL operator==(const D3DXCOLOR& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
  BOOL operator!=(const D3DXCOLOR& c) const { return !(*this == c); }

  FLOAT r, g, b, a;
};
typedef D3DXCOLOR* LPD3DXCOLOR;

// The small helpers that D3DX itself defines inline.

inline FLOAT D3DXVec2Length(const D3DXVECTOR2* pv) {
  if (!pv) return 0.0f;
  return sqrtf(pv->x * pv->x + pv->y * pv->y);
}

inline FLOAT D3DXVec2LengthSq(const D3DXVECTOR2* pv) {
  if (!pv) return 0.0f;
  return pv->x * pv->x + pv->y * pv->y;
}

inline FLOAT D3DXVec2Dot(const D3DXVECTOR2* pv1, const D3DXVECTOR2* pv2) {
  if (!pv1 || !pv2) return 0.0f;
  return pv1->x * pv2->x + pv1->y * pv2->y;
}

inline D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pout, const D3DXVECTOR3* pv1, const D3DXVECTOR3* pv2) {
  if (!pout || !pv1 || !pv2) return nullptr;
  const D3DXVECTOR3 cross(pv1->y * pv2->z - pv1->z * pv2->y, pv1->z * pv2->x - pv1->x * pv2->z,
                          pv1->x * pv2->y - pv1->y * pv2->x);
  *pout = cross;
  return pout;
}

inline FLOAT D3DXVec3Dot(const D3DXVECTOR3* pv1, const D3DXVECTOR3* pv2) {
  if (!pv1 || !pv2) return 0.0f;
  return pv1->x * pv2->x + pv1->y * pv2->y + pv1->z * pv2->z;
}

inline FLOAT D3DXVec3Length(const D3DXVECTOR3* pv) {
  if (!pv) return 0.0f;
  return sqrtf(pv->x * pv->x + pv->y * pv->y + pv->z * pv->z);
}

inline FLOAT D3DXVec3LengthSq(const D3DXVECTOR3* pv) {
  if (!pv) return 0.0f;
  return pv->x * pv->x + pv->y * pv->y + pv->z * pv->z;
}

inline D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* pout, const D3DXVECTOR3* pv1, const D3DXVECTOR3* pv2) {
  if (!pout || !pv1 || !pv2) return nullptr;
  *pout = D3DXVECTOR3(pv1->x + pv2->x, pv1->y + pv2->y, pv1->z + pv2->z);
  return pout;
}

inline D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* pout, const D3DXVECTOR3* pv1, const D3DXVECTOR3* pv2) {
  if (!pout || !pv1 || !pv2) return nullptr;
  *pout = D3DXVECTOR3(pv1->x - pv2->x, pv1->y - pv2->y, pv1->z - pv2->z);
  return pout;
}

inline D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* pout, const D3DXVECTOR3* pv, FLOAT s) {
  if (!pout || !pv) return nullptr;
  *pout = D3DXVECTOR3(pv->x * s, pv->y * s, pv->z * s);
  return pout;
}

inline D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* pout, const D3DXVECTOR3* pv1, const D3DXVECTOR3* pv2, FLOAT s) {
  if (!pout || !pv1 || !pv2) return nullptr;
  *pout = D3DXVECTOR3(pv1->x + s * (pv2->x - pv1->x), pv1->y + s * (pv2->y - pv1->y),
                      pv1->z + s * (pv2->z - pv1->z));
  return pout;
}

inline FLOAT D3DXVec4Dot(const D3DXVECTOR4* pv1, const D3DXVECTOR4* pv2) {
  if (!pv1 || !pv2) return 0.0f;
  return pv1->x * pv2->x + pv1->y * pv2->y + pv1->z * pv2->z + pv1->w * pv2->w;
}

// Inline here (D3DX exports it) so that chains of products stay in
// registers. Each entry is ((a0 b0 + a1 b1) + a2 b2) + a3 b3, in that
// order, in the vector form as in the plain loops, so both give the same floats.
inline D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pout, const D3DXMATRIX* pm1, const D3DXMATRIX* pm2) {
  if (!pout || !pm1 || !pm2) return nullptr;
#if defined(__SSE__)
  // Every operand is read before the first row is written, so `pout` may be
  // either input.
  const float* b = &pm2->m[0][0];
  __m128 b0 = _mm_loadu_ps(b), b1 = _mm_loadu_ps(b + 4), b2 = _mm_loadu_ps(b + 8), b3 = _mm_loadu_ps(b + 12);
  auto row = [&](int r) {
    __m128 a = _mm_loadu_ps(&pm1->m[r][0]);
    __m128 sum = _mm_mul_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(0, 0, 0, 0)), b0);
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 1, 1, 1)), b1));
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 2, 2, 2)), b2));
    return _mm_add_ps(sum, _mm_mul_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(3, 3, 3, 3)), b3));
  };
  __m128 r0 = row(0), r1 = row(1), r2 = row(2), r3 = row(3);
  _mm_storeu_ps(&pout->m[0][0], r0);
  _mm_storeu_ps(&pout->m[1][0], r1);
  _mm_storeu_ps(&pout->m[2][0], r2);
  _mm_storeu_ps(&pout->m[3][0], r3);
#else
  float product[16];
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      product[row * 4 + col] = pm1->m[row][0] * pm2->m[0][col] + pm1->m[row][1] * pm2->m[1][col] +
                               pm1->m[row][2] * pm2->m[2][col] + pm1->m[row][3] * pm2->m[3][col];
  memcpy(&pout->m[0][0], product, sizeof product);
#endif
  return pout;
}

inline D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pout) {
  if (!pout) return nullptr;
  *pout = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pout;
}

inline BOOL D3DXMatrixIsIdentity(D3DXMATRIX* pm) {
  if (!pm) return FALSE;
  return *pm == D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

inline FLOAT D3DXQuaternionDot(const D3DXQUATERNION* pq1, const D3DXQUATERNION* pq2) {
  if (!pq1 || !pq2) return 0.0f;
  return pq1->x * pq2->x + pq1->y * pq2->y + pq1->z * pq2->z + pq1->w * pq2->w;
}

inline FLOAT D3DXQuaternionLength(const D3DXQUATERNION* pq) {
  if (!pq) return 0.0f;
  return sqrtf(pq->x * pq->x + pq->y * pq->y + pq->z * pq->z + pq->w * pq->w);
}

inline D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* pout) {
  if (!pout) return nullptr;
  *pout = D3DXQUATERNION(0, 0, 0, 1);
  return pout;
}

inline D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* pout, const D3DXQUATERNION* pq) {
  if (!pout || !pq) return nullptr;
  *pout = D3DXQUATERNION(-pq->x, -pq->y, -pq->z, pq->w);
  return pout;
}

// Matrices. Every function accepts its output as one of its inputs.
D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* pout, const D3DXMATRIX* pm);
FLOAT WINAPI D3DXMatrixDeterminant(const D3DXMATRIX* pm);
// Null when the matrix is singular (determinant 0); pdeterminant may be null.
D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* pout, FLOAT* pdeterminant, const D3DXMATRIX* pm);
D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pout, FLOAT sx, FLOAT sy, FLOAT sz);
D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pout, FLOAT x, FLOAT y, FLOAT z);
D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pout, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pout, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pout, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* pout, const D3DXVECTOR3* pv, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pout, FLOAT yaw, FLOAT pitch, FLOAT roll);
D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* pout, const D3DXQUATERNION* pq);
D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* pout, const D3DXVECTOR3* peye, const D3DXVECTOR3* pat,
                                      const D3DXVECTOR3* pup);
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pout, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf);
D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* pout, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf);

// Quaternions.
D3DXQUATERNION* WINAPI D3DXQuaternionNormalize(D3DXQUATERNION* pout, const D3DXQUATERNION* pq);
D3DXQUATERNION* WINAPI D3DXQuaternionRotationMatrix(D3DXQUATERNION* pout, const D3DXMATRIX* pm);
D3DXQUATERNION* WINAPI D3DXQuaternionRotationAxis(D3DXQUATERNION* pout, const D3DXVECTOR3* pv, FLOAT angle);
D3DXQUATERNION* WINAPI D3DXQuaternionSlerp(D3DXQUATERNION* pout, const D3DXQUATERNION* pq1,
                                           const D3DXQUATERNION* pq2, FLOAT t);

// Vectors. Normalising a zero vector gives the zero vector.
D3DXVECTOR2* WINAPI D3DXVec2Normalize(D3DXVECTOR2* pout, const D3DXVECTOR2* pv);
D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* pout, const D3DXVECTOR3* pv);
D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* pout, const D3DXVECTOR3* pv, const D3DXMATRIX* pm);
D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* pout, const D3DXVECTOR3* pv, const D3DXMATRIX* pm);
D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* pout, const D3DXVECTOR3* pv, const D3DXMATRIX* pm);
D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* pout, const D3DXVECTOR4* pv, const D3DXMATRIX* pm);
