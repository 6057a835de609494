#include "xfile/TextureSearch.h"

#include <algorithm>
#include <system_error>

#include "platform/FilePaths.h"
#include "platform/TextConversion.h"

XFILE_SHAPE_BEGIN

namespace fs = std::filesystem;

namespace {

// Names are compared as UTF-8 on every platform; a path is built from them
// in the platform's own form (wide on Windows, where the narrow form would go
// through the ANSI code page).
fs::path PathOf(const std::string& utf8) {
#if defined(_WIN32)
  return fs::path(FromUtf8(utf8));
#else
  return fs::path(utf8);
#endif
}

std::string Utf8Of(const fs::path& path) {
#if defined(_WIN32)
  return ToUtf8(path.wstring());
#else
  return path.string();
#endif
}

std::wstring WideOf(const fs::path& path) {
#if defined(_WIN32)
  return path.wstring();
#else
  return FromUtf8(path.string());
#endif
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The parts between separators; a run of separators counts as one, since
// exporters often write every backslash twice.
std::vector<std::string> SplitParts(const std::string& name) {
  std::vector<std::string> parts;
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

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  return !error && fs::exists(status) && !fs::is_directory(status);
}

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error) && !error;
}

bool IsTextureFolderName(const std::string& name) {
  for (const char* known : {"tex", "texture", "textures", "image", "images"})
    if (EqualIgnoringAsciiCase(name, known)) return true;
  return false;
}

// Levels below the model's folder that the bare name is looked for in.
constexpr int kLevelsBelowModel = 2;
// A name longer than any path of the file systems we run on names no file,
// and a file's name must not make the search take long: only so many
// trailing parts are tried.
constexpr std::size_t kMaxNameBytes = 4096;
constexpr std::size_t kMaxTrailingParts = 16;

}  // namespace

TextureSearch::TextureSearch(const std::wstring& modelFolder) {
  std::string folder = ToUtf8(modelFolder);
  while (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != ':') folder.pop_back();
  modelFolder_ = PathOf(folder);
}

const std::vector<TextureSearch::Entry>& TextureSearch::List(const fs::path& folder) {
  auto [listing, added] = listings_.try_emplace(folder);
  if (!added) return listing->second;
  std::vector<Entry>& entries = listing->second;
  std::error_code error;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, fs::directory_options::skip_permission_denied,
                            error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    if (listedEntries_ >= kMaxListedEntries) {
      listingCut_ = true;
      break;
    }
    ++listedEntries_;
    Entry entry;
    entry.path = folder / it->path().filename();
    entry.name = Utf8Of(it->path().filename());
    std::error_code kind;
    entry.isFolder = it->is_directory(kind) && !kind;
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

// `parts[first..]` under `base`: the path as written when it exists, else
// each part in turn as written or, failing that, the first entry of its
// folder that matches it ignoring ASCII case.
fs::path TextureSearch::Resolve(const fs::path& base, const std::vector<std::string>& parts, std::size_t first) {
  fs::path exact = base;
  for (std::size_t i = first; i < parts.size(); ++i) exact /= PathOf(parts[i]);
  if (IsFile(exact)) return exact;

  fs::path folder = base;
  for (std::size_t i = first; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    bool last = i + 1 == parts.size();
    if (part == "." || part == "..") {
      if (last) return {};
      folder /= PathOf(part);
      continue;
    }
    fs::path direct = folder / PathOf(part);
    if (last ? IsFile(direct) : IsFolder(direct)) {
      folder = direct;
      continue;
    }
    const std::vector<Entry>& entries = List(folder);
    auto match = std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) {
      return entry.isFolder != last && EqualIgnoringAsciiCase(entry.name, part);
    });
    if (match == entries.end()) return {};
    folder = match->path;
  }
  return folder;
}

// The model's folder and the folders up to two levels below it,
// breadth-first; then the model folder's siblings that hold textures by name.
const std::vector<fs::path>& TextureSearch::NearbyFolders() {
  if (nearbyListed_) return nearbyFolders_;
  nearbyListed_ = true;
  std::vector<std::pair<fs::path, int>> queue{{modelFolder_, 0}};
  for (std::size_t next = 0; next < queue.size(); ++next) {
    nearbyFolders_.push_back(queue[next].first);
    if (queue[next].second == kLevelsBelowModel) continue;
    fs::path folder = queue[next].first;  // the queue grows below
    int level = queue[next].second;
    for (const Entry& entry : List(folder))
      if (entry.isFolder) queue.emplace_back(entry.path, level + 1);
  }
  fs::path parent = modelFolder_ / "..";
  for (const Entry& entry : List(parent)) {
    if (!entry.isFolder || !IsTextureFolderName(entry.name)) continue;
    std::error_code error;
    // A model kept in a folder named "textures" has been searched already.
    if (fs::equivalent(entry.path, modelFolder_.empty() ? fs::path(".") : modelFolder_, error)) continue;
    nearbyFolders_.push_back(entry.path);
  }
  return nearbyFolders_;
}

fs::path TextureSearch::FindBareName(const std::string& name) {
  const std::vector<fs::path>& folders = NearbyFolders();
  for (const fs::path& folder : folders)
    for (const Entry& entry : List(folder))
      if (!entry.isFolder && entry.name == name) return entry.path;
  for (const fs::path& folder : folders)
    for (const Entry& entry : List(folder))
      if (!entry.isFolder && EqualIgnoringAsciiCase(entry.name, name)) return entry.path;
  return {};
}

std::wstring TextureSearch::Find(const std::wstring& nameAsWritten, std::wstring* tried) {
  std::vector<std::wstring> places;
  auto found = [&](const fs::path& path) {
    if (tried) tried->clear();
    return WideOf(path);
  };
  std::string name = ToUtf8(nameAsWritten);
  std::vector<std::string> parts = SplitParts(name);
  // A name that ends in a separator names a folder; one with a zero would be
  // cut short by the file system.
  if (parts.empty() || IsSeparator(name.back()) || name.find('\0') != std::string::npos ||
      name.size() > kMaxNameBytes) {
    if (tried) *tried = L"the name is no file name";
    return {};
  }
  std::size_t leading = 0;
  while (leading < name.size() && IsSeparator(name[leading])) ++leading;
  // \\server\share\... would reach out over the network: only its trailing
  // parts are looked for here.
  bool network = leading >= 2;
  bool drive = leading == 0 && parts[0].size() == 2 && parts[0][1] == ':' && name.size() > 2 && IsSeparator(name[2]);
  bool rooted = leading == 1;

  if (drive || rooted) {
#if defined(_WIN32)
    fs::path root = drive ? PathOf(parts[0] + "\\") : fs::path(L"\\");
    std::size_t first = drive ? 1 : 0;
    bool openable = true;
#else
    // A drive letter means nothing here.
    fs::path root = "/";
    std::size_t first = 0;
    bool openable = rooted;
#endif
    if (openable) {
      fs::path path = Resolve(root, parts, first);
      if (!path.empty()) return found(path);
      fs::path shown = root;
      for (std::size_t i = first; i < parts.size(); ++i) shown /= PathOf(parts[i]);
      places.push_back(L"\"" + WideOf(shown) + L"\"");
    }
  } else if (!network) {
    fs::path path = Resolve(modelFolder_, parts, 0);
    if (!path.empty()) return found(path);
    fs::path shown = modelFolder_;
    for (const std::string& part : parts) shown /= PathOf(part);
    places.push_back(L"\"" + WideOf(shown) + L"\"");
  }

  // Trailing parts of two or more, longest first.
  std::size_t longest = parts.size() > kMaxTrailingParts ? parts.size() - kMaxTrailingParts : 1;
  for (std::size_t first = longest; first + 1 < parts.size(); ++first) {
    fs::path path = Resolve(modelFolder_, parts, first);
    if (!path.empty()) return found(path);
    fs::path shown = modelFolder_;
    for (std::size_t i = first; i < parts.size(); ++i) shown /= PathOf(parts[i]);
    places.push_back(L"\"" + WideOf(shown) + L"\"");
  }

  fs::path path = FindBareName(parts.back());
  if (!path.empty()) return found(path);

  if (tried) {
    std::wstring text = network ? L"a network path is not opened; tried " : L"tried ";
    for (const std::wstring& place : places) text += place + L", ";
    const std::size_t folders = NearbyFolders().size();
    text += L"and \"" + FromUtf8(parts.back()) + L"\" in " + std::to_wstring(folders) +
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
