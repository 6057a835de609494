#include "xfile/TokenPlaces.h"

XFILE_SHAPE_BEGIN

std::wstring PlaceText(std::uint64_t place, bool binary, const ModelBytes& bytes) {
  if (!binary) return L"line " + std::to_wstring(place);
  std::wstring text = L"offset " + std::to_wstring(place);
  if (std::uint32_t block = bytes.BlockOfOffset(place)) text += L" (block " + std::to_wstring(block) + L")";
  return text;
}

XFILE_SHAPE_END
