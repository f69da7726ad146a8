#pragma once
#include <cstdint>
#include <string>

// The recording time of a packet: year - 2000, month, day, hour, minute, second.
struct QXTimestamp {
    std::uint8_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;

    static QXTimestamp FromBytes(const std::uint8_t* bytes);
    void ToBytes(std::uint8_t* bytes) const;

    // Month 1-12, day 1-31, hour <= 23, minute and second <= 59; any year.
    bool IsValid() const;
    // Equal to the minute: the seconds are not compared.
    bool IsEqual(const QXTimestamp& other) const;
    // Month, then day, hour and minute decide; the year and the second take no part.
    bool IsLater(const QXTimestamp& other) const;
    bool IsEarlier(const QXTimestamp& other) const;
    void Clear() { *this = QXTimestamp{}; }

    // "2%03d/%02d/%02d %02d:%02d": the digit 2 followed by the three-digit year value.
    std::string Format() const;
    bool operator==(const QXTimestamp&) const = default;
};
