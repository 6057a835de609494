#include "dinput8/Device.h"

#include <cstdint>
#include <cstring>
#include <iterator>

#include "common/Trace.h"
#include "dinput8/InputEvents.h"
#include "win32/WindowTable.h"

namespace compat::dinput8 {

namespace {

// A property identifier is its place in the table that MAKEDIPROP indexes;
// anything else is no property this layer knows.
std::uintptr_t PropertyNumber(REFGUID property) {
  const std::uintptr_t place = reinterpret_cast<std::uintptr_t>(&property);
  const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(&c_diPropertyIds[0]);
  if (place < first || (place - first) % sizeof(GUID) != 0) return 0;
  const std::uintptr_t number = (place - first) / sizeof(GUID);
  return number < std::size(c_diPropertyIds) ? number : 0;
}
constexpr std::uintptr_t kBufferSizeProperty = 1;  // DIPROP_BUFFERSIZE
constexpr std::uintptr_t kRangeProperty = 4;       // DIPROP_RANGE

bool ValidRangeHeader(LPCDIPROPHEADER header) {
  return header && header->dwSize == sizeof(DIPROPRANGE) && header->dwHeaderSize == sizeof(DIPROPHEADER);
}

// The buffer size belongs to the whole device.
bool ValidDeviceWordHeader(LPCDIPROPHEADER header) {
  return header->dwSize == sizeof(DIPROPDWORD) && header->dwHeaderSize == sizeof(DIPROPHEADER) &&
         header->dwHow == DIPH_DEVICE && header->dwObj == 0;
}

}  // namespace

Device::Device(IUnknown* owner) : owner_(owner) { owner_->AddRef(); }

Device::~Device() { owner_->Release(); }

HRESULT Device::QueryInterface(REFIID riid, void** object) {
  if (object && riid == IID_IDirectInputDevice8W) {
    *object = static_cast<IDirectInputDevice8W*>(this);
    AddRef();
    return S_OK;
  }
  return RefCounted::QueryInterface(riid, object);
}

HRESULT Device::GetProperty(REFGUID property, LPDIPROPHEADER header) {
  if (!header) return DIERR_INVALIDPARAM;
  if (PropertyNumber(property) == kBufferSizeProperty) return GetBufferSize(header);
  if (PropertyNumber(property) != kRangeProperty) return DIERR_UNSUPPORTED;
  if (!ValidRangeHeader(header)) return DIERR_INVALIDPARAM;
  return GetRange(*reinterpret_cast<DIPROPRANGE*>(header));
}

HRESULT Device::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
  if (!header) return DIERR_INVALIDPARAM;
  if (PropertyNumber(property) == kBufferSizeProperty) return SetBufferSize(header);
  if (PropertyNumber(property) != kRangeProperty) return DIERR_UNSUPPORTED;
  if (!ValidRangeHeader(header)) return DIERR_INVALIDPARAM;
  const DIPROPRANGE& range = *reinterpret_cast<const DIPROPRANGE*>(header);
  trace::Record("SetProperty", KindName(), "range", header->dwObj, header->dwHow, range.lMin, range.lMax);
  if (range.lMin >= range.lMax) return DIERR_INVALIDPARAM;
  return SetRange(range);
}

HRESULT Device::SetRange(const DIPROPRANGE&) { return DIERR_UNSUPPORTED; }

HRESULT Device::SetBufferSize(LPCDIPROPHEADER header) {
  if (!OffersBuffer()) return DIERR_UNSUPPORTED;
  if (!ValidDeviceWordHeader(header)) return DIERR_INVALIDPARAM;
  const DWORD size = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
  trace::Record("SetProperty", KindName(), "buffersize", size);
  // Like every property but a force-feedback gain, only while not acquired.
  if (acquired_) return DIERR_ACQUIRED;
  buffer_.SetSize(size);
  return DI_OK;
}

HRESULT Device::GetBufferSize(LPDIPROPHEADER header) const {
  if (!OffersBuffer()) return DIERR_UNSUPPORTED;
  if (!ValidDeviceWordHeader(header)) return DIERR_INVALIDPARAM;
  reinterpret_cast<DIPROPDWORD*>(header)->dwData = buffer_.Size();
  return DI_OK;
}

HRESULT Device::GetRange(DIPROPRANGE&) const { return DIERR_UNSUPPORTED; }

HRESULT Device::SetCooperativeLevel(HWND hwnd, DWORD flags) {
  trace::Record("SetCooperativeLevel", KindName(), flags);
  const DWORD exclusivity = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
  const DWORD scope = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
  if (exclusivity == 0 || exclusivity == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE)) return DIERR_INVALIDPARAM;
  if (scope == 0 || scope == (DISCL_FOREGROUND | DISCL_BACKGROUND)) return DIERR_INVALIDPARAM;
  if (!win32::SdlWindowOf(hwnd)) return E_HANDLE;
  if (SharedBySystem() && (flags & DISCL_EXCLUSIVE) && (flags & DISCL_BACKGROUND)) return DIERR_UNSUPPORTED;
  if (acquired_) return DIERR_ACQUIRED;
  window_ = hwnd;
  cooperation_ = flags;
  return DI_OK;
}

HRESULT Device::SetDataFormat(LPCDIDATAFORMAT format) {
  trace::Record("SetDataFormat", KindName(), format ? format->dwDataSize : 0);
  if (!format || !Accepts(format)) return DIERR_INVALIDPARAM;
  if (acquired_) return DIERR_ACQUIRED;
  format_ = format;
  return DI_OK;
}

HRESULT Device::Acquire() {
  trace::Record("Acquire", KindName());
  if (!format_) return DIERR_INVALIDPARAM;
  if (acquired_ && !Lost()) return S_FALSE;
  acquired_ = false;
  SDL_Window* window = window_ ? win32::SdlWindowOf(window_) : nullptr;
  if (window_ && !window) return DIERR_INVALIDPARAM;  // the window it cooperates with is gone
  if (!Attached()) return DIERR_UNPLUGGED;
  CurrentInput();  // take waiting events first: focus changes decide the outcome
  if ((cooperation_ & DISCL_FOREGROUND) && !HasFocus(window)) return DIERR_OTHERAPPHASPRIO;
  focusLossesAtAcquire_ = FocusLossesOf(window);
  acquired_ = true;
  buffer_.Clear();
  StartReading();
  return DI_OK;
}

HRESULT Device::Unacquire() {
  trace::Record("Unacquire", KindName());
  if (!acquired_) return DI_NOEFFECT;
  acquired_ = false;
  return DI_OK;
}

bool Device::Lost() const {
  if (!Attached()) return true;
  if (!window_) return false;
  SDL_Window* window = win32::SdlWindowOf(window_);
  if (!window) return true;
  // A foreground device goes as soon as its window is deactivated, even if the focus has come back since.
  return (cooperation_ & DISCL_FOREGROUND) &&
         (FocusLossesOf(window) != focusLossesAtAcquire_ || !HasFocus(window));
}

bool Device::Readable(HRESULT& refusal) {
  if (!acquired_) {
    refusal = DIERR_NOTACQUIRED;
    return false;
  }
  CurrentInput();
  if (Lost()) {
    acquired_ = false;
    refusal = DIERR_INPUTLOST;
    return false;
  }
  return true;
}

HRESULT Device::GetDeviceState(DWORD size, LPVOID data) {
  if (!data) return DIERR_INVALIDPARAM;
  if (!acquired_) return DIERR_NOTACQUIRED;
  if (size != format_->dwDataSize) return DIERR_INVALIDPARAM;
  HRESULT refusal = DI_OK;
  if (!Readable(refusal)) return refusal;
  Read(data);
  return DI_OK;
}

HRESULT Device::GetDeviceData(DWORD itemSize, LPDIDEVICEOBJECTDATA items, LPDWORD inOut, DWORD flags) {
  if (!inOut) return DIERR_INVALIDPARAM;
  HRESULT refusal = DI_OK;
  if (!Readable(refusal)) return refusal;
  if (!buffer_.Buffering()) return DIERR_NOTBUFFERED;
  return buffer_.Take(itemSize, items, inOut, flags);
}

HRESULT Device::GetDeviceInfo(LPDIDEVICEINSTANCEW instance) {
  if (!instance || instance->dwSize != sizeof(DIDEVICEINSTANCEW)) return DIERR_INVALIDPARAM;
  std::memset(instance, 0, sizeof(*instance));
  instance->dwSize = sizeof(DIDEVICEINSTANCEW);
  Describe(*instance);
  return DI_OK;
}

HRESULT Device::Poll() {
  if (!acquired_) return DIERR_NOTACQUIRED;
  return DI_NOEFFECT;  // state is read on demand; nothing needs polling
}

}  // namespace compat::dinput8
