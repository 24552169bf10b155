#pragma once
// An owner's place in the graphics device's lost-device lists, held as a member of the owner:
// made with it, it enters the owner's release and restore operations in their steps; deleted
// with it, it takes them out again. The game has one owner of each kind; where tests make
// several, the latest made holds the steps, and an earlier one leaving does not empty them.
#include "render/GraphicsDevice.h"

template <class Owner, void (Owner::*Release)(), void (Owner::*Restore)()>
class DeviceListing {
public:
    DeviceListing(Owner* owner, DeviceReleaseStep releaseStep, DeviceRestoreStep restoreStep)
        : owner_(owner), releaseStep_(releaseStep), restoreStep_(restoreStep)
    {
        SetDeviceReleaseStep(releaseStep_, CallRelease, owner_);
        SetDeviceRestoreStep(restoreStep_, CallRestore, owner_);
        Listed() = owner_;
    }
    ~DeviceListing()
    {
        if (Listed() != owner_) return;
        SetDeviceReleaseStep(releaseStep_, nullptr);
        SetDeviceRestoreStep(restoreStep_, nullptr);
        Listed() = nullptr;
    }
    DeviceListing(const DeviceListing&) = delete;
    DeviceListing& operator=(const DeviceListing&) = delete;

private:
    static void CallRelease(void* owner) { (static_cast<Owner*>(owner)->*Release)(); }
    static void CallRestore(void* owner) { (static_cast<Owner*>(owner)->*Restore)(); }
    static Owner*& Listed()
    {
        static Owner* listed = nullptr;
        return listed;
    }

    Owner* owner_;
    DeviceReleaseStep releaseStep_;
    DeviceRestoreStep restoreStep_;
};
