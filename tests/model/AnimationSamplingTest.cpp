// Key-frame sampling: which keys a tick takes, how channels and matrix keys
// blend, and what leaves the frames alone.
#include <gtest/gtest.h>

#include "ModelTesting.h"
#include "model/Model.h"
#include "support/FrameLookup.h"

namespace {

using namespace modeltest;

class SamplingTest : public ::testing::Test {
 protected:
  SamplingTest() { AddFrame(scene_, L"F", nullptr, Translation(9, 9, 9)); }

  // The frame's local matrix after sampling the first set at `tick`.
  D3DXMATRIX SampleAt(std::uint32_t tick) {
    Model model;
    model.Setup(nullptr, &scene_);
    model.animationTick = tick;
    model.SampleAnimation();
    return FrameNamed(scene_, L"F").transform;
  }

  XAnimation& Animation(std::int32_t lastKeyTime = 10) { return AddAnimation(scene_, L"F", lastKeyTime); }

  XFileScene scene_;
};

TEST_F(SamplingTest, PositionKeysBlendBetweenKeysAndHoldTheLastOne) {
  XAnimation& a = Animation(20);
  a.positionKeys[0] = D3DXVECTOR3(0, 0, 0);
  a.positionKeys[10] = D3DXVECTOR3(10, 0, 0);
  ExpectMatrixNear(SampleAt(5), Translation(5, 0, 0));
  ExpectMatrixNear(SampleAt(10), Translation(10, 0, 0));
  ExpectMatrixNear(SampleAt(15), Translation(10, 0, 0));
  // On a key that is not the last, exactly that key's value.
  a.positionKeys[20] = D3DXVECTOR3(0, 0, 0);
  EXPECT_EQ(SampleAt(10).m[3][0], 10.0f);
}

TEST_F(SamplingTest, RotationKeysAreUsedWithTheirWNegated) {
  XAnimation& a = Animation();
  a.rotationKeys[0] = D3DXQUATERNION(0, 0, 0, 1);
  a.rotationKeys[10] = D3DXQUATERNION(0, 0, 0, 1);
  ExpectMatrixNear(SampleAt(3), Translation(0, 0, 0));

  a.rotationKeys.clear();
  const float half = std::sqrt(0.5f);
  a.rotationKeys[0] = D3DXQUATERNION(0, half, 0, half);
  // Only rotation keys: unit scale and no translation.
  ExpectMatrixNear(SampleAt(0), RotationY(-D3DX_PI / 2));
}

TEST_F(SamplingTest, EachChannelUsesItsOwnKeys) {
  XAnimation& a = Animation();
  a.scaleKeys[0] = D3DXVECTOR3(1, 1, 1);
  a.scaleKeys[8] = D3DXVECTOR3(5, 1, 1);
  a.rotationKeys[0] = D3DXQUATERNION(0, 0, 0, 1);
  a.rotationKeys[4] = D3DXQUATERNION(0, 0, 0, 1);
  // Tick 6: the scale channel is 3/4 of the way from its key 0 to its key 8;
  // the rotation channel lies past its last key.
  EXPECT_NEAR(SampleAt(6).m[0][0], 4.0f, 1e-5f);
}

TEST_F(SamplingTest, ATickBeforeTheFirstKeyTakesTheLastKey) {
  XAnimation& a = Animation();
  a.positionKeys[5] = D3DXVECTOR3(1, 0, 0);
  a.positionKeys[9] = D3DXVECTOR3(2, 0, 0);
  ExpectMatrixNear(SampleAt(2), Translation(2, 0, 0));
}

TEST_F(SamplingTest, MatrixKeysBlendScaleRotationAndTranslationApart) {
  XAnimation& a = Animation();
  a.matrixKeys[0] = Translation(0, 0, 0);
  a.matrixKeys[4] = Translation(4, 0, 0);
  a.positionKeys[0] = D3DXVECTOR3(100, 0, 0);  // ignored beside matrix keys
  ExpectMatrixNear(SampleAt(1), Translation(1, 0, 0));
  ExpectMatrixNear(SampleAt(4), Translation(4, 0, 0), 0);

  D3DXMATRIX scaledTurn;
  D3DXMatrixScaling(&scaledTurn, 3, 3, 3);
  a.matrixKeys[8] = Product(scaledTurn, Product(RotationY(D3DX_PI / 2), Translation(4, 0, 8)));
  D3DXMATRIX halfway;
  D3DXMatrixScaling(&halfway, 2, 2, 2);
  ExpectMatrixNear(SampleAt(6), Product(halfway, Product(RotationY(D3DX_PI / 4), Translation(4, 0, 4))), 1e-4f);
}

TEST_F(SamplingTest, OneModelSamplingTickAfterTickMatchesAFreshSearchEachTime) {
  XAnimation& a = Animation(40);
  for (std::uint32_t tick : {0u, 7u, 8u, 20u, 33u}) {
    float f = static_cast<float>(tick);
    a.positionKeys[tick] = D3DXVECTOR3(f, 2 * f, 0);
    a.rotationKeys[tick + 1] = D3DXQUATERNION(0, std::sin(f / 20), 0, std::cos(f / 20));
    a.scaleKeys[tick + 2] = D3DXVECTOR3(1 + f, 1, 1);
  }
  Model steady;
  steady.Setup(nullptr, &scene_);
  // Forward one tick at a time, then back to the start and a jump ahead, as
  // the animation starts again and as a set changes.
  std::vector<std::uint32_t> ticks;
  for (std::uint32_t tick = 0; tick <= 40; ++tick) ticks.push_back(tick);
  ticks.insert(ticks.end(), {0, 1, 25, 3, 40});
  for (std::uint32_t tick : ticks) {
    steady.animationTick = tick;
    steady.SampleAnimation();
    D3DXMATRIX sampled = FrameNamed(scene_, L"F").transform;
    ExpectMatrixNear(sampled, SampleAt(tick), 0);
  }
}

TEST(BlendMatricesTest, AZeroLengthRowIsScaleZeroAlongTheIdentity) {
  D3DXMATRIX flat = Translation(2, 0, 0);
  flat.m[1][1] = 0;  // the second row has no length
  D3DXMATRIX m = BlendMatrices(0.5f, flat, Translation(0, 0, 0));
  for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(reinterpret_cast<const float*>(&m)[i]));
  EXPECT_NEAR(m.m[1][1], 0.5f, 1e-6f);
  EXPECT_NEAR(m.m[0][0], 1.0f, 1e-6f);
  EXPECT_NEAR(m.m[3][0], 1.0f, 1e-6f);
}

TEST_F(SamplingTest, NothingChangesPastTheLastKeyTimeOrForAMissingSetOrFrame) {
  XAnimation& a = Animation(30);
  a.positionKeys[0] = D3DXVECTOR3(1, 0, 0);
  ExpectMatrixNear(SampleAt(31), Translation(9, 9, 9), 0);
  // Negative key times count as later than every tick.
  scene_.animationSets[0].lastKeyTime = -1;
  ExpectMatrixNear(SampleAt(1000), Translation(1, 0, 0), 0);

  Model model;
  model.Setup(nullptr, &scene_);
  model.animationSet = 1;
  FrameNamed(scene_, L"F").transform = Translation(9, 9, 9);
  model.SampleAnimation();
  ExpectMatrixNear(FrameNamed(scene_, L"F").transform, Translation(9, 9, 9), 0);

  // An animation of a frame the file does not define adds no frame.
  AddAnimation(scene_, L"ghost", 30).positionKeys[0] = D3DXVECTOR3(1, 1, 1);
  EXPECT_EQ(SampleAt(0).m[3][0], 1.0f);
  EXPECT_EQ(FramesNamed(scene_, L"ghost"), 0u);
}

}  // namespace
