// The device half of DirectInput: what keyboard, mouse and game controllers
// share (data format, cooperative level, acquisition and its loss).
// A foreground device is lost when its window loses the SDL keyboard focus.
// Accepted but ignored: DISCL_NOWINKEY, and DISCL_EXCLUSIVE beyond its checks
// (nothing is taken from other programs; the pointer is neither grabbed nor
// hidden). The properties are DIPROP_RANGE and, on a device that buffers
// (the keyboard), DIPROP_BUFFERSIZE; others answer DIERR_UNSUPPORTED. Poll
// has nothing to do (state is read on demand). Buffered data (GetDeviceData)
// starts empty at each acquisition; the mouse and game controllers do not
// buffer (DIPROP_BUFFERSIZE answers DIERR_UNSUPPORTED, GetDeviceData
// DIERR_NOTBUFFERED).
#pragma once

#include <SDL.h>
#include <dinput.h>

#include "common/LiveObjects.h"
#include "dinput8/DataBuffer.h"

namespace compat::dinput8 {

class Device : public RefCounted<IDirectInputDevice8W> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetProperty(REFGUID property, LPDIPROPHEADER header) override;
  HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT GetDeviceState(DWORD size, LPVOID data) override;
  HRESULT GetDeviceData(DWORD itemSize, LPDIDEVICEOBJECTDATA items, LPDWORD inOut, DWORD flags) override;
  HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) override;
  HRESULT GetDeviceInfo(LPDIDEVICEINSTANCEW instance) override;
  HRESULT Poll() override;

 protected:
  // The device keeps its DirectInput object alive until it goes itself.
  explicit Device(IUnknown* owner);
  ~Device() override;

  virtual const char* KindName() const = 0;
  virtual bool Accepts(LPCDIDATAFORMAT format) const = 0;
  // The system keyboard and mouse, which every program shares: DirectInput
  // refuses them exclusively in the background (E_NOTIMPL), since that would
  // take them from every other program.
  virtual bool SharedBySystem() const { return false; }
  // Fills `data` (the format's size) with the state since the last read.
  virtual void Read(void* data) = 0;
  // Called on a successful acquisition: input from before it does not count.
  virtual void StartReading() {}
  // False when the hardware has gone (an unplugged controller).
  virtual bool Attached() const { return true; }
  virtual void Describe(DIDEVICEINSTANCEW& instance) const = 0;
  // Property hooks; the base refuses every property.
  virtual HRESULT SetRange(const DIPROPRANGE& range);
  virtual HRESULT GetRange(DIPROPRANGE& range) const;
  // Whether the device keeps buffered data when asked to (DIPROP_BUFFERSIZE).
  virtual bool OffersBuffer() const { return false; }

  bool Acquired() const { return acquired_; }

  LPCDIDATAFORMAT format_ = nullptr;
  DataBuffer buffer_;

 private:
  bool Lost() const;
  // Checks a read of state or buffered data: false, with the result to give,
  // while the device is not acquired or has just been lost.
  bool Readable(HRESULT& refusal);
  HRESULT SetBufferSize(LPCDIPROPHEADER header);
  HRESULT GetBufferSize(LPDIPROPHEADER header) const;

  IUnknown* owner_;
  HWND window_ = nullptr;
  DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  bool acquired_ = false;
  std::uint64_t focusLossesAtAcquire_ = 0;
};

}  // namespace compat::dinput8
