// Where the programs' own files are found: the effect files and the sample
// models are looked for in the working directory first, then in the asset
// folders, so a program started from any folder finds them.
#pragma once

#include <string>

// Adds `folder` to the end of the folders that are searched.
void AddAssetFolder(const std::wstring& folder);

// `name` when a file of that name opens from the working directory (or is
// a path that opens); otherwise the first asset folder's file of that name
// that opens; otherwise `name` unchanged, so that the failure names it.
std::wstring FindAsset(const std::wstring& name);

// The installed asset folder beside the running program: share/xviewer in
// the folder above the program's own (bin/ of an installation, apps/ of a build).
std::wstring InstalledAssetFolder();
