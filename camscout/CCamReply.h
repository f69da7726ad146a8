#pragma once
#include "CameraRecord.h"

#include <array>
#include <cstddef>

// Reads the replies the cameras send: "KESTRAREPLY", the kind ("0" to "7"), MAC, address
// (a.b.c.d:port), net mask, gateway, name and, for acknowledgements, a status text.
class CCamReply {
public:
    static constexpr std::size_t kMaxDatagramSize = 250;
    static constexpr std::size_t kMaxTokens = 8;
    static constexpr std::size_t kMaxTokenLength = 20;
    using Slot = std::array<char, kMaxTokenLength + 1>;
    using Slots = std::array<Slot, kMaxTokens>;

    // Splits the text at commas the way strtok does: empty fields vanish and later tokens move
    // up. Keeps the first kMaxTokens tokens, each cut to kMaxTokenLength characters; unused
    // slots stay empty. Returns the number of tokens kept.
    static std::size_t Tokenize(const char* text, Slots& slots);

    // Turns a received text into a record. Returns the reply kind, or -1 when the reply is to be
    // dropped: another first token, or a kind that is not exactly one of 0-4, 6, 7.
    static int Parse(const char* text, CameraRecord& record);

    // The HTTP port of an address: the leading decimal number after its first ':' (0 when
    // there is no ':' or no digits), held within the range of the record's field.
    static std::int32_t PortOf(const char* address);

private:
    static bool KindIsKnown(const Slot& kind);
    static bool KindHasStatus(int kind);
};
