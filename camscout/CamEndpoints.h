#pragma once
#include <cstdint>
#include <string>

// Where the finder sends its commands and where it receives the replies. The defaults are the
// cameras' protocol; the command line overrides them (tests and trials use loopback).
struct CamEndpoints {
    static constexpr const char* kDefaultBroadcast = "255.255.255.255";
    static constexpr std::uint16_t kDefaultCommandPort = 10000;
    static constexpr std::uint16_t kDefaultReplyPort = 9999;
    static constexpr const char* kAllInterfaces = "0.0.0.0";

    std::string broadcastAddress = kDefaultBroadcast;
    std::uint16_t commandPort = kDefaultCommandPort;
    std::uint16_t replyPort = kDefaultReplyPort;
    std::string listenAddress = kAllInterfaces;
};
