#include "CCamCommand.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr const char* kCommandPrefix = "KESTRAQUERY";
}

void CCamCommand::ScramblePassword(const char* password, char* out, std::size_t outSize) {
    if (outSize == 0)
        return;
    const std::size_t length = std::min(std::strlen(password), outSize - 1);
    for (std::size_t i = 0; i < length; ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(password[i]) ^
                                   kPasswordMask[i % sizeof(kPasswordMask)]);
    out[length] = '\0';
}

std::string CCamCommand::Join(char kind, std::initializer_list<const char*> fields) {
    std::string text = kCommandPrefix;
    text += ',';
    text += kind;
    for (const char* field : fields) {
        text += ',';
        text += field;
    }
    return text;
}

std::string CCamCommand::Query() {
    return Join('0', {});
}

std::string CCamCommand::UpdateIp(const char* mac, const char* address, const char* netMask,
                                  const char* gateway, const char* user, const char* scrambled) {
    return Join('1', {mac, address, netMask, gateway, user, scrambled});
}

std::string CCamCommand::UpdateMac(const char* mac, const char* newMac, const char* user,
                                   const char* scrambled) {
    return Join('2', {mac, newMac, user, scrambled});
}

std::string CCamCommand::UpdateName(const char* mac, const char* newName, const char* user,
                                    const char* scrambled) {
    return Join('3', {mac, newName, user, scrambled});
}

std::string CCamCommand::UpdatePort(const char* mac, int port, const char* user,
                                    const char* scrambled) {
    const std::string portText = std::to_string(port);
    return Join('4', {mac, portText.c_str(), user, scrambled});
}

std::string CCamCommand::SetDefault(const char* mac, const char* user, const char* scrambled) {
    return Join('6', {mac, user, scrambled});
}
