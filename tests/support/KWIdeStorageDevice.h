#pragma once
#include "CQXStorageDevice.h"
#include "KWRawDrive.h"

// A device that answers the identify request with recorded data, as an ATA drive would.
class IdeStorageDevice : public CQXStorageDevice {
public:
    explicit IdeStorageDevice(const KWRawDrive::IdentifyData& identify) : m_identify(identify) {}

protected:
    bool RequestIdentify(KWRawDrive::IdentifyData& data) override {
        data = m_identify;
        return true;
    }

private:
    KWRawDrive::IdentifyData m_identify;
};
