// xfileinfo --summary: what the viewers print for the I key, for a file, in
// the shape of the program that would show it (the reduced shape with
// --reduced, as propviewer keeps it).
#include <cstdio>

#include "Inspectors.h"
#include "model/ModelSummary.h"
#include "xfile/DocumentParser.h"

namespace xfileinfo {

#if defined(XVIEW_REDUCED_MODEL)
int SummarizeReduced(const std::wstring& path) {
#else
int SummarizeCharacter(const std::wstring& path) {
#endif
  XModelContent content;
  const ParseResult parse = ParseXFile(path, content, ParseOptions{.echo = false});
  ReportParse(path, parse);
  if (!parse) return 1;
  std::fputs(ModelSummary(path, content).c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace xfileinfo
