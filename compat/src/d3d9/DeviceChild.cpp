#include "d3d9/DeviceChild.h"

#include "d3d9/Device.h"

namespace compat::d3d9 {

DeviceChild::DeviceChild(Device& device) : device_(&device) { device.drawState.children.insert(this); }

DeviceChild::~DeviceChild() {
  if (!device_) return;
  if (device_->MakeCurrent()) DeleteGLObjects();
  device_->drawState.children.erase(this);
}

void DeviceChild::DetachFromDevice(bool contextCurrent) {
  if (contextCurrent) DeleteGLObjects();
  device_ = nullptr;
}

bool DeviceChild::MakeDeviceCurrent() { return device_ && device_->MakeCurrent(); }

HRESULT DeviceChild::GetDeviceInterface(IDirect3DDevice9** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = device_;
  if (!device_) return D3DERR_INVALIDCALL;
  device_->AddRef();
  return D3D_OK;
}

}  // namespace compat::d3d9
