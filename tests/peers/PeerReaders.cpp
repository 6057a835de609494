#include "PeerReaders.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/ShellQuoted.h"

namespace peers {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A file of this process's own in the temporary folder, removed with the object.
class ScratchFile {
 public:
  explicit ScratchFile(const char* what) {
    static std::atomic<int> count{0};
    path_ = fs::temp_directory_path() /
            ("xview_peers_" + std::string(what) + "_" + std::to_string(::getpid()) + "_" + std::to_string(count++));
  }
  ~ScratchFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

struct Ran {
  int exitCode = -1;  // -1: killed by a signal, or could not start
  std::string output;
  std::string errorOutput;
};

// What a reader may take: readers nobody here wrote meet our faulty output
// too, and one of them looping or allocating without end must fail the test,
// not hang it.
constexpr int kReaderSeconds = 60;
constexpr long kReaderKibibytes = 4L * 1024 * 1024;

// Runs a shell command under those bounds (timeout's exit status 124 when it
// ran out of time), its standard output read here, its standard error kept
// apart.
Ran Run(const std::string& command) {
  Ran ran;
  ScratchFile errors("stderr");
  const std::string bounded = "ulimit -v " + std::to_string(kReaderKibibytes) + "; exec timeout -k 5 " +
                              std::to_string(kReaderSeconds) + " " + command;
  FILE* pipe = ::popen(("(" + bounded + ") 2>" + ShellQuoted(errors.Path().string())).c_str(), "r");
  if (!pipe) return ran;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) ran.output.append(buffer, got);
  const int status = ::pclose(pipe);
  ran.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  ran.errorOutput = ReadText(errors.Path());
  return ran;
}

bool Executable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

std::string D3dxUnavailable() {
  if (std::string(XVIEW_D3DX_ENUMERATE).empty())
    return "D3DX's parser is not built: the MinGW cross compiler (x86_64-w64-mingw32-gcc) was not found when the "
           "build was configured (scripts/setup installs g++-mingw-w64-x86-64-posix)";
  if (!fs::exists(XVIEW_D3DX_ENUMERATE))
    return std::string("D3DX's parser is not built: build the target d3dx_enumerate (") + XVIEW_D3DX_ENUMERATE + ")";
  if (!Executable(XVIEW_WINE))
    return "Wine was not found when the build was configured (scripts/setup installs wine), so D3DX's parser cannot "
           "run";
  return {};
}

}  // namespace

D3dxRun EnumerateWithD3dx(const std::vector<std::string>& paths, bool values) {
  D3dxRun run;
  run.unavailable = D3dxUnavailable();
  if (!run.unavailable.empty() || paths.empty()) return run;

  // The paths go in a list file: Windows command lines end at 32,767
  // characters, and a list keeps a path's bytes as they are.
  ScratchFile list("list");
  {
    std::ofstream out(list.Path(), std::ios::binary);
    for (const std::string& path : paths) out << fs::absolute(path).string() << '\n';
  }
  // Quiet and unattended: no debug channels, no offer to install Mono or
  // Gecko (mscoree, mshtml disabled), no display, a prefix of the build's own.
  const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=-all ") +
                              "WINEDLLOVERRIDES='mscoree,mshtml=' WINEPREFIX=" + ShellQuoted(XVIEW_WINEPREFIX) + " " +
                              ShellQuoted(XVIEW_WINE) + " " + ShellQuoted(XVIEW_D3DX_ENUMERATE) + (values ? " --values" : "") +
                              " --list " + ShellQuoted(list.Path().string());
  const Ran ran = Run(command);
  run.errorOutput = ran.errorOutput;

  std::istringstream lines(ran.output);
  D3dxListing* current = nullptr;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("file ", 0) == 0) {
      current = &run.files.emplace_back();
      current->path = line.substr(5);
    } else if (!current) {
      continue;
    } else if (line.rfind("error ", 0) == 0) {
      current->failure = line;
    } else if (line.rfind("end ", 0) == 0) {
      current->ok = current->failure.empty();
    } else {
      current->objects.push_back(line);
    }
  }
  // A file the program never came to (Wine or the program stopped) fails
  // with what was said.
  const std::string stopped = "d3dx_enumerate under Wine stopped (exit " + std::to_string(ran.exitCode) +
                              ") before this file: " + ran.errorOutput;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i >= run.files.size())
      run.files.push_back({fs::absolute(paths[i]).string(), false, stopped, {}});
    else if (!run.files[i].ok && run.files[i].failure.empty())
      run.files[i].failure = stopped;
  }
  return run;
}

std::string CompareListings(const D3dxListing& source, const D3dxListing& output) {
  const std::size_t common = std::min(source.objects.size(), output.objects.size());
  for (std::size_t i = 0; i < common; ++i)
    if (source.objects[i] != output.objects[i])
      return "object " + std::to_string(i + 1) + " differs:\n  source: " + source.objects[i] +
             "\n  output: " + output.objects[i];
  if (source.objects.size() != output.objects.size())
    return std::to_string(output.objects.size()) + " objects where the source has " +
           std::to_string(source.objects.size()) + "; the first not in both: " +
           (source.objects.size() > common ? "source: " + source.objects[common] : "output: " + output.objects[common]);
  return {};
}

bool IrrlichtModel::Skinned() const {
  return std::any_of(joints.begin(), joints.end(), [](const IrrlichtJoint& joint) { return joint.weights > 0; });
}

IrrlichtModel LoadWithIrrlicht(const std::string& path, std::optional<double> frame) {
  IrrlichtModel model;
  if (std::string(XVIEW_IRRLICHT_LOAD).empty()) {
    model.unavailable = "Irrlicht was not found when the build was configured (scripts/setup installs libirrlicht-dev)";
    return model;
  }
  if (!Executable(XVIEW_IRRLICHT_LOAD)) {
    model.unavailable =
        std::string("irrlicht_load is not built: build the target irrlicht_load (") + XVIEW_IRRLICHT_LOAD + ")";
    return model;
  }
  std::string command = ShellQuoted(XVIEW_IRRLICHT_LOAD) + " " + ShellQuoted(path);
  if (frame) {
    std::ostringstream number;
    number.precision(17);
    number << *frame;
    command += " " + number.str();
  }
  const Ran ran = Run(command);
  model.log = ran.errorOutput;
  if (ran.exitCode == 124) {
    model.failure = "Irrlicht did not finish loading in " + std::to_string(kReaderSeconds) + " s: " + path;
    return model;
  }
  if (ran.exitCode != 0) {
    model.failure = ran.errorOutput.empty() ? "irrlicht_load exited " + std::to_string(ran.exitCode) : ran.errorOutput;
    return model;
  }
  const nlohmann::json json = nlohmann::json::parse(ran.output, nullptr, false);
  if (json.is_discarded()) {
    model.failure = "irrlicht_load printed no JSON: " + ran.output.substr(0, 200);
    return model;
  }
  model.loaded = true;
  model.meshType = json.value("meshType", "");
  model.frameCount = json.value("frameCount", 0u);
  model.animationSpeed = json.value("animationSpeed", 0.0);
  for (const nlohmann::json& joint : json["joints"]) model.joints.push_back({joint["name"], joint["weights"]});
  for (const nlohmann::json& buffer : json["buffers"]) model.bufferVertices.push_back(buffer["vertices"]);
  if (!json["poses"].empty()) {
    for (const nlohmann::json& buffer : json["poses"][0]["buffers"]) {
      std::vector<Position>& out = model.positions.emplace_back();
      for (std::size_t i = 0; i + 2 < buffer.size(); i += 3) out.push_back({buffer[i], buffer[i + 1], buffer[i + 2]});
    }
  }
  return model;
}

namespace {

// The distance from each point of `from` to its nearest in `to`, the largest.
double FarthestFrom(const std::vector<Position>& from, const std::vector<Position>& to) {
  std::vector<Position> sorted = to;
  std::sort(sorted.begin(), sorted.end(), [](const Position& a, const Position& b) { return a[0] < b[0]; });
  double farthest = 0;
  for (const Position& p : from) {
    double best = std::numeric_limits<double>::infinity();
    const auto start =
        std::lower_bound(sorted.begin(), sorted.end(), p[0], [](const Position& q, float x) { return q[0] < x; });
    auto squared = [&](const Position& q) {
      double sum = 0;
      for (int c = 0; c < 3; ++c) sum += (double{p[c]} - q[c]) * (double{p[c]} - q[c]);
      return sum;
    };
    // Outward from the nearest x both ways, while x alone is not farther.
    for (auto it = start; it != sorted.end() && (double{(*it)[0]} - p[0]) * ((*it)[0] - p[0]) < best; ++it)
      best = std::min(best, squared(*it));
    for (auto it = start; it != sorted.begin();) {
      --it;
      if ((double{(*it)[0]} - p[0]) * ((*it)[0] - p[0]) >= best) break;
      best = std::min(best, squared(*it));
    }
    farthest = std::max(farthest, best);
  }
  return std::sqrt(farthest);
}

}  // namespace

double FarthestApart(const std::vector<Position>& a, const std::vector<Position>& b) {
  if (a.empty() && b.empty()) return 0;
  if (a.empty() || b.empty()) return std::numeric_limits<double>::infinity();
  return std::max(FarthestFrom(a, b), FarthestFrom(b, a));
}

}  // namespace peers
