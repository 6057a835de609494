// What the tests of the viewers' keys share: frames on a clock the test
// moves, one-frame key presses, files dropped on the window as SDL reports
// them, and where a point lands in the view.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "compat/testing_win32.h"
#include "model/ModelBounds.h"
#include "platform/Camera.h"

namespace scene_controls {

// What a command writes on standard output.
inline std::string ToolOutput(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  ::pclose(pipe);
  return output;
}

constexpr LONGLONG kCountsPerSecond = 1000;

// Drops `files` on `window` as SDL reports a drop (begin, one event per
// file, complete) and takes the events into the message queue.
inline void PushDrop(HWND window, const std::vector<std::string>& files) {
  Uint32 id = SDL_GetWindowID(compat::testing::SdlWindowOf(window));
  SDL_Event event = {};
  event.type = SDL_DROPBEGIN;
  event.drop.windowID = id;
  SDL_PushEvent(&event);
  for (const std::string& file : files) {
    event = {};
    event.type = SDL_DROPFILE;
    event.drop.windowID = id;
    event.drop.file = SDL_strdup(file.c_str());  // the receiver frees it
    SDL_PushEvent(&event);
  }
  event = {};
  event.type = SDL_DROPCOMPLETE;
  event.drop.windowID = id;
  SDL_PushEvent(&event);
  compat::testing::PumpWindowEvents();
}

// The same, and the messages that result delivered.
inline void DropFiles(HWND window, const std::vector<std::string>& files) {
  PushDrop(window, files);
  MSG msg;
  while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Every corner of `bounds` lies inside the camera's view volume.
inline void ExpectInView(const WorldBounds& bounds, const Camera& camera) {
  ASSERT_FALSE(bounds.empty);
  D3DXMATRIX viewProjection;
  D3DXMatrixMultiply(&viewProjection, &camera.view, &camera.projection);
  for (int corner = 0; corner < 8; ++corner) {
    D3DXVECTOR3 p((corner & 1) ? bounds.max.x : bounds.min.x, (corner & 2) ? bounds.max.y : bounds.min.y,
                  (corner & 4) ? bounds.max.z : bounds.min.z);
    D3DXVECTOR3 clip;
    D3DXVec3TransformCoord(&clip, &p, &viewProjection);
    EXPECT_LE(std::abs(clip.x), 1.0f) << "corner " << corner;
    EXPECT_LE(std::abs(clip.y), 1.0f) << "corner " << corner;
    EXPECT_GE(clip.z, 0.0f) << "corner " << corner;
    EXPECT_LE(clip.z, 1.0f) << "corner " << corner;
  }
}

}  // namespace scene_controls
