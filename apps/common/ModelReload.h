// Reading the shown model file again after it changed on disk (--watch),
// in the record shape of the program that includes this.
#pragma once

#include <d3d9.h>

#include <functional>
#include <string>
#include <vector>

#include "xfile/XFileRecords.h"

// The model file and the image files its loaded textures were read from:
// what --watch looks at.
std::vector<std::wstring> FilesOfModel(const std::wstring& modelFile);

// Reads `modelFile` again and, only when it reads whole, loads it with its
// textures in place of the loaded model of that name: `moveOver` is called
// with the new records while the old ones are still alive, so the program's
// drawable can leave them; then the old records go, and the textures only
// they named. False, with `why` in words, when the file cannot be read or
// ends inside a record (a writer that has not finished): nothing changes.
bool ReloadModelFile(IDirect3DDevice9* device, const std::wstring& modelFile,
                     const std::function<void(XModelContent*)>& moveOver, std::string& why);
