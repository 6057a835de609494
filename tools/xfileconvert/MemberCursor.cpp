#include "MemberCursor.h"

#include <algorithm>

namespace xfileconvert {

namespace {

// No array is laid out longer than this: a size beyond it names more values
// than any file holds, and whoever gives the values bounds them first.
constexpr std::uint64_t kLongestArray = std::uint64_t{1} << 32;

constexpr std::uint64_t kNumbersPerLine = 16;

}  // namespace

std::string_view MemberCursor::Start(const XTemplate& type) {
  depth_ = 0;
  Push(type);
  separators_.clear();
  done_ = false;
  lineEnds_ = false;
  Position();
  return separators_;
}

std::uint64_t MemberCursor::CountOf(const Level& level) const {
  const XMember& member = level.type->members[level.member];
  std::uint64_t count = 1;
  for (const XDimension& dimension : member.dimensions) {
    const std::uint64_t size = dimension.member.empty() ? dimension.size
                               : dimension.memberIndex >= 0
                                   ? level.sizes[static_cast<std::size_t>(dimension.memberIndex)]
                                   : 0;
    count = size == 0 ? 0 : std::min(count * std::min(size, kLongestArray), kLongestArray);
  }
  return count;
}

std::string_view MemberCursor::Take(std::uint64_t size) {
  Level& level = Innermost();
  const std::vector<XMember>& members = level.type->members;
  const XMember& member = members[level.member];
  if (member.sizesArrays) level.sizes[level.member] = size;
  // Most values lead to the next by one of two steps, taken here without the
  // whole walk: along an array of numbers, and from a number to a single
  // number that follows it.
  if (member.primitive != XPrimitive::None) {
    if (level.element + 1 < level.count) {
      ++level.element;
      lineEnds_ = depth_ == 1 && level.element % kNumbersPerLine == 0;
      memberEnds_ = false;
      return ",";
    }
    if (level.member + 1 < members.size()) {
      const XMember& next = members[level.member + 1];
      if (next.primitive != XPrimitive::None && next.dimensions.empty()) {
        ++level.member;
        level.element = 0;
        level.count = 1;
        expected_ = next.primitive;
        expectsSize_ = next.sizesArrays;
        lineEnds_ = memberEnds_ = depth_ == 1;
        return ";";
      }
    }
  }
  separators_.clear();
  lineEnds_ = memberEnds_ = false;
  CompleteElement();
  Position();
  return separators_;
}

// The current element of the innermost level's member is complete: another
// element follows (",") or the member ends (";").
void MemberCursor::CompleteElement() {
  Level& level = Innermost();
  const XMember& member = level.type->members[level.member];
  const bool outermost = depth_ == 1;
  if (++level.element < level.count) {
    separators_ += ',';
    if (outermost && (member.primitive == XPrimitive::None || level.element % kNumbersPerLine == 0)) lineEnds_ = true;
    return;
  }
  separators_ += ';';
  if (outermost) lineEnds_ = memberEnds_ = true;
  ++level.member;
  level.element = 0;
  level.count = 0;
}

// Goes on to the next primitive value: into the next member, into the
// template an element is made of, and out of templates whose members are
// complete.
void MemberCursor::Position() {
  for (;;) {
    Level& level = Innermost();
    if (level.count == 0) {
      if (level.member == level.type->members.size()) {
        if (depth_ == 1) {
          done_ = true;
          return;
        }
        --depth_;
        CompleteElement();
        continue;
      }
      const std::uint64_t count = CountOf(level);
      if (count == 0) {
        separators_ += ';';
        if (depth_ == 1) lineEnds_ = memberEnds_ = true;
        ++level.member;
        continue;
      }
      level.count = count;
      level.element = 0;
    }
    const XMember& member = level.type->members[level.member];
    if (member.primitive != XPrimitive::None) {
      expected_ = member.primitive;
      expectsSize_ = member.sizesArrays;
      return;
    }
    if (!member.type) {
      // A member of a kind no template describes holds no values here.
      level.element = level.count - 1;
      CompleteElement();
      continue;
    }
    Push(*member.type);
  }
}

// Enters a template's members, reusing the storage of the level that last
// stood at that depth: an array of vectors enters one per element.
void MemberCursor::Push(const XTemplate& type) {
  if (depth_ == levels_.size()) levels_.emplace_back();
  Level& level = levels_[depth_++];
  level.type = &type;
  level.member = 0;
  level.element = 0;
  level.count = 0;
  level.sizes.assign(type.members.size(), 0);
}

namespace {

bool IsScalar(const XMember& member) { return member.primitive != XPrimitive::None && member.dimensions.empty(); }

// A template of single numbers, all floats or all integers.
bool IsFlat(const XTemplate& type) {
  if (type.members.empty()) return false;
  for (const XMember& member : type.members)
    if (!IsScalar(member) || IsFloatType(member.primitive) != IsFloatType(type.members[0].primitive) ||
        IsStringType(member.primitive))
      return false;
  return true;
}

// A count, then an array of integers it sizes.
bool IsCounted(const XTemplate& type) {
  return type.members.size() == 2 && IsScalar(type.members[0]) && IsIntegerType(type.members[0].primitive) &&
         type.members[1].dimensions.size() == 1 && type.members[1].dimensions[0].memberIndex == 0 &&
         IsIntegerType(type.members[1].primitive);
}

}  // namespace

MemberCursor::Run MemberCursor::RunAhead() const {
  Run run;
  if (done_ || depth_ == 0) return run;
  const Level& level = Innermost();
  const XMember& member = level.type->members[level.member];
  if (member.primitive != XPrimitive::None && !member.dimensions.empty()) {
    if (IsStringType(member.primitive) || level.count == 0) return run;
    run.shape = Shape::Number;
    run.elements = level.count - 1 - level.element;
    run.first = level.element;
    run.outermost = depth_ == 1;
    return run;
  }
  // At the start of an element of an array of templates.
  if (depth_ < 2 || level.member != 0 || level.count == 0 || level.element != 0) return run;
  const Level& array = levels_[depth_ - 2];
  if (array.type->members[array.member].dimensions.empty()) return run;
  if (IsFlat(*level.type)) {
    run.shape = Shape::Numbers;
    run.numbers = level.type->members.size();
  } else if (IsCounted(*level.type)) {
    run.shape = Shape::CountedNumbers;
  } else {
    return run;
  }
  run.elements = array.count - 1 - array.element;
  run.first = array.element;
  run.outermost = depth_ == 2;
  return run;
}

void MemberCursor::TakeElements(std::uint64_t elements) {
  if (elements == 0) return;
  Level& level = Innermost();
  const XMember& member = level.type->members[level.member];
  if (member.primitive != XPrimitive::None && !member.dimensions.empty()) {
    level.element += elements;
    return;
  }
  // The next element begins as this one did.
  levels_[depth_ - 2].element += elements;
  std::fill(level.sizes.begin(), level.sizes.end(), 0);
}

}  // namespace xfileconvert
