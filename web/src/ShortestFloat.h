// Floating-point numbers as text, as GCC's std::to_chars writes them (the
// native programs' C++ library): the shortest digits that read back as the
// same number (fmt's Dragonbox), in fixed or scientific notation; an
// integral value in fixed notation is written exactly, as GCC's library does.
#pragma once

namespace web_float {

enum class Notation { Shortest, Fixed, Scientific };

// Writes `value` (a float's value where `single`) in [first, last); returns
// the end of what it wrote, or nullptr when there is not room.
// Shortest takes fixed notation where it is no longer than scientific.
char* FormatFloat(char* first, char* last, double value, bool single, Notation notation);

}  // namespace web_float
