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
  separators_.clear();
  lineEnds_ = memberEnds_ = false;
  Level& level = Innermost();
  const XMember& member = level.type->members[level.member];
  if (member.sizesArrays) level.sizes[level.member] = size;
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

}  // namespace xfileconvert
