#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What an evidence export writes beside its files, as report.json (for programs and `qvtool
// verify`) and report.txt (for people): where the footage came from, the SHA-256 of the raw
// packets read, and for every file its SHA-256 and what it holds.
struct QvToolEvidenceReport {
    static constexpr const char* kJsonName = "report.json";
    static constexpr const char* kTextName = "report.txt";

    struct Gap {
        std::string before; // "YYYY-MM-DD HH:MM:SS"
        std::string after;
        std::int64_t seconds = 0;
    };
    struct Skipped {
        std::uint32_t packet = 0;
        std::string time;
        std::string reason;
    };
    struct File {
        std::string name;    // in the folder; ends in ".partial" when the export did not finish
        std::string channel; // "1" to "4" or "composite"
        std::string sha256;
        std::uint64_t bytes = 0;
        std::string videoCodec;
        std::string soundCodec;
        int width = 0;
        int height = 0;
        long frames = 0;
        std::uint64_t soundSamples = 0;
        std::string first; // recorded times of the first and last frame
        std::string last;
        std::vector<Gap> gaps;
        std::vector<Skipped> skipped;
    };

    std::string drivePath;
    std::uint64_t driveBytes = 0;
    std::string driveModel; // empty when the drive reports none
    std::uint32_t firstPacket = 0;
    std::uint32_t lastPacket = 0;
    std::string packetsSha256;
    bool complete = false;
    std::string note; // why the export is not complete
    std::string version;
    std::string commandLine;
    std::vector<File> files;

    std::string ToJson() const;
    std::string ToText() const;
    // Reads what `qvtool verify` checks back from report.json: the drive, the packet range and
    // its hash, the files and their hashes. False with `error` set when the text is no report.
    bool FromJson(const std::string& json, std::string& error);
};
