// What a file's counts may make the reader reserve: never more than the rest
// of the file could hold, and, for entries that no record backs (default
// materials, bones a header declares), no more than an allowance per file.
// Bounds limit memory, never what a valid file means.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "xfile/TokenReader.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// Entries without a record behind them that one file may make: about 13 MB of
// default materials at most.
constexpr std::uint64_t kDeclaredAllowance = 65536;

// How many of `count` items, each written with at least `minimumBytes`
// characters, the rest of the file could still hold: the most a reader
// reserves room for.
std::size_t Affordable(std::uint32_t count, std::size_t minimumBytes);

// The capacity to give a list of records that is full at `held` entries: as
// many as the rest of the file promises at the rate the records came so far,
// between twice and eight times `held` and never more than the rest of the
// file could hold at `minimumBytes` each. A file of many tiny records then
// grows its list in a few steps instead of moving every record at each doubling.
std::size_t ExpectedRecords(std::size_t held, std::size_t minimumBytes);
template <typename Record>
void MakeRoomForRecord(std::vector<Record>& list, std::size_t minimumBytes) {
  if (list.size() == list.capacity()) list.reserve(ExpectedRecords(list.size(), minimumBytes));
}

// How many entries a list that the file declares with `declared` entries, of
// which `held` are backed by records already read, may hold. Entries that no
// record backs draw on the parse's allowance; beyond it the list keeps `held`
// entries and the bound is reported. A valid file never comes near it.
std::size_t KeepDeclared(std::uint32_t declared, std::size_t held, const wchar_t* items);

XFILE_SHAPE_END
