// The character viewer's keys, title and dropped files, driven through the
// layer's keyboard and drop events on a small model of two frames and two
// animation sets.
#include <cstring>
#include <fstream>

#include "SceneControls.h"
#include "SceneFixture.h"
#include "actorviewer/WindowEx.h"
#include "common/Playback.h"
#include "compat/testing_draw.h"
#include "render/NormalDrawing.h"
#include "render/SkeletonDrawing.h"
#include "support/StderrCapture.h"

namespace {

using namespace scene_controls;

// Root moves along x from 0 to 10 between ticks 0 and 10, back to 0 at 40;
// Arm, a child 2 above it, rises from 5 to 9 over set "Both" and is not
// animated by set "RootOnly".
const char* kTwoSets =
    "xof 0303txt 0032\n"
    "AnimTicksPerSecond { 100; }\n"
    "Frame Root { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
    " Frame Arm { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,2,0,1;; }\n"
    "  Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; } } }\n"
    "AnimationSet Both {\n"
    " Animation { { Root } AnimationKey { 2; 3; 0;3;0,0,0;;, 10;3;10,0,0;;, 40;3;0,0,0;;; } }\n"
    " Animation { { Arm } AnimationKey { 2; 2; 0;3;0,5,0;;, 40;3;0,9,0;;; } } }\n"
    "AnimationSet RootOnly {\n"
    " Animation { { Root } AnimationKey { 2; 2; 0;3;0,0,0;;, 20;3;0,0,4;;; } } }\n";

class ActorControlsTest : public SceneFixture<WindowEx> {
 protected:
  ActorControlsTest() : SceneFixture({L"actorviewer", true, 10.0f}) {}
  ~ActorControlsTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  WindowEx& StartTwoSets() {
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "twosets.x") << kTwoSets;
    return Start((folder_ / "twosets.x").wstring());
  }
  const XFrame& Frame(WindowEx& scene, std::size_t index) { return scene.character.sceneData->frames.at(index); }

  std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / ("actor-controls-" + std::to_string(getpid()));
};

TEST_F(ActorControlsTest, PauseHoldsTheTickAndStepsWalkTheKeyTimesBothWays) {
  UseFrameTime(0.1);
  WindowEx& scene = StartTwoSets();
  Frames(3);
  TapKey(SDL_SCANCODE_SPACE);  // acts on the frame it reads Pressed, before the tick moves
  EXPECT_EQ(scene.character.animationTick, 3.0);
  Frames(5);
  EXPECT_EQ(scene.character.animationTick, 3.0);

  TapKey(SDL_SCANCODE_RIGHT);
  EXPECT_EQ(scene.character.animationTick, 10.0);
  TapKey(SDL_SCANCODE_RIGHT);
  EXPECT_EQ(scene.character.animationTick, 40.0);
  TapKey(SDL_SCANCODE_RIGHT);  // past the last key: round to the first
  EXPECT_EQ(scene.character.animationTick, 0.0);
  TapKey(SDL_SCANCODE_LEFT);
  EXPECT_EQ(scene.character.animationTick, 40.0);
  EXPECT_NEAR(Frame(scene, 1).transform._42, 9.0f, 1e-5f);  // the picture follows the step

  // Held: one step on the press, none until 0.4 s, then one per frame.
  scripted_input::Key(SDL_SCANCODE_RIGHT, true);
  Frames(1);
  EXPECT_EQ(scene.character.animationTick, 0.0);
  Frames(3);  // held 0.3 s
  EXPECT_EQ(scene.character.animationTick, 0.0);
  Frames(1);  // 0.4 s
  EXPECT_EQ(scene.character.animationTick, 10.0);
  Frames(1);
  EXPECT_EQ(scene.character.animationTick, 40.0);
  scripted_input::Key(SDL_SCANCODE_RIGHT, false);
  Frames(2);
  EXPECT_EQ(scene.character.animationTick, 40.0);

  TapKey(SDL_SCANCODE_SPACE);  // playing again: a tick per frame, wrapping after 40
  EXPECT_EQ(scene.character.animationTick, 1.0);
}

// A heavy model draws few frames a second: a quick tap falls between two.
TEST_F(ActorControlsTest, TapsBetweenFramesActOncePerPressAndTwiceUndoAToggle) {
  WindowEx& scene = StartTwoSets();
  Frames(3);
  TapBetweenFrames(SDL_SCANCODE_SPACE);
  Frames(1);
  EXPECT_TRUE(scene.playback.Paused());
  EXPECT_EQ(scene.character.animationTick, 3.0);
  TapBetweenFrames(SDL_SCANCODE_RIGHT, 2);  // two steps: 3 -> 10 -> 40
  Frames(1);
  EXPECT_EQ(scene.character.animationTick, 40.0);
  TapBetweenFrames(SDL_SCANCODE_T, 2);
  TapBetweenFrames(SDL_SCANCODE_B, 2);
  TapBetweenFrames(SDL_SCANCODE_EQUALS, 2);
  TapBetweenFrames(SDL_SCANCODE_PAGEDOWN, 3);  // of two sets: 0 -> 1 -> 0 -> 1
  Frames(1);
  EXPECT_FALSE(scene.playback.RealTime());
  EXPECT_FALSE(scene.skeleton);
  EXPECT_EQ(scene.playback.Rate(), 4.0);
  EXPECT_EQ(scene.character.animationSet, 1u);
  TapBetweenFrames(SDL_SCANCODE_X, 3);
  TapBetweenFrames(SDL_SCANCODE_MINUS);
  Frames(1);
  EXPECT_TRUE(scene.wireframe);
  EXPECT_EQ(scene.playback.Rate(), 2.0);
}

TEST_F(ActorControlsTest, StepsDoNothingWhilePlaying) {
  WindowEx& scene = StartTwoSets();
  Frames(2);
  TapKey(SDL_SCANCODE_RIGHT);
  EXPECT_EQ(scene.character.animationTick, 4.0);
}

TEST_F(ActorControlsTest, SwitchingSetsRestartsAtZeroAndReturnsUnanimatedFramesToTheFile) {
  WindowEx& scene = StartTwoSets();
  Frames(20);
  EXPECT_NEAR(Frame(scene, 1).transform._42, 7.0f, 1e-5f);  // Arm halfway from 5 to 9

  TapKey(SDL_SCANCODE_SPACE);
  TapKey(SDL_SCANCODE_PAGEDOWN);
  EXPECT_EQ(scene.character.animationSet, 1u);
  EXPECT_EQ(scene.character.animationTick, 0.0);
  EXPECT_EQ(Frame(scene, 1).transform, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 2, 0, 1));
  EXPECT_EQ(Frame(scene, 0).transform._41, 0.0f);  // Root as set 1 has it at tick 0

  TapKey(SDL_SCANCODE_PAGEDOWN);  // wraps to the first set
  EXPECT_EQ(scene.character.animationSet, 0u);
  TapKey(SDL_SCANCODE_PAGEUP);  // and back round the other way
  EXPECT_EQ(scene.character.animationSet, 1u);
  TapKey(SDL_SCANCODE_SPACE);
  Frames(8);
  EXPECT_EQ(scene.character.animationTick, 10.0);
  EXPECT_NEAR(Frame(scene, 0).transform._43, 2.0f, 1e-5f);
  EXPECT_EQ(Frame(scene, 1).transform._42, 2.0f);
}

TEST_F(ActorControlsTest, SlowPlaybackSamplesBetweenTicks) {
  WindowEx& scene = StartTwoSets();
  TapKey(SDL_SCANCODE_MINUS);     // 1/2
  TapKey(SDL_SCANCODE_KP_MINUS);  // 1/4
  EXPECT_EQ(scene.playback.Rate(), 0.25);
  const double before = scene.character.animationTick;
  Frames(1);
  EXPECT_EQ(scene.character.animationTick, before + 0.25);
  EXPECT_NE(std::floor(scene.character.animationTick), scene.character.animationTick);
  // Root is drawn between its keys at the fractional tick, not at a whole one.
  EXPECT_NEAR(Frame(scene, 0).transform._41, static_cast<float>(scene.character.animationTick), 1e-5f);
  TapKey(SDL_SCANCODE_EQUALS);
  TapKey(SDL_SCANCODE_KP_PLUS);
  EXPECT_EQ(scene.playback.Rate(), 1.0);
}

TEST(PlaybackRate, KeysStayBetweenOneSixtyFourthAndFourThousandNinetySix) {
  Playback playback;
  for (int i = 0; i < 20; ++i) playback.Faster();
  EXPECT_EQ(playback.Rate(), Playback::kFastest);
  for (int i = 0; i < 30; ++i) playback.Slower();
  EXPECT_EQ(playback.Rate(), Playback::kSlowest);
  Playback fast(10000.0);  // --speed takes any positive factor; the keys do not push it into range
  fast.Faster();
  EXPECT_EQ(fast.Rate(), 10000.0);
  fast.Slower();
  EXPECT_EQ(fast.Rate(), 5000.0);
}

TEST(PlaybackAdvance, WrapsAfterTheLastKeyAndWithoutSetsAtTwoToThe32) {
  Playback playback(4.0);
  PlaybackClip clip;
  clip.hasSet = true;
  clip.lastKeyTime = 10.0;
  EXPECT_EQ(playback.Advance(8.0, 0.0, clip), 0.0);
  EXPECT_EQ(playback.Advance(6.0, 0.0, clip), 10.0);
  PlaybackClip none;
  EXPECT_EQ(Playback(1.0).Advance(4294967295.0, 0.0, none), 0.0);
}

TEST_F(ActorControlsTest, RealTimeFollowsTheClockAtTheFilesTicksPerSecond) {
  UseFrameTime(0.0);
  WindowEx& scene = StartTwoSets();
  TapKey(SDL_SCANCODE_T);
  EXPECT_TRUE(scene.playback.RealTime());
  EXPECT_EQ(scene.character.animationTick, 0.0);  // no time has passed
  compat::testing::AdvancePerformanceCounter(kCountsPerSecond / 4);
  Frames(1);
  EXPECT_DOUBLE_EQ(scene.character.animationTick, 25.0);  // 100 ticks per second x 0.25 s
  TapKey(SDL_SCANCODE_EQUALS);  // twice as fast on the clock
  compat::testing::AdvancePerformanceCounter(kCountsPerSecond / 20);
  Frames(1);
  EXPECT_DOUBLE_EQ(scene.character.animationTick, 35.0);
  TapKey(SDL_SCANCODE_T);  // back to frames: two ticks each at the doubled rate
  EXPECT_DOUBLE_EQ(scene.character.animationTick, 39.0);
}

TEST_F(ActorControlsTest, RealTimeWithoutAFileRateUsesSixty) {
  UseFrameTime(0.5);
  std::filesystem::create_directories(folder_);
  std::ofstream(folder_ / "norate.x") << "xof 0303txt 0032\n"
                                         "Frame R { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }\n"
                                         "AnimationSet A { Animation { { R } AnimationKey { 2; 1; 100;3;0,0,0;;; } } }\n";
  WindowEx& scene = Start((folder_ / "norate.x").wstring());
  TapKey(SDL_SCANCODE_T);  // the press frame already runs on the clock: 0.5 s each
  EXPECT_DOUBLE_EQ(scene.character.animationTick, 60.0);
}

TEST_F(ActorControlsTest, FramingPutsTheCharactersBoundsInView) {
  WindowEx& scene = Start(L"miko.x");
  Frames(2);
  TapKey(SDL_SCANCODE_F);
  ExpectInView(PosedModelBounds(scene.character), scene.camera);
  EXPECT_EQ(scene.nearPlane, 0.1f);
  EXPECT_EQ(scene.farPlane, 1000.0f);
  // The camera kept its direction: still from behind and above.
  EXPECT_LT(scene.camera.eye.z, scene.camera.lookAt.z);
  EXPECT_GT(scene.camera.eye.y, scene.camera.lookAt.y);
}

class HugeActorTest : public SceneFixture<WindowEx> {
 protected:
  HugeActorTest() : SceneFixture({L"actorviewer", true, 2000.0f}) {}
};

TEST_F(HugeActorTest, FramingMovesTheFarPlaneOutForAModelBeyondIt) {
  WindowEx& scene = Start(L"miko.x");
  TapKey(SDL_SCANCODE_F);
  EXPECT_GT(scene.farPlane, 1000.0f);
  ExpectInView(PosedModelBounds(scene.character), scene.camera);
}

TEST_F(ActorControlsTest, SkeletonIsYellowLinesDrawnWithoutDepthTestOnlyWhileOn) {
  WindowEx& scene = StartTwoSets();
  auto trace = [&] {
    compat::testing::StartTrace();
    Frames(1);
    return compat::testing::StopTrace();
  };
  auto has = [](const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  std::vector<std::string> off = trace();
  EXPECT_FALSE(has(off, "SetRenderState 7 0"));

  TapKey(SDL_SCANCODE_B);
  ASSERT_TRUE(scene.skeleton);
  std::vector<std::string> on = trace();
  auto depthOff = std::find(on.begin(), on.end(), "SetRenderState 7 0");
  ASSERT_NE(depthOff, on.end());
  auto lines = std::find(depthOff, on.end(), "DrawPrimitiveUP 2 1 16");  // Root to Arm: one line
  ASSERT_NE(lines, on.end());
  EXPECT_NE(std::find(lines, on.end(), "SetRenderState 7 1"), on.end());  // the depth test restored
  std::vector<std::uint8_t> data = compat::testing::LastUserPrimitiveData();
  ASSERT_EQ(data.size(), 2 * sizeof(ColorVertex));
  ColorVertex vertices[2];
  std::memcpy(vertices, data.data(), data.size());
  EXPECT_EQ(vertices[0].color, kSkeletonColor);
  EXPECT_EQ(vertices[1].color, kSkeletonColor);
  // Model space: from Root's origin to Arm's, 2 above it plus its animation.
  EXPECT_EQ(vertices[0].x, Frame(scene, 0).transform._41);
  EXPECT_NEAR(vertices[1].y - vertices[0].y, Frame(scene, 1).transform._42, 1e-5f);
}

// A square skinned whole to one bone whose frame is turned 90 degrees about Y.
const char* kTurnedSkin =
    "xof 0303txt 0032\n"
    "Frame Bone { FrameTransformMatrix { 0,0,-1,0, 0,1,0,0, 1,0,0,0, 0,0,0,1;; }\n"
    " Mesh { 4; -1;0;0;, -1;2;0;, 1;2;0;, 1;0;0;; 2; 3;0,1,2;, 3;0,2,3;;\n"
    "  XSkinMeshHeader { 1; 1; 1; }\n"
    "  SkinWeights { \"Bone\"; 4; 0,1,2,3; 1,1,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } } }\n";

TEST_F(ActorControlsTest, NormalsAreCyanDepthTestedLinesAlongThePosedNormals) {
  std::filesystem::create_directories(folder_);
  std::ofstream(folder_ / "turned.x") << kTurnedSkin;
  WindowEx& scene = Start((folder_ / "turned.x").wstring());
  ASSERT_TRUE(scene.character.meshes.at(0).IsSkinned());
  compat::testing::StartTrace();
  TapKey(SDL_SCANCODE_N);
  const std::vector<std::string> trace = compat::testing::StopTrace();
  ASSERT_TRUE(scene.normals);
  EXPECT_NE(std::find(trace.begin(), trace.end(), "DrawPrimitiveUP 2 4 16"), trace.end());
  EXPECT_EQ(std::find(trace.begin(), trace.end(), "SetRenderState 7 0"), trace.end());
  const std::vector<std::uint8_t> data = compat::testing::LastUserPrimitiveData();
  ASSERT_EQ(data.size(), 8 * sizeof(ColorVertex));
  ColorVertex lines[8];
  std::memcpy(lines, data.data(), data.size());
  // The bone turns the square to face -X, ten times its size: its first
  // corner (-1, 0, 0) lands on (0, 0, 10) and faces (-1, 0, 0); the line is
  // 2 % of the diagonal of the posed square's box, 20 by 20.
  const float length = 0.02f * std::sqrt(800.0f);
  EXPECT_NEAR(lines[0].x, 0.0f, 1e-4f);
  EXPECT_NEAR(lines[0].y, 0.0f, 1e-4f);
  EXPECT_NEAR(lines[0].z, 10.0f, 1e-4f);
  EXPECT_NEAR(lines[1].x, -length, 1e-4f);
  EXPECT_NEAR(lines[1].y, 0.0f, 1e-4f);
  EXPECT_NEAR(lines[1].z, 10.0f, 1e-4f);
  for (const ColorVertex& vertex : lines) EXPECT_EQ(vertex.color, kNormalColor);

  compat::testing::StartTrace();
  TapBetweenFrames(SDL_SCANCODE_N);
  Frames(1);
  const std::vector<std::string> off = compat::testing::StopTrace();
  EXPECT_FALSE(scene.normals);
  EXPECT_EQ(std::find(off.begin(), off.end(), "DrawPrimitiveUP 2 4 16"), off.end());
}

TEST_F(ActorControlsTest, ISaysWhatTheModelHoldsAsXfileinfoSummaryDoes) {
  const std::string file = std::string(XVIEW_TEST_DATA) + "/summary/character.x";
  Start(FromUtf8(file));
  const std::string text = SaidForTap(SDL_SCANCODE_I);
  EXPECT_NE(text.find("animation sets: 2, 100 ticks a second\n"), std::string::npos) << text;
  EXPECT_EQ(text, ToolOutput(std::string(XVIEW_XFILEINFO) + " --summary " + file));
}

TEST_F(ActorControlsTest, WireframeSetsTheFillModeOnlyAroundTheModelWhileOn) {
  WindowEx& scene = StartTwoSets();
  compat::testing::StartTrace();
  Frames(1);
  std::vector<std::string> off = compat::testing::StopTrace();
  EXPECT_EQ(std::count_if(off.begin(), off.end(),
                          [](const std::string& line) { return line.rfind("SetRenderState 8 ", 0) == 0; }),
            0);
  TapKey(SDL_SCANCODE_X);
  EXPECT_TRUE(scene.wireframe);
  compat::testing::StartTrace();
  Frames(1);
  std::vector<std::string> on = compat::testing::StopTrace();
  auto wire = std::find(on.begin(), on.end(), "SetRenderState 8 2");
  ASSERT_NE(wire, on.end());
  EXPECT_NE(std::find(wire, on.end(), "SetRenderState 8 3"), on.end());
}

TEST_F(ActorControlsTest, F12SavesTheNextFreeNumberAndSaysItsName) {
  WindowEx& scene = StartTwoSets();
  std::filesystem::current_path(folder_);
  std::ofstream(folder_ / "actorviewer-0001.png") << "taken";
  StderrCapture captured;
  TapKey(SDL_SCANCODE_F12);
  std::string said = captured.Take();
  std::filesystem::current_path(previous_);
  EXPECT_NE(said.find("actorviewer-0002.png"), std::string::npos) << said;
  ASSERT_TRUE(std::filesystem::exists(folder_ / "actorviewer-0002.png"));
  std::ifstream picture(folder_ / "actorviewer-0002.png", std::ios::binary);
  char signature[4] = {};
  picture.read(signature, 4);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "actorviewer-0003.png"));  // once per press
  (void)scene;
}

TEST_F(ActorControlsTest, HelpListsTheKeysAndEscapeAsksToClose) {
  WindowEx& scene = StartTwoSets();
  StderrCapture captured;
  TapKey(SDL_SCANCODE_H);
  TapKey(SDL_SCANCODE_F1);
  std::string said = captured.Take();
  std::size_t first = said.find("Controls (keys");
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_NE(said.find("Controls (keys", first + 1), std::string::npos) << said;  // H and F1 alike
  EXPECT_NE(said.find("Page Down / Page Up"), std::string::npos) << said;
  EXPECT_NE(said.find("actorviewer-0001.png"), std::string::npos) << said;
  TapKey(SDL_SCANCODE_ESCAPE);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, scene.GetHandle(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
}

TEST_F(ActorControlsTest, TitleSaysWhatIsShownAFewTimesASecond) {
  UseFrameTime(0.1);
  WindowEx& scene = StartTwoSets();
  SDL_Window* window = compat::testing::SdlWindowOf(scene.GetHandle());
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Application");
  Frames(2);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Application");
  Frames(1);  // 0.3 s
  EXPECT_STREQ(SDL_GetWindowTitle(window), "actorviewer - twosets.x - set 0 \"Both\" of 2 - tick 3.0 of 40 - 1x - 10.0 fps");
  TapKey(SDL_SCANCODE_SPACE);
  TapKey(SDL_SCANCODE_T);
  EXPECT_STREQ(SDL_GetWindowTitle(window),
               "actorviewer - twosets.x - set 0 \"Both\" of 2 - tick 3.0 of 40 - real time 1x - paused - 10.0 fps");
}

TEST_F(ActorControlsTest, AWatchedModelReadAgainKeepsTheSetTheTickAndThePlayback) {
  UseFrameTime(0.1);
  Options({"--watch"});
  WindowEx& scene = StartTwoSets();
  TapKey(SDL_SCANCODE_PAGEDOWN);  // set 1 from tick 0
  Frames(2);
  TapKey(SDL_SCANCODE_SPACE);
  TapKey(SDL_SCANCODE_EQUALS);
  const double tick = scene.character.animationTick;
  ASSERT_GT(tick, 0.0);
  const XFileScene* before = scene.character.sceneData;
  // The arm moves up a unit in the new export.
  std::string moved = kTwoSets;
  moved.replace(moved.find("0,2,0,1;;"), 9, "0,3,0,1;;");
  std::ofstream(folder_ / "twosets.x") << moved;
  std::filesystem::last_write_time(folder_ / "twosets.x",
                                   std::filesystem::file_time_type::clock::now() + std::chrono::seconds(2));
  Frames(11);
  ASSERT_NE(scene.character.sceneData, before);
  EXPECT_EQ(scene.character.animationSet, 1u);
  EXPECT_EQ(scene.character.animationTick, tick);
  EXPECT_TRUE(scene.playback.Paused());
  EXPECT_EQ(scene.playback.Rate(), 2.0);
  EXPECT_EQ(Frame(scene, 1).transform._42, 3.0f);  // set 1 leaves the arm where the file has it

  // A file without that set plays set 0 from its start.
  std::string oneSet = kTwoSets;
  oneSet.erase(oneSet.find("AnimationSet RootOnly"));
  std::ofstream(folder_ / "twosets.x") << oneSet;
  std::filesystem::last_write_time(folder_ / "twosets.x",
                                   std::filesystem::file_time_type::clock::now() + std::chrono::seconds(4));
  Frames(11);
  EXPECT_EQ(scene.character.sceneData->animationSets.size(), 1u);
  EXPECT_EQ(scene.character.animationSet, 0u);
  EXPECT_EQ(scene.character.animationTick, 0.0);
}

TEST_F(ActorControlsTest, ADroppedModelReplacesTheOldOneWhichIsReleased) {
  WindowEx& scene = Start(L"miko.x");
  Frames(1);
  const long withMiko = compat::testing::LiveObjectCount();
  const std::wstring miko = g_ModelFileName;
  const std::string square = (std::filesystem::path(XVIEW_SOURCE_DIR) / "assets" / "squarepolygon.x").string();
  DropFiles(scene.GetHandle(), {square});
  EXPECT_EQ(g_ModelFileName, std::filesystem::path(square).wstring());
  EXPECT_EQ(scene.character.sceneData, FindModelFile(g_ModelFileName));
  EXPECT_EQ(g_ModelRegistry.count(miko), 0u);
  EXPECT_EQ(g_ModelRegistry.size(), 1u);
  Frames(2);
  const std::string mikoPath = (std::filesystem::path(XVIEW_SOURCE_DIR) / "assets" / "miko.x").string();
  DropFiles(scene.GetHandle(), {mikoPath});
  Frames(1);
  EXPECT_EQ(compat::testing::LiveObjectCount(), withMiko);  // nothing of the square stays behind
  EXPECT_EQ(g_ModelRegistry.size(), 1u);
}

TEST_F(ActorControlsTest, AFileThatIsNoModelKeepsTheOldOneAndSaysSo) {
  WindowEx& scene = StartTwoSets();
  const XFileScene* before = scene.character.sceneData;
  std::ofstream(folder_ / "notes.x") << "these are notes, not a model\n";
  StderrCapture captured;
  DropFiles(scene.GetHandle(), {(folder_ / "notes.x").string()});
  std::string said = captured.Take();
  EXPECT_EQ(scene.character.sceneData, before);
  EXPECT_NE(said.find("notes.x"), std::string::npos) << said;
  EXPECT_NE(said.find("the current model stays"), std::string::npos) << said;
  Frames(2);  // and it still plays
}

TEST_F(ActorControlsTest, OfSeveralDroppedFilesTheFirstOpensAndTheRestAreNamedIgnored) {
  WindowEx& scene = StartTwoSets();
  // A model file whatever its name says: the header decides.
  std::filesystem::copy_file(std::filesystem::path(XVIEW_SOURCE_DIR) / "assets" / "squarepolygon.x",
                             folder_ / "square.txt");
  StderrCapture captured;
  DropFiles(scene.GetHandle(), {(folder_ / "square.txt").string(), (folder_ / "twosets.x").string(), "/x.x"});
  std::string said = captured.Take();
  EXPECT_EQ(g_ModelFileName, (folder_ / "square.txt").wstring());
  EXPECT_NE(said.find("2 more dropped files ignored"), std::string::npos) << said;
  EXPECT_EQ(scene.character.animationTick, 0.0);
}

}  // namespace
