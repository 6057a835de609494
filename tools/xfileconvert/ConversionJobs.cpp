#include "ConversionJobs.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <thread>

#include "ConvertMessages.h"
#include "ModelToGltf.h"
#include "XFileRecode.h"

namespace xfileconvert {

bool ConvertOne(const ConversionJob& job, const ConvertOptions& options) {
  // A model too large for memory, or any other surprise, fails its own file
  // and no other.
  try {
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
