// The small steps every record reader is made of: numbers, counts, opening
// braces that may follow a record name, and skips.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

// The next token as a 32-bit signed integer or as a float (C-locale rules; a
// token without leading digits, or an empty one at the end of the file, is 0).
std::int32_t ReadInt();
float ReadFloat();

// The next token as a count of items; a negative count is none.
std::uint32_t ReadCount();

// How many of `count` items, each written with at least `minimumBytes`
// characters, the rest of the file could still hold: the most a reader
// reserves room for.
std::size_t Affordable(std::uint32_t count, std::size_t minimumBytes);

// Reads a record's opening brace. Any record may carry a name before its
// brace; a token that is not "{" is that name and the brace follows it.
void ReadOpeningBrace();

// Reads sixteen numbers into a matrix, first row first.
void ReadMatrix(D3DXMATRIX& matrix);

// Skips tokens up to and including the next "}", counting no nesting.
void SkipToClosingBrace();

// Skips the rest of a record whose "{" was just read, up to its matching "}".
void SkipNestedRecord();

XFILE_SHAPE_END
