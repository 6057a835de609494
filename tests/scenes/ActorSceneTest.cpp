// The character viewer's scene: the animation tick, walking with W, a file
// without animation sets, and the effects when "mesh.cfx" is missing.
#include "SceneFixture.h"
#include "actorviewer/WindowEx.h"
#include "support/StderrCapture.h"

namespace {

class ActorSceneTest : public SceneFixture<WindowEx> {
 protected:
  ActorSceneTest() : SceneFixture({L"actorviewer", true, 10.0f}) {}
};

TEST_F(ActorSceneTest, TicksRunFromOneToTheLastKeyTimeThenStartAgain) {
  WindowEx& scene = Start(L"miko.x");
  ASSERT_NE(scene.character.sceneData, nullptr);
  const auto last = static_cast<std::uint32_t>(scene.character.sceneData->animationSets[0].lastKeyTime);
  ASSERT_GT(last, 2u);
  EXPECT_EQ(scene.character.animationTick, 0u);
  Frames(1);
  EXPECT_EQ(scene.character.animationTick, 1u);  // the first drawn frame shows tick 1
  Frames(static_cast<int>(last) - 1);
  EXPECT_EQ(scene.character.animationTick, last);  // the last key is drawn before the wrap
  Frames(1);
  EXPECT_EQ(scene.character.animationTick, 0u);
  Frames(1);
  EXPECT_EQ(scene.character.animationTick, 1u);
}

TEST_F(ActorSceneTest, HoldingWWalksOneUnitPerFrameAndTurnsTheCharacter) {
  WindowEx& scene = Start(L"miko.x");
  // A press acts from its second frame: 11 frames held walk 10 units, away
  // from the camera at -Z, and the character turns to face that way.
  HoldKey(SDL_SCANCODE_W, 11);
  ExpectWalkedForward(scene.character.position, 10.0f);
  D3DXMATRIX facingAway;
  D3DXMatrixRotationYawPitchRoll(&facingAway, std::atan2(-0.0f, -1.0f), 0, 0);
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR((&scene.character.rotation._11)[i], (&facingAway._11)[i], 1e-6f);
  EXPECT_EQ(scene.character.scale, D3DXVECTOR3(10, 10, 10));
  // Standing still keeps the place and the heading.
  Frames(5);
  ExpectWalkedForward(scene.character.position, 10.0f);
  EXPECT_NEAR(scene.character.rotation._11, -1.0f, 1e-6f);
}

TEST_F(ActorSceneTest, WithoutAnimationSetsTheTickKeepsCounting) {
  WindowEx& scene = Start(L"squarepolygon.x");
  ASSERT_NE(scene.character.sceneData, nullptr);
  Frames(100);
  EXPECT_EQ(scene.character.animationTick, 100u);
}

TEST_F(ActorSceneTest, SkinmeshIsNotLoadedWhenMeshFails) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / ("no-mesh-cfx-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::path assets = std::filesystem::path(XVIEW_SOURCE_DIR) / "assets";
  for (const char* name : {"skinmesh.cfx", "geometory.cfx", "miko.x", "miko.png"})
    std::filesystem::copy_file(assets / name, folder / name, std::filesystem::copy_options::overwrite_existing);
  StderrCapture captured;
  Start(L"miko.x", folder);
  std::string output = captured.Take();
  EXPECT_NE(output.find("mesh.cfx"), std::string::npos) << output;
  EXPECT_EQ(g_EffectMap.count(L"skinmesh.cfx"), 0u);
  EXPECT_EQ(g_EffectMap.count(L"mesh.cfx"), 0u);
  Frames(3);  // the grid and axes are drawn, the character is not
  std::filesystem::remove_all(folder);
}

}  // namespace
