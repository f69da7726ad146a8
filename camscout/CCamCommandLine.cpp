#include "CCamCommandLine.h"

#include "CKWUdpSocket.h"

#include <charconv>

bool CCamCommandLine::ParseNumber(const std::string& text, std::uint32_t low, std::uint32_t high,
                                  std::uint32_t& value) {
    std::uint32_t parsed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, parsed);
    if (failure != std::errc() || stop != end || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool CCamCommandLine::Parse(const std::vector<std::string>& arguments, std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--search") {
            search = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            help = true;
            continue;
        }
        if (option != "--seconds" && option != "--format" && option != "--broadcast" &&
            option != "--command-port" && option != "--reply-port") {
            error = "unknown option: " + option;
            return false;
        }
        if (i + 1 == arguments.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        std::uint32_t number = 0;
        std::uint32_t address = 0;
        if (option == "--seconds") {
            if (!ParseNumber(value, 1, kMaxSeconds, seconds)) {
                error = "--seconds takes a whole number from 1 to " + std::to_string(kMaxSeconds);
                return false;
            }
        } else if (option == "--format") {
            if (value != "csv" && value != "json") {
                error = "--format takes csv or json";
                return false;
            }
            format = value == "csv" ? Format::Csv : Format::Json;
        } else if (option == "--broadcast") {
            if (!CKWUdpSocket::ParseAddress(value, address)) {
                error = "--broadcast takes an IPv4 address such as 127.0.0.1";
                return false;
            }
            endpoints.broadcastAddress = value;
        } else {
            if (!ParseNumber(value, 1, 65535, number)) {
                error = option + " takes a port from 1 to 65535";
                return false;
            }
            (option == "--command-port" ? endpoints.commandPort : endpoints.replyPort) =
                static_cast<std::uint16_t>(number);
        }
    }
    return true;
}

std::string CCamCommandLine::Usage() {
    return "usage: camscout [--broadcast ADDR] [--command-port N] [--reply-port N]\n"
           "       camscout --search [--seconds S] [--format csv|json] [--broadcast ADDR]\n"
           "                [--command-port N] [--reply-port N]\n"
           "\n"
           "Without --search the camera list window opens. With --search the cameras are\n"
           "queried for S seconds (default 4) and listed on standard output, then the program\n"
           "ends. Commands go to ADDR (default 255.255.255.255) on the command port (default\n"
           "10000); replies are received on the reply port (default 9999).\n";
}
