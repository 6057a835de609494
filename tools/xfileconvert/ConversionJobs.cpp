#include "ConversionJobs.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <thread>

#include "ConvertMessages.h"
#include "GltfToX.h"
#include "ModelToGltf.h"
#include "OutputFile.h"
#include "ReaderAdapter.h"
#include "XFileRecode.h"
#include "platform/TextConversion.h"

namespace xfileconvert {

namespace {

// Writes the model file `job.input` (any format the reader takes) as
// `job.output` in the .x format of `options`. A file the reader refuses
// writes nothing; the reader's warnings are said, and so is whatever did not
// fit its templates.
bool RecodeModelFile(const ConversionJob& job, const ConvertOptions& options) {
  // The reader decides what is a model file and says what it finds wrong in it.
  if (!LoadModelRecords(FromUtf8(job.input))) return false;
  std::FILE* file = _wfopen(FromUtf8(job.input).c_str(), L"rb");
  if (!file) {
    Say(ConvertMessage::NotRead, job.input.c_str(), "the file cannot be read");
    return false;
  }
  const std::string recoded =
      RecodedModel(file, job.input, XFileFormatNamed(options.xFormat, options.floatBytes, options.blockBytes),
                   options.declareTemplates);
  std::fclose(file);
  std::string reason;
  if (!WriteWholeFile(job.output, {recoded}, reason)) {
    Say(ConvertMessage::NotWritten, job.input.c_str(), job.output.c_str(), reason.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool ConvertOne(const ConversionJob& job, const ConvertOptions& options) {
  // A model too large for memory, or any other surprise, fails its own file
  // and no other.
  try {
    if (IsGltfPath(job.input)) return ConvertGltfToX(job, options);
    return options.kind == OutputKind::X ? RecodeModelFile(job, options) : ConvertToGltf(job, options.kind);
  } catch (const std::bad_alloc&) {
    Say(ConvertMessage::NotRead, job.input.c_str(), "there is not enough memory to convert it");
  } catch (const std::exception& error) {
    Say(ConvertMessage::NotRead, job.input.c_str(), error.what());
  }
  return false;
}

std::size_t RunConversions(const std::vector<ConversionJob>& jobs, const ConvertOptions& options) {
  std::atomic<std::size_t> next{0}, failed{0};
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < jobs.size();)
      if (!ConvertOne(jobs[i], options)) failed.fetch_add(1);
  };
  unsigned threads = options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs.size()));
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads; ++t) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
  return failed.load();
}

}  // namespace xfileconvert
