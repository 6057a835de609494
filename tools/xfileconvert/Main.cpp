// xfileconvert [options] IN.x... -o OUT
// Converts model files to glTF 2.0 (.glb, .gltf) or to another .x format;
// `xfileconvert --help` says how.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "ConversionJobs.h"
#include "ConvertMessages.h"
#include "ConvertOptions.h"

int main(int argc, char** argv) {
  using namespace xfileconvert;
  ConvertOptions options;
  std::string error;
  if (!ParseConvertOptions(argc, argv, options, error)) {
    Say(ConvertMessage::Usage, error.c_str(), ConvertUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(ConvertUsage(), stdout);
    return 0;
  }
  if (options.outputIsFolder) {
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(options.output), made);
    if (made) {
      Say(ConvertMessage::NotWritten, options.inputs.front().c_str(), options.output.c_str(),
          ("the folder cannot be made: " + made.message()).c_str());
      return 1;
    }
  }
  std::size_t failed = 0;
  std::vector<ConversionJob> jobs = PlanJobs(options, failed);
  failed += RunConversions(jobs, options);
  return failed > 0 ? 1 : 0;
}
