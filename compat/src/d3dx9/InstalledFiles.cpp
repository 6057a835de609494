#include "d3dx9/InstalledFiles.h"

#include <filesystem>

namespace compat::d3dx9 {

std::string InstalledPath(std::string_view relative) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  std::string beside;
  if (!error && program.has_parent_path()) beside = (program.parent_path().parent_path() / relative).string();
  if (!beside.empty() && std::filesystem::exists(beside, error)) return beside;
  const std::filesystem::path installed = std::filesystem::path(XVIEW_INSTALL_PREFIX) / relative;
  if (std::filesystem::exists(installed, error)) return installed.string();
  return beside;
}

std::string InstalledTranslator() { return InstalledPath(XVIEW_TRANSLATOR_PATH); }

std::string InstalledEffectRecords() { return InstalledPath(XVIEW_EFFECT_RECORDS_PATH); }

}  // namespace compat::d3dx9
