#include <gtest/gtest.h>

#include "ModelFiles.h"
#include "xfile/AnimationReader.h"
#include "support/FrameLookup.h"

namespace xfile_test {
namespace {

std::vector<std::uint32_t> Ticks(const auto& keys) {
  std::vector<std::uint32_t> ticks;
  for (const auto& [tick, value] : keys) ticks.push_back(tick);
  return ticks;
}

TEST(AnimationKeys, RotationKeysAreWrittenWFirst) {
  XFileScene scene =
      Parse("AnimationSet walk { Animation { { Hip } AnimationKey { 0; 1; 5;4;1,0.5,0.25,0.125;;; } } }\n");
  ASSERT_EQ(scene.animationSets.size(), 1u);
  const XAnimationSet& set = scene.animationSets[0];
  EXPECT_EQ(set.name, L"walk");
  ASSERT_EQ(set.animations.size(), 1u);
  EXPECT_EQ(set.animations[0].frameName, L"Hip");
  const D3DXQUATERNION& q = set.animations[0].rotationKeys.at(5);
  EXPECT_EQ(q.w, 1.0f);
  EXPECT_EQ(q.x, 0.5f);
  EXPECT_EQ(q.y, 0.25f);
  EXPECT_EQ(q.z, 0.125f);
}

TEST(AnimationKeys, EveryKeyTypeGoesToItsMap) {
  XFileScene scene = Parse(
      "AnimationSet { Animation a {\n"
      " AnimationKey { 1; 1; 0;3;2,3,4;;; }\n AnimationKey { 2; 1; 0;3;5,6,7;;; }\n"
      " AnimationKey mat { 4; 1; 0;16;1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16;;; }\n { Knee } } }\n");
  const XAnimation& animation = scene.animationSets.at(0).animations.at(0);
  EXPECT_EQ(animation.frameName, L"Knee");
  EXPECT_EQ(animation.scaleKeys.at(0).z, 4.0f);
  EXPECT_EQ(animation.positionKeys.at(0).x, 5.0f);
  EXPECT_EQ(animation.matrixKeys.at(0)._41, 13.0f);
}

TEST(AnimationKeys, KeysRunByTickAndTheFirstOfATickWins) {
  XFileScene scene = Parse(
      "AnimationSet { Animation { AnimationKey { 2; 4;\n"
      " 0;3;0,0,0;;, 160;3;1,0,0;;, 80;3;2,0,0;;, 80;3;9,9,9;;; } } }\n");
  const XAnimationSet& set = scene.animationSets.at(0);
  const auto& keys = set.animations.at(0).positionKeys;
  EXPECT_EQ(Ticks(keys), (std::vector<std::uint32_t>{0, 80, 160}));
  EXPECT_EQ(keys.at(80).x, 2.0f);
  EXPECT_EQ(set.lastKeyTime, 160);
  EXPECT_EQ(set.animations[0].frameName, L"");
}

TEST(AnimationKeys, NegativeTimesSortLastAndDoNotRaiseTheLastKeyTime) {
  XFileScene scene = Parse(
      "AnimationSet a { Animation { AnimationKey { 2; 2; -5;3;0,0,0;;, 10;3;0,0,0;;; } } }\n"
      "AnimationSet b { Animation { AnimationKey { 2; 1; -5;3;0,0,0;;; } } }\n");
  const XAnimationSet& a = scene.animationSets.at(0);
  EXPECT_EQ(Ticks(a.animations.at(0).positionKeys), (std::vector<std::uint32_t>{10, 0xFFFFFFFBu}));
  EXPECT_EQ(a.lastKeyTime, 10);
  EXPECT_EQ(scene.animationSets.at(1).lastKeyTime, 0);
}

TEST(AnimationSets, EachSetHasItsOwnLastKeyTime) {
  XFileScene scene = Parse(
      "AnimationSet run { Animation { AnimationKey { 2; 1; 500;3;0,0,0;;; } } }\n"
      "AnimationSet idle { Animation { AnimationKey { 2; 1; 40;3;0,0,0;;; } } }\n");
  ASSERT_EQ(scene.animationSets.size(), 2u);
  EXPECT_EQ(scene.animationSets[0].lastKeyTime, 500);
  EXPECT_EQ(scene.animationSets[1].lastKeyTime, 40);
}

TEST(AnimationSets, UnknownKeyTypesAndOptionsAreSkippedWhole) {
  XFileScene scene = Parse(
      "AnimationSet { Animation {\n"
      " AnimationKey { 3; 1; 0;3;1,2,3;;; }\n AnimationOptions { 1; 0; }\n"
      " AnimationKey { 2; 0; }\n { Hip }\n AnimationKey { 2; 1; 7;3;1,2,3;;; } }\n"
      " Animation named { { Knee } } }\n");
  const XAnimationSet& set = scene.animationSets.at(0);
  ASSERT_EQ(set.animations.size(), 2u);
  EXPECT_EQ(set.animations[0].frameName, L"Hip");
  EXPECT_EQ(Ticks(set.animations[0].positionKeys), (std::vector<std::uint32_t>{7}));
  EXPECT_TRUE(set.animations[0].scaleKeys.empty());
  EXPECT_EQ(set.animations[1].frameName, L"Knee");
  EXPECT_EQ(set.lastKeyTime, 7);
}

TEST(AnimationSets, HugeKeyCountsAreReadAsFarAsTheFileGoes) {
  XFileScene scene = Parse("AnimationSet { Animation { AnimationKey { 0; 2000000000; 1;4;1,0,0,0;;; } } }\n");
  // The closing braces are read as one more key before the file ends.
  EXPECT_LE(scene.animationSets.at(0).animations.at(0).rotationKeys.size(), 2u);
}

TEST(AnimationSets, SetsAreReadInFileOrderBesideTheFrames) {
  XFileScene scene = Parse(
      "Frame Hip { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }\n"
      "AnimationSet first { Animation { {Hip} AnimationKey { 0; 1; 0;4;1,0,0,0;;; } } }\nFrame Tail { }\n");
  EXPECT_EQ(scene.animationSets.at(0).animations.at(0).frameName, L"Hip");
  EXPECT_EQ(FrameNamed(scene, L"Tail").parent, nullptr);
}

}  // namespace
}  // namespace xfile_test
