#pragma once
#include <cstddef>
#include <initializer_list>
#include <string>

// The texts of the commands the finder broadcasts to the cameras: comma-separated fields after
// "KESTRAQUERY" and the command kind, inserted exactly as they stand (no quoting or escaping),
// no trailing comma. Arguments are C strings: a field ends at its first zero byte, which is
// what cuts a scrambled password short when one of its bytes scrambles to zero.
class CCamCommand {
public:
    static constexpr unsigned char kPasswordMask[8] = {0x3C, 0xA7, 0x19, 0xE2,
                                                       0x5B, 0x04, 0xD8, 0x6F};

    // XORs the password with the mask (restarting at mask byte 0) into out and terminates it.
    // A password longer than out can hold is cut to fit.
    static void ScramblePassword(const char* password, char* out, std::size_t outSize);

    static std::string Query();
    static std::string UpdateIp(const char* mac, const char* address, const char* netMask,
                                const char* gateway, const char* user, const char* scrambled);
    static std::string UpdateMac(const char* mac, const char* newMac, const char* user,
                                 const char* scrambled);
    static std::string UpdateName(const char* mac, const char* newName, const char* user,
                                  const char* scrambled);
    static std::string UpdatePort(const char* mac, int port, const char* user,
                                  const char* scrambled);
    static std::string SetDefault(const char* mac, const char* user, const char* scrambled);

private:
    static std::string Join(char kind, std::initializer_list<const char*> fields);
};
