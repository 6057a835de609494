// Finding on this machine a texture file that a model file names as its
// author's machine had it: "C:\\Users\\me\\Desktop\\Tex\\Wood.jpg", a name in
// another case, a folder that was renamed or flattened on the way.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// One search serves every texture of one model load: each folder it lists is
// read once, and all listings together read at most kMaxListedEntries
// directory entries.
//
// Find tries, in this order, and takes the first file that exists:
//   1. an absolute path as written (never a network path: \\server\share\...);
//   2. a relative path under the model's folder;
//   3. its trailing parts of two to 16 parts, longest first, under the
//      model's folder ("Tex\Wood.jpg"; "Wood.jpg" alone is left for step 4);
//   4. the bare file name in the model's folder and up to two levels below
//      it (breadth-first), then in the model folder's siblings named tex,
//      texture, textures, image or images (any case).
// Both '\' and '/' separate, and a run of them counts as one. In every step a
// name of the same case wins; otherwise the first name that matches ignoring
// ASCII case, folders in byte order of their entries' names.
class TextureSearch {
 public:
  static constexpr std::size_t kMaxListedEntries = 4096;

  // `modelFolder` with or without its final separator; empty for the working
  // directory.
  explicit TextureSearch(const std::wstring& modelFolder);

  // The path to load `nameAsWritten` from (the name as the model file writes
  // it, without the model's folder), or empty when it is nowhere or is no
  // file name (empty, ending in a separator, holding a zero, over 4096
  // bytes). `tried`, when given, receives where it was looked for, for a
  // message.
  std::wstring Find(const std::wstring& nameAsWritten, std::wstring* tried = nullptr);

  // Whether a listing stopped at kMaxListedEntries.
  bool ListingCut() const { return listingCut_; }

 private:
  struct Entry {
    std::string name;  // UTF-8, as compared
    std::filesystem::path path;
    bool isFolder = false;
  };

  const std::vector<Entry>& List(const std::filesystem::path& folder);
  std::filesystem::path Resolve(const std::filesystem::path& base, const std::vector<std::string>& parts,
                                std::size_t first);
  std::filesystem::path FindBareName(const std::string& name);
  const std::vector<std::filesystem::path>& NearbyFolders();

  std::filesystem::path modelFolder_;
  std::map<std::filesystem::path, std::vector<Entry>> listings_;
  std::vector<std::filesystem::path> nearbyFolders_;  // breadth-first, filled on first use
  bool nearbyListed_ = false;
  std::size_t listedEntries_ = 0;
  bool listingCut_ = false;
};

// Where the viewers find the texture that a material of `modelFile` names:
// `name` as the reader gives it (the model's folder in front of what the file
// writes), looked for by `search`; a name that the reader decoded as
// Shift-JIS (`codePage` 932) and that is nowhere is looked for again as
// Windows-1252 would read its bytes. Empty when it is nowhere, with `reason`
// saying where it was looked for.
std::wstring FindModelTexture(const std::wstring& modelFile, const std::wstring& name, unsigned codePage,
                              TextureSearch& search, std::wstring& reason);

XFILE_SHAPE_END
