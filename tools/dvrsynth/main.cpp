#include "DvrRecorder.h"
#include "DvrTruthWriter.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {
const char* const kUsage =
    "usage: dvrsynth OUT.img [options]\n"
    "  --channels LIST     cameras recorded, e.g. 1,2,3,4 (default) or 1,3\n"
    "  --composite         one full-size four-camera picture instead of channels\n"
    "  --slices N          picture geometry: 7 (320x112), 9 (320x136), 14 (640x224), 17 (640x272)\n"
    "  --seconds S         length of the recording (default 10)\n"
    "  --start TIME        \"YYYY-MM-DD HH:MM:SS\" (default 2026-12-01 12:00:00)\n"
    "  --quantiser Q       1-15 (default 4)\n"
    "  --key-period N      frames per channel from one key picture to the next (default 30)\n"
    "  --interval CODE     interval code of the data packets (default 0)\n"
    "  --no-audio          record no sound\n"
    "  --untimed-audio     audio packets leave their time bytes zero\n"
    "  --pad-frames        start every frame in a new data packet\n"
    "  --still             scenes without motion (tiny non-key pictures)\n"
    "  --disk-size SIZE    image size in bytes, or with K, M, G or T (default: just enough)\n"
    "  --wrapped           a circular recording that has wrapped round the disk\n"
    "  --events N          recording spans in the event table (default 1, at most 63)\n"
    "  --event-first-index N  where the spans begin in the table's ring: even, 0-128\n"
    "  --damage KIND:N     invalid:PACKET, truncate:FRAME or oversize:FRAME (repeatable)\n"
    "  --truth DIR         write the source pictures, sound and frame list into DIR\n"
    "  --older-run PACKET  leave an older recording (a day earlier) from disk packet PACKET on,\n"
    "                      beyond the stream's end\n"
    "  --older-seconds S   length of that older recording (default 5)\n";

int UsageError(const std::string& text) {
    std::fprintf(stderr, "dvrsynth: %s\n%s", text.c_str(), kUsage);
    return 2;
}

bool ParseNumber(const std::string& text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0';
}

bool ParseSize(std::string text, std::uint64_t& bytes) {
    std::uint64_t unit = 1;
    if (!text.empty()) {
        switch (text.back()) {
        case 'K':
            unit = 1ull << 10;
            break;
        case 'M':
            unit = 1ull << 20;
            break;
        case 'G':
            unit = 1ull << 30;
            break;
        case 'T':
            unit = 1ull << 40;
            break;
        default:
            break;
        }
        if (unit != 1)
            text.pop_back();
    }
    long long value = 0;
    if (!ParseNumber(text, value) || value <= 0)
        return false;
    bytes = static_cast<std::uint64_t>(value) * unit;
    return true;
}

bool ParseChannels(const std::string& text, std::vector<int>& channels) {
    channels.clear();
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        long long channel = 0;
        if (!ParseNumber(text.substr(at, comma - at), channel) || channel < 1 || channel > 4)
            return false;
        channels.push_back(static_cast<int>(channel - 1));
        at = comma + 1;
    }
    return !channels.empty();
}

bool ParseDamage(const std::string& text, DvrRecorder::Damage& damage) {
    const std::size_t colon = text.find(':');
    long long index = 0;
    if (colon == std::string::npos || !ParseNumber(text.substr(colon + 1), index) || index < 0)
        return false;
    const std::string kind = text.substr(0, colon);
    if (kind == "invalid")
        damage.kind = DvrRecorder::DamageKind::InvalidPacket;
    else if (kind == "truncate")
        damage.kind = DvrRecorder::DamageKind::TruncatedFrame;
    else if (kind == "oversize")
        damage.kind = DvrRecorder::DamageKind::OversizedFrame;
    else
        return false;
    damage.index = static_cast<std::uint64_t>(index);
    return true;
}
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return UsageError("no output image given");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }

    DvrRecorder::Options options;
    options.start = std::tm{};
    options.start.tm_year = 126;
    options.start.tm_mon = 11;
    options.start.tm_mday = 1;
    options.start.tm_hour = 12;
    std::string truthFolder;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        auto number = [&](long long& out) {
            std::string text;
            return value(text) && ParseNumber(text, out);
        };
        long long n = 0;
        std::string text;
        if (a.empty() || a[0] != '-') {
            if (!options.output.empty())
                return UsageError("more than one output image: " + a);
            options.output = a;
        } else if (a == "--channels") {
            if (!value(text) || !ParseChannels(text, options.channels))
                return UsageError("--channels takes a list of camera numbers 1-4");
        } else if (a == "--composite") {
            options.channels = {4};
        } else if (a == "--slices") {
            if (!number(n) || (n != 7 && n != 9 && n != 14 && n != 17))
                return UsageError("--slices takes 7, 9, 14 or 17");
            options.slices = static_cast<int>(n);
        } else if (a == "--seconds") {
            if (!value(text) || (options.seconds = std::atof(text.c_str())) <= 0)
                return UsageError("--seconds takes a positive length");
        } else if (a == "--start") {
            if (!value(text) || !strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &options.start))
                return UsageError("--start takes \"YYYY-MM-DD HH:MM:SS\"");
        } else if (a == "--quantiser") {
            if (!number(n) || n < 1 || n > 15)
                return UsageError("--quantiser takes 1-15");
            options.quantiser = static_cast<int>(n);
        } else if (a == "--key-period") {
            if (!number(n) || n < 1)
                return UsageError("--key-period takes a positive count");
            options.keyPeriod = static_cast<int>(n);
        } else if (a == "--interval") {
            if (!number(n) || n < 0 || n > 255)
                return UsageError("--interval takes 0-255");
            options.intervalCode = static_cast<int>(n);
        } else if (a == "--no-audio") {
            options.audio = false;
        } else if (a == "--untimed-audio") {
            options.audioTime = false;
        } else if (a == "--pad-frames") {
            options.padFrames = true;
        } else if (a == "--still") {
            options.motion = false;
        } else if (a == "--disk-size") {
            if (!value(text) || !ParseSize(text, options.diskBytes))
                return UsageError("--disk-size takes a size such as 1000000000, 500M or 1T");
        } else if (a == "--wrapped") {
            options.shape = DvrRecorder::Shape::Wrapped;
        } else if (a == "--events") {
            if (!number(n) || n < 0 || n > static_cast<long long>(DvrEventTable::kMaxEvents))
                return UsageError("--events takes 0-63");
            options.events = static_cast<int>(n);
        } else if (a == "--event-first-index") {
            if (!number(n) || n < 0 || n > DvrEventTable::kRingEndIndex ||
                n % DvrEventTable::kIndexStep != 0)
                return UsageError("--event-first-index takes an even index 0-128");
            options.eventFirstIndex = static_cast<int>(n);
        } else if (a == "--damage") {
            DvrRecorder::Damage damage{};
            if (!value(text) || !ParseDamage(text, damage))
                return UsageError(
                    "--damage takes invalid:PACKET, truncate:FRAME or oversize:FRAME");
            options.damage.push_back(damage);
        } else if (a == "--older-run") {
            if (!number(n) || n <= 0)
                return UsageError("--older-run takes a disk packet beyond the stream's end");
            options.olderRunPacket = static_cast<std::uint64_t>(n);
        } else if (a == "--older-seconds") {
            if (!value(text) || (options.olderRunSeconds = std::atof(text.c_str())) <= 0)
                return UsageError("--older-seconds takes a positive length");
        } else if (a == "--truth") {
            if (!value(truthFolder))
                return UsageError("--truth takes a folder");
        } else {
            return UsageError("unknown option " + a);
        }
    }
    if (options.output.empty())
        return UsageError("no output image given");

    DvrRecorder recorder(options);
    DvrTruthWriter truth(truthFolder);
    if (!truthFolder.empty()) {
        if (!truth.Open()) {
            std::fprintf(stderr, "dvrsynth: %s\n", truth.Error().c_str());
            return 1;
        }
        recorder.SetPictureSink([&truth](int channel, std::uint64_t, const DvrPicture& picture) {
            truth.AddPicture(channel, picture);
        });
    }
    const DvrRecorder::Result result = recorder.Record();
    if (!result.ok) {
        std::fprintf(stderr, "dvrsynth: %s\n", result.error.c_str());
        return 1;
    }
    if (!truthFolder.empty() && !truth.Finish(result)) {
        std::fprintf(stderr, "dvrsynth: %s\n", truth.Error().c_str());
        return 1;
    }
    std::printf("{\"image\":\"%s\",\"disk_bytes\":%llu,\"packets\":%llu,\"stream_length\":%llu,"
                "\"frames\":%zu,\"events\":%zu,\"audio_seconds\":%.1f,\"older_run\":[%llu,%llu]}\n",
                options.output.c_str(), static_cast<unsigned long long>(result.diskBytes),
                static_cast<unsigned long long>(result.packetsWritten),
                static_cast<unsigned long long>(result.streamLength), result.frames.size(),
                result.events.size(), result.sound.size() / double(DvrRecorder::kSampleRate),
                static_cast<unsigned long long>(result.olderRunFirst),
                static_cast<unsigned long long>(result.olderRunLast));
    return 0;
}
