#include "xfile/AnimationReader.h"

#include "xfile/RecordReading.h"

XFILE_SHAPE_BEGIN

#if !defined(XVIEW_REDUCED_MODEL)

namespace {

enum KeyType : std::int32_t { RotationKey = 0, ScaleKey = 1, PositionKey = 2, MatrixKey = 4 };

D3DXVECTOR3 ReadVector3() {
  float x = ReadFloat();
  float y = ReadFloat();
  float z = ReadFloat();
  return D3DXVECTOR3(x, y, z);
}

// Reads one key's value for its type into its map; the first value of a tick wins.
void ReadKey(XAnimation& animation, std::int32_t type, std::uint32_t tick) {
  switch (type) {
    case RotationKey: {
      float w = ReadFloat();
      float x = ReadFloat();
      float y = ReadFloat();
      float z = ReadFloat();
      animation.rotationKeys.try_emplace(tick, D3DXQUATERNION(x, y, z, w));
      break;
    }
    case ScaleKey:
      animation.scaleKeys.try_emplace(tick, ReadVector3());
      break;
    case PositionKey:
      animation.positionKeys.try_emplace(tick, ReadVector3());
      break;
    case MatrixKey: {
      D3DXMATRIX matrix;
      ReadMatrix(matrix);
      animation.matrixKeys.try_emplace(tick, matrix);
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool ReadAnimationSet(XAnimationSet& set) {
  RecordScope scope(L"AnimationSet");
  ReadToken();
  while (!TokenIsOpenBrace() && !AtEndOfModel()) {
    set.name = g_Token;
    scope.Name(set.name);
    ReadToken();
  }
  std::int32_t maxKeyTime = 0;
  ReadToken();
  while (!TokenIsCloseBrace() && !AtEndOfModel()) {
    if (TokenIs(L"Animation")) {
      ReadAnimation(set.animations.emplace_back(), maxKeyTime);
    } else if (TokenIsOpenBrace()) {
      SkipRecord(true);
    }
    ReadToken();
  }
  set.lastKeyTime = maxKeyTime;
  return true;
}

bool ReadAnimation(XAnimation& animation, std::int32_t& maxKeyTime) {
  RecordScope scope(L"Animation");
  ReadOpeningBrace();  // the animation's own name is not kept
  ReadToken();
  // A "{" that follows a word opens that word's record; any other "{" is a
  // reference to the animated frame.
  bool afterWord = false;
  while (!TokenIsCloseBrace() && !AtEndOfModel()) {
    bool word = false;
    if (TokenIsOpenBrace() && !afterWord) {
      ReadToken();
      if (!TokenIsCloseBrace()) {  // "{ }" names no frame
        animation.frameName = g_Token;
        ReadClosingBrace();
      }
    } else if (TokenIsOpenBrace()) {
      SkipRecord(true);
    } else if (TokenIs(L"AnimationKey")) {
      ReadAnimationKey(animation, maxKeyTime);
    } else if (TokenIs(L"AnimationOptions")) {
      SkipRecord(false);
    } else {
      word = true;
    }
    afterWord = word;
    ReadToken();
  }
  return true;
}

bool ReadAnimationKey(XAnimation& animation, std::int32_t& maxKeyTime) {
  RecordScope scope(L"AnimationKey");
  ReadOpeningBrace();
  std::int32_t type = ReadInt();
  std::int32_t count = ReadInt();
  bool known = type == RotationKey || type == ScaleKey || type == PositionKey || type == MatrixKey;
  if (!known) {  // a key type the reader does not know is passed over whole
    Warn(ParseWarningKind::RecordSkipped, [&] { return L"key type " + std::to_wstring(type); });
    SkipNestedRecord();
    return true;
  }
  const std::uint32_t keys = count > 0 ? static_cast<std::uint32_t>(count) : 0;
  for (std::uint32_t i = 0; NextItem(i, keys, L"keys"); ++i) {
    std::int32_t time = TokenInt();
    if (time > maxKeyTime) maxKeyTime = time;
    ReadInt();  // the key's number of values, not used
    ReadKey(animation, type, static_cast<std::uint32_t>(time));
  }
  ReadClosingBrace();
  return true;
}

#endif

XFILE_SHAPE_END
