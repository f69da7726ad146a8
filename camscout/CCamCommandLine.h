#pragma once
#include "CamEndpoints.h"

#include <cstdint>
#include <string>
#include <vector>

// The finder's command line:
//   camscout [--broadcast ADDR] [--command-port N] [--reply-port N]
//   camscout --search [--seconds S] [--format csv|json] [same address and port options]
class CCamCommandLine {
public:
    enum class Format { Csv, Json };
    static constexpr std::uint32_t kDefaultSeconds = 4;
    static constexpr std::uint32_t kMaxSeconds = 86400;

    // Reads the arguments after the program name; false with a message on bad input.
    bool Parse(const std::vector<std::string>& arguments, std::string& error);
    static std::string Usage();

    bool search = false;
    bool help = false;
    std::uint32_t seconds = kDefaultSeconds;
    Format format = Format::Csv;
    CamEndpoints endpoints;

private:
    static bool ParseNumber(const std::string& text, std::uint32_t low, std::uint32_t high,
                            std::uint32_t& value);
};
