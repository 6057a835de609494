#include <d3dx9.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kTolerance = 1e-5f;

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance = kTolerance) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      EXPECT_NEAR(expected.m[row][col], actual.m[row][col], tolerance) << "element " << row << "," << col;
}

void ExpectVectorNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tolerance = kTolerance) {
  EXPECT_NEAR(expected.x, actual.x, tolerance);
  EXPECT_NEAR(expected.y, actual.y, tolerance);
  EXPECT_NEAR(expected.z, actual.z, tolerance);
}

D3DXVECTOR3 TransformCoord(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &v, &m);
  return out;
}

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

TEST(D3DXTypes, LayoutsMatchTheSdk) {
  EXPECT_EQ(sizeof(D3DXVECTOR2), 8u);
  EXPECT_EQ(sizeof(D3DXVECTOR3), 12u);
  EXPECT_EQ(sizeof(D3DXVECTOR4), 16u);
  EXPECT_EQ(sizeof(D3DXQUATERNION), 16u);
  EXPECT_EQ(sizeof(D3DXMATRIX), 64u);
  D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  EXPECT_EQ(m(1, 2), 7.0f);
  EXPECT_EQ(m._43, 15.0f);
  EXPECT_EQ(static_cast<const float*>(m)[4], 5.0f);
}

TEST(D3DXMatrix, MultiplyAppliesLeftOperandFirstAndAllowsAliasing) {
  D3DXMATRIX scale, translate, product;
  D3DXMatrixScaling(&scale, 2, 3, 4);
  D3DXMatrixTranslation(&translate, 10, 20, 30);
  D3DXMatrixMultiply(&product, &scale, &translate);
  ExpectVectorNear(D3DXVECTOR3(12, 23, 34), TransformCoord(D3DXVECTOR3(1, 1, 1), product));
  // Written into its own left operand, the product must not read half-updated rows.
  D3DXMATRIX aliased = scale;
  D3DXMatrixMultiply(&aliased, &aliased, &translate);
  ExpectMatrixNear(product, aliased);
  ExpectMatrixNear(product, scale * translate);
  D3DXMATRIX accumulated = scale;
  accumulated *= translate;
  ExpectMatrixNear(product, accumulated);
}

TEST(D3DXMatrix, InverseGivesIdentityAndDeterminant) {
  D3DXMATRIX rotation, translation, scale, m, inverse;
  D3DXMatrixRotationYawPitchRoll(&rotation, 0.3f, -0.7f, 1.1f);
  D3DXMatrixTranslation(&translation, 4, -5, 6);
  D3DXMatrixScaling(&scale, 2, 2, 2);
  m = scale * rotation * translation;
  float determinant = 0;
  ASSERT_EQ(&inverse, D3DXMatrixInverse(&inverse, &determinant, &m));
  EXPECT_NEAR(8.0f, determinant, 1e-4f);
  ExpectMatrixNear(Identity(), m * inverse);
  ASSERT_NE(nullptr, D3DXMatrixInverse(&m, nullptr, &m));
  ExpectMatrixNear(inverse, m);
}

TEST(D3DXMatrix, InverseOfSingularMatrixIsNullAndLeavesOutputAlone) {
  D3DXMATRIX singular;
  D3DXMatrixScaling(&singular, 1, 0, 1);
  D3DXMATRIX out = Identity();
  float determinant = 5;
  EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, &determinant, &singular));
  EXPECT_EQ(0.0f, determinant);
  ExpectMatrixNear(Identity(), out);
}

TEST(D3DXMatrix, RotationsAreLeftHanded) {
  const float quarter = D3DX_PI / 2;
  D3DXMATRIX yaw;
  D3DXMatrixRotationY(&yaw, quarter);
  // Seen from above (+Y), a positive angle turns +X towards -Z and +Z towards +X.
  ExpectVectorNear(D3DXVECTOR3(0, 0, -1), TransformCoord(D3DXVECTOR3(1, 0, 0), yaw));
  ExpectVectorNear(D3DXVECTOR3(1, 0, 0), TransformCoord(D3DXVECTOR3(0, 0, 1), yaw));
  EXPECT_NEAR(-1.0f, yaw._13, kTolerance);

  D3DXMATRIX ypr, roll, pitch, expected;
  D3DXMatrixRotationYawPitchRoll(&ypr, 0.5f, 0.25f, -0.75f);
  D3DXMatrixRotationZ(&roll, -0.75f);
  D3DXMatrixRotationX(&pitch, 0.25f);
  D3DXMatrixRotationY(&yaw, 0.5f);
  expected = roll * pitch * yaw;  // roll first, then pitch, then yaw
  ExpectMatrixNear(expected, ypr);
  D3DXMatrixRotationYawPitchRoll(&ypr, 0.5f, 0, 0);
  ExpectMatrixNear(yaw, ypr);
}

TEST(D3DXMatrix, TransposeSwapsRowsAndColumnsInPlace) {
  D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  D3DXMatrixTranspose(&m, &m);
  EXPECT_EQ(D3DXMATRIX(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16), m);
}

TEST(D3DXMatrix, LookAtLHPutsTheTargetOnThePositiveZAxis) {
  const D3DXVECTOR3 eye(0, 30, -100), at(0, 5, 0), up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  ExpectVectorNear(D3DXVECTOR3(0, 0, 0), TransformCoord(eye, view), 1e-4f);
  const D3DXVECTOR3 offset = at - eye;
  const float distance = D3DXVec3Length(&offset);
  ExpectVectorNear(D3DXVECTOR3(0, 0, distance), TransformCoord(at, view), 1e-4f);
  // A point to the camera's right (+X in the world here) lands on +X in view space.
  EXPECT_GT(TransformCoord(D3DXVECTOR3(10, 5, 0), view).x, 0.0f);
  EXPECT_GT(TransformCoord(D3DXVECTOR3(0, 50, 0), view).y, 0.0f);
}

TEST(D3DXMatrix, PerspectiveFovLHMapsNearAndFarToZeroAndOne) {
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 640.0f / 480.0f, 0.1f, 1000.0f);
  const float yScale = 1.0f / std::tan(D3DX_PI / 8);
  EXPECT_NEAR(yScale, projection._22, 1e-5f);
  EXPECT_NEAR(yScale * 480.0f / 640.0f, projection._11, 1e-5f);
  EXPECT_EQ(1.0f, projection._34);
  EXPECT_EQ(0.0f, projection._44);
  EXPECT_NEAR(0.0f, TransformCoord(D3DXVECTOR3(0, 0, 0.1f), projection).z, 1e-5f);
  EXPECT_NEAR(1.0f, TransformCoord(D3DXVECTOR3(0, 0, 1000), projection).z, 1e-5f);
  // The top edge of the field of view maps to y = 1.
  EXPECT_NEAR(1.0f, TransformCoord(D3DXVECTOR3(0, std::tan(D3DX_PI / 8) * 10, 10), projection).y, 1e-5f);
}

TEST(D3DXQuaternion, MatrixRoundTripAtEveryBranch) {
  // Angles near 180 degrees take the branches that divide by a diagonal element.
  const D3DXVECTOR3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, -3}};
  for (const D3DXVECTOR3& axis : axes) {
    for (float angle : {0.4f, 3.1f}) {
      D3DXQUATERNION q, back;
      D3DXQuaternionRotationAxis(&q, &axis, angle);
      D3DXMATRIX fromQuaternion, fromAxis;
      D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
      D3DXMatrixRotationAxis(&fromAxis, &axis, angle);
      ExpectMatrixNear(fromAxis, fromQuaternion);
      D3DXQuaternionRotationMatrix(&back, &fromQuaternion);
      // q and -q are the same rotation.
      const float sign = D3DXQuaternionDot(&q, &back) < 0 ? -1.0f : 1.0f;
      EXPECT_NEAR(q.x, sign * back.x, 1e-4f);
      EXPECT_NEAR(q.y, sign * back.y, 1e-4f);
      EXPECT_NEAR(q.z, sign * back.z, 1e-4f);
      EXPECT_NEAR(q.w, sign * back.w, 1e-4f);
    }
  }
  D3DXMATRIX yaw, fromQuaternion;
  D3DXQUATERNION q(0, std::sin(0.35f), 0, std::cos(0.35f));
  D3DXMatrixRotationY(&yaw, 0.7f);
  D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
  ExpectMatrixNear(yaw, fromQuaternion);
}

TEST(D3DXQuaternion, SlerpInterpolatesAlongTheShorterArc) {
  const D3DXVECTOR3 up(0, 1, 0);
  D3DXQUATERNION from, to, half, expected;
  D3DXQuaternionRotationAxis(&from, &up, 0.2f);
  D3DXQuaternionRotationAxis(&to, &up, 1.0f);
  D3DXQuaternionSlerp(&half, &from, &to, 0.5f);
  D3DXQuaternionRotationAxis(&expected, &up, 0.6f);
  EXPECT_NEAR(expected.y, half.y, 1e-5f);
  EXPECT_NEAR(expected.w, half.w, 1e-5f);
  // The negated target is the same rotation; the result must not swing the long way.
  const D3DXQUATERNION negated = -to;
  D3DXQuaternionSlerp(&half, &from, &negated, 0.5f);
  EXPECT_NEAR(expected.y, half.y, 1e-5f);
  EXPECT_NEAR(expected.w, half.w, 1e-5f);
  D3DXQuaternionSlerp(&half, &from, &to, 0.0f);
  EXPECT_NEAR(from.y, half.y, 1e-6f);
  D3DXQuaternionSlerp(&half, &from, &to, 1.0f);
  EXPECT_NEAR(to.y, half.y, 1e-6f);
  // Equal inputs must not divide by a vanishing sine.
  D3DXQuaternionSlerp(&half, &from, &from, 0.3f);
  EXPECT_NEAR(from.w, half.w, 1e-6f);
  EXPECT_FALSE(std::isnan(half.x));
}

TEST(D3DXQuaternion, NormalizeAndProductOrder) {
  D3DXQUATERNION q(0, 3, 0, 4), unit;
  D3DXQuaternionNormalize(&unit, &q);
  EXPECT_NEAR(0.6f, unit.y, 1e-6f);
  EXPECT_NEAR(0.8f, unit.w, 1e-6f);
  const D3DXQUATERNION zero(0, 0, 0, 0);
  D3DXQuaternionNormalize(&unit, &zero);
  EXPECT_EQ(zero, unit);

  // q1 * q2 rotates by q1 first, as the matrix product does.
  const D3DXVECTOR3 xAxis(1, 0, 0), yAxis(0, 1, 0);
  D3DXQUATERNION qx, qy;
  D3DXQuaternionRotationAxis(&qx, &xAxis, 0.5f);
  D3DXQuaternionRotationAxis(&qy, &yAxis, 0.9f);
  D3DXMATRIX mx, my, fromProduct;
  D3DXMatrixRotationQuaternion(&mx, &qx);
  D3DXMatrixRotationQuaternion(&my, &qy);
  const D3DXQUATERNION product = qx * qy;
  D3DXMatrixRotationQuaternion(&fromProduct, &product);
  ExpectMatrixNear(mx * my, fromProduct);
}

TEST(D3DXVector, NormalizeLeavesZeroVectorsZero) {
  D3DXVECTOR3 v3(3, 0, -4), n3;
  D3DXVec3Normalize(&n3, &v3);
  ExpectVectorNear(D3DXVECTOR3(0.6f, 0, -0.8f), n3, 1e-6f);
  const D3DXVECTOR3 zero3(0, 0, 0);
  D3DXVec3Normalize(&n3, &zero3);
  EXPECT_EQ(zero3, n3);

  D3DXVECTOR2 v2(0, -2), n2;
  D3DXVec2Normalize(&n2, &v2);
  EXPECT_EQ(D3DXVECTOR2(0, -1), n2);
  const D3DXVECTOR2 zero2(0, 0);
  D3DXVec2Normalize(&n2, &zero2);
  EXPECT_EQ(zero2, n2);
  const D3DXVECTOR2 sides(3, 4);
  EXPECT_EQ(5.0f, D3DXVec2Length(&sides));
}

TEST(D3DXVector, CrossDotAndLength) {
  const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
  D3DXVECTOR3 z;
  D3DXVec3Cross(&z, &x, &y);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 1), z);
  // Output aliased with an input.
  D3DXVECTOR3 a(1, 2, 3);
  const D3DXVECTOR3 b(4, 5, 6);
  D3DXVec3Cross(&a, &a, &b);
  EXPECT_EQ(D3DXVECTOR3(-3, 6, -3), a);
  const D3DXVECTOR3 c(1, 2, 3);
  EXPECT_EQ(32.0f, D3DXVec3Dot(&c, &b));
  EXPECT_NEAR(std::sqrt(14.0f), D3DXVec3Length(&c), 1e-6f);
}

TEST(D3DXVector, TransformKeepsOrDividesByW) {
  D3DXMATRIX m(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 5, 6, 7, 2);
  const D3DXVECTOR3 v(1, 2, 3);
  D3DXVECTOR4 h;
  D3DXVec3Transform(&h, &v, &m);
  EXPECT_EQ(D3DXVECTOR4(6, 8, 10, 5), h);
  ExpectVectorNear(D3DXVECTOR3(6 / 5.0f, 8 / 5.0f, 2), TransformCoord(v, m));
}

}  // namespace
