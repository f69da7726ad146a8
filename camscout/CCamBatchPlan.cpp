#include "CCamBatchPlan.h"

#include "CCamMacText.h"

#include <cstdlib>

namespace {
constexpr int kHighestNumber = 255;
constexpr int kWrappedNumber = 1;

std::string WithPort(const std::string& address, int port) {
    return address + ":" + std::to_string(port);
}
} // namespace

std::string CCamBatchPlan::NextAddress(const std::string& address) {
    const std::string quad = address.substr(0, address.find(':'));
    const std::size_t dot = quad.rfind('.');
    const std::size_t numberStart = dot == std::string::npos ? 0 : dot + 1;
    int number = std::atoi(quad.c_str() + numberStart) + 1;
    if (number > kHighestNumber)
        number = kWrappedNumber;
    return quad.substr(0, numberStart) + std::to_string(number);
}

std::vector<CameraRecord> CCamBatchPlan::BuildNewList(const std::vector<CameraRecord>& oldList,
                                                      const Input& input) {
    std::vector<CameraRecord> newList;
    newList.reserve(oldList.size());
    std::string address = input.address;
    std::string mac = input.mac;
    for (std::size_t k = 0; k < oldList.size(); ++k) {
        if (k > 0) {
            address = NextAddress(address);
            mac = input.changeMac ? CCamMacText::Next(mac) : std::string(oldList[k].mac);
        }
        CameraRecord record;
        record.port = input.port;
        CameraRecord::SetText(record.gateway, input.gateway);
        CameraRecord::SetText(record.netMask, input.netMask);
        CameraRecord::SetText(record.address, WithPort(address, input.port));
        CameraRecord::SetText(record.mac, mac);
        CameraRecord::SetText(record.name, input.name + std::to_string(k));
        newList.push_back(record);
    }
    return newList;
}
