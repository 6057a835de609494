// Where the next value of a data object goes: a walk over its template's
// members, into the templates they are made of and along their arrays, one
// primitive value at a time. It knows the separators the text format puts
// after each value: ";" after every member (so a vector member of an array
// ends "1.0;2.0;3.0;"), "," between the elements of an array, and so ";;"
// where an array of vectors ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "XTemplates.h"

namespace xfileconvert {

class MemberCursor {
 public:
  // Starts on the first value of an object of `type`; returns the
  // separators that stand before it (the ";" of arrays sized 0 at the
  // start, if any). A template without members is done at once.
  std::string_view Start(const XTemplate& type);

  // Whether every value of the object has been taken.
  bool Done() const { return done_; }
  // The type of the next value (only while not done).
  XPrimitive Expected() const { return expected_; }
  // Whether the next value gives the size of an array that follows it.
  bool ExpectsSize() const { return expectsSize_; }

  // Takes the next value (`size` is its integer reading, kept where the
  // value sizes an array) and returns the separators that follow it, up to
  // the next value or the object's end.
  std::string_view Take(std::uint64_t size = 0);

  // Whether a line may end after the separators Take returned: after a
  // member of the object itself, after each element of its arrays of
  // templates, and every sixteen numbers of its arrays of numbers.
  bool LineEnds() const { return lineEnds_; }
  // Whether a member of the object itself ended in the separators Take returned.
  bool MemberEnds() const { return memberEnds_; }

  // Runs of alike elements, which a writer may write at once. Where the next
  // value begins an element of an array whose elements are laid out alike,
  // the shape of its elements and how many of them, this one included, come
  // before the array's last (whose end the walk takes again); else a run of
  // none.
  enum class Shape : std::uint8_t {
    Number,         // a number of an array of numbers
    Numbers,        // a template of single numbers of one kind (Vector: "x;y;z;")
    CountedNumbers  // a count and as many numbers (MeshFace: "3;0,1,2;")
  };
  struct Run {
    Shape shape = Shape::Number;
    std::size_t numbers = 0;      // a Numbers element's count of numbers
    std::uint64_t elements = 0;   // 0: no run
    std::uint64_t first = 0;      // the index of the run's first element in its array
    bool outermost = false;       // the array is a member of the object itself
  };
  Run RunAhead() const;
  // Takes `elements` whole elements of the run RunAhead found.
  void TakeElements(std::uint64_t elements);

 private:
  struct Level {
    const XTemplate* type = nullptr;
    std::size_t member = 0;
    std::uint64_t element = 0;
    std::uint64_t count = 0;  // elements of the current member; 0 until it is begun
    std::vector<std::uint64_t> sizes;  // the values of members that size arrays
  };

  Level& Innermost() { return levels_[depth_ - 1]; }
  const Level& Innermost() const { return levels_[depth_ - 1]; }
  std::uint64_t CountOf(const Level& level) const;
  void CompleteElement();
  void Position();
  void Push(const XTemplate& type);

  std::vector<Level> levels_;  // levels_[0, depth_) are open
  std::size_t depth_ = 0;
  std::string separators_;
  XPrimitive expected_ = XPrimitive::None;
  bool expectsSize_ = false;
  bool done_ = true;
  bool lineEnds_ = false;
  bool memberEnds_ = false;
};

}  // namespace xfileconvert
