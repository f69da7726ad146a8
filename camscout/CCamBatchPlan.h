#pragma once
#include "CameraRecord.h"

#include <string>
#include <vector>

// The new list of the Setting All dialog: what the user entered for the first camera, carried
// on to the others.
class CCamBatchPlan {
public:
    struct Input {
        std::string address; // dotted quad without port
        std::string netMask;
        std::string gateway;
        std::string mac; // a valid MAC text
        std::string name;
        int port = 0;
        bool changeMac = false; // the MAC box is ticked
    };

    // One record per camera of the old list, in order. Camera 0 takes the entered values and the
    // name followed by 0. Camera k takes the previous camera's address with its last number
    // increased by one (above 255 becomes 1), the same port, mask and gateway, the name followed
    // by k and, with changeMac, the previous camera's MAC plus one, else its own MAC.
    static std::vector<CameraRecord> BuildNewList(const std::vector<CameraRecord>& oldList,
                                                  const Input& input);

    // "a.b.c.d" or "a.b.c.d:port" -> "a.b.c.(d+1)", without the port.
    static std::string NextAddress(const std::string& address);
};
