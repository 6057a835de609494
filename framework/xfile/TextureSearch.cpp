#include "xfile/TextureSearch.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/FilePaths.h"
#include "platform/TextConversion.h"

XFILE_SHAPE_BEGIN

namespace {

// The separator the search puts between the parts it joins; the file
// functions take either.
#if defined(_WIN32)
constexpr wchar_t kSeparator = L'\\';
#else
constexpr wchar_t kSeparator = L'/';
#endif

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + kSeparator + name;
}

// The parts between separators; a run of separators counts as one, since
// exporters often write every backslash twice.
std::vector<std::wstring> SplitParts(const std::wstring& name) {
  std::vector<std::wstring> parts;
  std::size_t at = 0;
  while (at < name.size()) {
    while (at < name.size() && IsSeparator(name[at])) ++at;
    std::size_t end = at;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (end > at) parts.push_back(name.substr(at, end - at));
    at = end;
  }
  return parts;
}

// `parts[first..]` joined under `base`.
std::wstring JoinParts(std::wstring path, const std::vector<std::wstring>& parts, std::size_t first) {
  for (std::size_t i = first; i < parts.size(); ++i) path = Join(path, parts[i]);
  return path;
}

// Names equal ignoring case, as the platform compares file names.
bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool IsTextureFolderName(const std::wstring& name) {
  for (const wchar_t* known : {L"tex", L"texture", L"textures", L"image", L"images"})
    if (SameNameIgnoringCase(name, known)) return true;
  return false;
}

// Whether two folder paths name one folder, however they are written.
bool SameFolder(const std::wstring& a, const std::wstring& b) {
  std::error_code error;
#if defined(_WIN32)
  return std::filesystem::equivalent(a.empty() ? L"." : a, b.empty() ? L"." : b, error);
#else
  return std::filesystem::equivalent(a.empty() ? "." : ToUtf8(a), b.empty() ? "." : ToUtf8(b), error);
#endif
}

// Levels below the model's folder that the bare name is looked for in.
constexpr int kLevelsBelowModel = 2;
// A name longer than any path of the file systems we run on names no file,
// and a file's name must not make the search take long: only so many
// trailing parts are tried.
constexpr std::size_t kMaxNameBytes = 4096;
constexpr std::size_t kMaxTrailingParts = 16;

}  // namespace

TextureSearch::TextureSearch(const std::wstring& modelFolder) : modelFolder_(modelFolder) {
  while (modelFolder_.size() > 1 && IsSeparator(modelFolder_.back()) && modelFolder_[modelFolder_.size() - 2] != L':')
    modelFolder_.pop_back();
}

const std::vector<TextureSearch::Entry>& TextureSearch::List(const std::wstring& folder) {
  auto [listing, added] = listings_.try_emplace(folder);
  if (!added) return listing->second;
  std::vector<Entry>& entries = listing->second;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Join(folder, L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (listedEntries_ >= kMaxListedEntries) {
      listingCut_ = true;
      break;
    }
    ++listedEntries_;
    entries.push_back(Entry{name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

// The model's folder and the folders up to two levels below it,
// breadth-first; then the model folder's siblings that hold textures by name.
const std::vector<std::wstring>& TextureSearch::NearbyFolders() {
  if (nearbyListed_) return nearbyFolders_;
  nearbyListed_ = true;
  std::vector<std::pair<std::wstring, int>> queue{{modelFolder_, 0}};
  for (std::size_t next = 0; next < queue.size(); ++next) {
    nearbyFolders_.push_back(queue[next].first);
    if (queue[next].second == kLevelsBelowModel) continue;
    const std::wstring folder = queue[next].first;  // the queue grows below
    const int level = queue[next].second;
    for (const Entry& entry : List(folder))
      if (entry.isFolder) queue.emplace_back(Join(folder, entry.name), level + 1);
  }
  const std::wstring parent = Join(modelFolder_, L"..");
  for (const Entry& entry : List(parent)) {
    if (!entry.isFolder || !IsTextureFolderName(entry.name)) continue;
    // A model kept in a folder named "textures" has been searched already.
    const std::wstring sibling = Join(parent, entry.name);
    if (!SameFolder(sibling, modelFolder_)) nearbyFolders_.push_back(sibling);
  }
  return nearbyFolders_;
}

std::wstring TextureSearch::FindBareName(const std::wstring& name) {
  const std::vector<std::wstring>& folders = NearbyFolders();
  for (const std::wstring& folder : folders)
    for (const Entry& entry : List(folder))
      if (!entry.isFolder && entry.name == name) return Join(folder, entry.name);
  for (const std::wstring& folder : folders)
    for (const Entry& entry : List(folder))
      if (!entry.isFolder && SameNameIgnoringCase(entry.name, name)) return Join(folder, entry.name);
  return {};
}

std::wstring TextureSearch::Find(const std::wstring& name, std::wstring* tried) {
  std::vector<std::wstring> places;
  auto found = [&](const std::wstring& path) {
    if (tried) tried->clear();
    return path;
  };
  std::vector<std::wstring> parts = SplitParts(name);
  // A name that ends in a separator names a folder; one with a zero would be
  // cut short by the file system.
  if (parts.empty() || IsSeparator(name.back()) || name.find(L'\0') != std::wstring::npos ||
      ToUtf8(name).size() > kMaxNameBytes) {
    if (tried) *tried = L"the name is no file name";
    return {};
  }
  std::size_t leading = 0;
  while (leading < name.size() && IsSeparator(name[leading])) ++leading;
  // \\server\share\... would reach out over the network: only its trailing
  // parts are looked for here.
  const bool network = leading >= 2;
  const bool drive = leading == 0 && parts[0].size() == 2 && parts[0][1] == L':' && name.size() > 2 &&
                     IsSeparator(name[2]);
  const bool rooted = leading == 1;
  // Each place is tried as a whole: the platform matches the case of its parts.
  auto tryPlace = [&](const std::wstring& path) {
    if (IsFile(path)) return true;
    places.push_back(L"\"" + path + L"\"");
    return false;
  };

  if (drive || rooted) {
#if defined(_WIN32)
    const std::wstring root = drive ? parts[0] + L"\\" : L"\\";
    const std::size_t first = drive ? 1 : 0;
    const bool openable = true;
#else
    // A drive letter means nothing here.
    const std::wstring root = L"/";
    const std::size_t first = 0;
    const bool openable = rooted;
#endif
    if (openable) {
      const std::wstring path = JoinParts(root, parts, first);
      if (tryPlace(path)) return found(path);
    }
  } else if (!network) {
    const std::wstring path = JoinParts(modelFolder_, parts, 0);
    if (tryPlace(path)) return found(path);
  }

  // Trailing parts of two or more, longest first.
  const std::size_t longest = parts.size() > kMaxTrailingParts ? parts.size() - kMaxTrailingParts : 1;
  for (std::size_t first = longest; first + 1 < parts.size(); ++first) {
    const std::wstring path = JoinParts(modelFolder_, parts, first);
    if (tryPlace(path)) return found(path);
  }

  std::wstring path = FindBareName(parts.back());
  if (!path.empty()) return found(path);

  if (tried) {
    std::wstring text = network ? L"a network path is not opened; tried " : L"tried ";
    for (const std::wstring& place : places) text += place + L", ";
    const std::size_t folders = NearbyFolders().size();
    text += L"and \"" + parts.back() + L"\" in " + std::to_wstring(folders) +
            (folders == 1 ? L" folder" : L" folders") + L" in and beside the model's folder";
    if (listingCut_)
      text += L" (the search stopped after " + std::to_wstring(kMaxListedEntries) + L" directory entries)";
    *tried = text;
  }
  return {};
}

namespace {

// A name the reader decoded as Shift-JIS read again as Windows-1252: a
// Western file of plain ASCII words and a few accented letters often passes
// for Shift-JIS ("\xE1r" is one kanji). Empty when the name did not come
// from Shift-JIS bytes.
std::wstring ReadAgainAsWindows1252(const std::wstring& name) {
  constexpr UINT kShiftJis = 932, kWindows1252 = 1252;
  int size = static_cast<int>(name.size());
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(kShiftJis, 0, name.data(), size, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return {};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(kShiftJis, 0, name.data(), size, bytes.data(), length, nullptr, &usedDefault) != length ||
      usedDefault)
    return {};
  int wideLength = MultiByteToWideChar(kWindows1252, 0, bytes.data(), length, nullptr, 0);
  if (wideLength <= 0) return {};
  std::wstring western(static_cast<std::size_t>(wideLength), L'\0');
  if (MultiByteToWideChar(kWindows1252, 0, bytes.data(), length, western.data(), wideLength) != wideLength) return {};
  return western;
}

}  // namespace

std::wstring FindModelTexture(const std::wstring& modelFile, const std::wstring& name, unsigned codePage,
                              TextureSearch& search, std::wstring& reason) {
  // The reader put the model's folder in front of the name the file writes.
  std::wstring folder = FolderOf(modelFile);
  std::wstring asWritten = name.compare(0, folder.size(), folder) == 0 ? name.substr(folder.size()) : name;
  std::wstring tried;
  std::wstring path = search.Find(asWritten, &tried);
  std::wstring western, triedWestern;
  if (path.empty() && codePage == 932) {
    western = ReadAgainAsWindows1252(asWritten);
    if (!western.empty() && western != asWritten) path = search.Find(western, &triedWestern);
  }
  if (path.empty()) {
    reason = L"the file cannot be opened (" + tried + L")";
    if (!triedWestern.empty())
      reason += L"; read as Windows-1252, \"" + western + L"\" was not found either (" + triedWestern + L")";
  }
  return path;
}

XFILE_SHAPE_END
