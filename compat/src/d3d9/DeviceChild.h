// The part of every resource that ties it to its device: resources do not
// keep the device alive (as in Direct3D 9, the application holds the device),
// so a device that goes away first deletes their GL objects and detaches them.
// A detached resource answers GetDevice with D3DERR_INVALIDCALL.
#pragma once

#include <d3d9.h>

namespace compat::d3d9 {

class Device;

class DeviceChild {
 public:
  explicit DeviceChild(Device& device);
  DeviceChild(const DeviceChild&) = delete;
  DeviceChild& operator=(const DeviceChild&) = delete;
  virtual ~DeviceChild();

  // Called by the device while it is being destroyed.
  void DetachFromDevice(bool contextCurrent);

 protected:
  // Deletes the GL objects; the context is current.
  virtual void DeleteGLObjects() {}
  // Makes the device's context current; false when the device is gone.
  bool MakeDeviceCurrent();
  HRESULT GetDeviceInterface(IDirect3DDevice9** device);
  Device* device() const { return device_; }

 private:
  Device* device_;  // null once detached
};

}  // namespace compat::d3d9
