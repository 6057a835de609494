#include "xfile/SizeAccounting.h"

#include <algorithm>

#include "xfile/RecordReading.h"

XFILE_SHAPE_BEGIN

std::size_t Affordable(std::uint32_t count, std::size_t minimumBytes) {
  std::uint64_t room = ActiveReader().RemainingBytes() / minimumBytes + 1;
  return static_cast<std::size_t>(std::min<std::uint64_t>(count, room));
}

std::size_t ExpectedRecords(std::size_t held, std::size_t minimumBytes) {
  const ModelReader& reader = ActiveReader();
  const std::uint64_t remaining = reader.RemainingBytes();
  const std::uint64_t consumed = reader.ConsumedBytes();
  std::uint64_t expected = held + (consumed > 0 ? remaining * held / consumed : 0);
  expected = std::clamp<std::uint64_t>(expected, std::max<std::uint64_t>(2 * held, 4),
                                       8 * std::max<std::uint64_t>(held, 1));
  return static_cast<std::size_t>(std::min<std::uint64_t>(expected, held + remaining / minimumBytes + 1));
}

std::size_t KeepDeclared(std::uint32_t declared, std::size_t held, const wchar_t* items) {
  if (declared <= held) return declared;
  std::uint64_t& allowance = ActiveReader().declaredAllowance;
  std::uint64_t unbacked = declared - held;
  if (unbacked <= allowance) {
    allowance -= unbacked;
    return declared;
  }
  Warn(ParseWarningKind::CountBounded, [&] {
    return std::to_wstring(declared) + L" " + items + L" declared, " + std::to_wstring(held) +
           L" kept to bound the memory a file can take";
  });
  return held;
}

XFILE_SHAPE_END
