#pragma once

// One of the abstract device classes made concrete for tests: the bridge's
// quit and bootloader commands, which each real device defines, do nothing.
template <typename DeviceT>
class BenchDevice : public DeviceT {
public:
    using DeviceT::DeviceT;
    void SendHashZ() override {}
    void EnterMasterBootloader() override {}
    void Quit() override {}
};
