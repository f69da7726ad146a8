#pragma once
#include <string>

// MAC address texts as the user types them: six two-digit hexadecimal groups joined by '-',
// either letter case.
class CCamMacText {
public:
    static constexpr std::size_t kLength = 17;

    enum class Check { Valid, WrongFormat, NotHex };

    // Not 17 characters: WrongFormat. Otherwise the characters are checked left to right and the
    // first failure wins: a digit position that is no hexadecimal digit is NotHex, a separator
    // position that is no '-' is WrongFormat.
    static Check Validate(const std::string& mac);

    // The MAC with its last group increased by one, FF wrapping to 00, written in upper case.
    // The text must have passed Validate.
    static std::string Next(const std::string& mac);
};
