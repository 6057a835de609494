#include "XFileRecode.h"

#include <fstream>
#include <sstream>

#include "ConvertMessages.h"
#include "OutputFile.h"
#include "ReaderAdapter.h"
#include "XFileText.h"
#include "XFileWriter.h"
#include "platform/TextConversion.h"

namespace xfileconvert {

bool RecodeModelFile(const ConversionJob& job, const ConvertOptions& options) {
  // The reader decides what is a model file and says what it finds wrong in it.
  if (!LoadModelRecords(FromUtf8(job.input))) return false;
  std::ifstream in(job.input, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    Say(ConvertMessage::NotRead, job.input.c_str(), "the file cannot be read");
    return false;
  }
  xfileconvert::ModelText text;
  std::string reason;
  if (!xfileconvert::TextOfModelFile(bytes.str(), text, reason)) {
    Say(ConvertMessage::NotRead, job.input.c_str(), reason.c_str());
    return false;
  }
  const std::string twin = xfileconvert::Twin(text.text, options.xFormat, options.floatBytes == 8, options.blockBytes);
  if (!WriteWholeFile(job.output, {twin}, reason)) {
    Say(ConvertMessage::NotWritten, job.input.c_str(), job.output.c_str(), reason.c_str());
    return false;
  }
  return true;
}

}  // namespace xfileconvert
