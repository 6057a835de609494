#include "d3dx9/InstalledFiles.h"

#include <filesystem>

namespace compat::d3dx9 {

std::string InstalledPath(std::string_view relative) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !program.has_parent_path()) return {};
  return (program.parent_path().parent_path() / relative).string();
}

std::string InstalledTranslator() { return InstalledPath(XVIEW_TRANSLATOR_PATH); }

std::string InstalledEffectRecords() { return InstalledPath(XVIEW_EFFECT_RECORDS_PATH); }

}  // namespace compat::d3dx9
