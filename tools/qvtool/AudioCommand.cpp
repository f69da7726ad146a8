// qvtool audio: plays the sound of a drive's stream in forward order into a WAV file, through the
// same wave manager and expansion the viewer uses.
#include "CKWWaveManager.h"
#include "CQX4KPacket.h"
#include "KWFileKind.h"
#include "KWWaveOutBackend.h"
#include "QXAudioPlayback.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
const char* const kName = "audio";
const char* const kUsage = "usage: qvtool audio IMAGE|--drive PATH --wav OUT.wav [--volume 0..100]";
constexpr std::uint32_t kStallTimeoutMs = 5000;

// A WAV file that holds no sound is no output to leave behind.
void RemoveIfEmpty(const std::string& wav, const KWWavFileReport& report) {
    if (report.dataBytes == 0)
        std::remove(wav.c_str());
}

int RunAudio(const std::vector<std::string>& arguments) {
    QvToolDrive::Stream stream;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::OpenStream(kName, arguments, {"--wav", "--volume"}, stream, rest))
        return status;
    std::string wav;
    int volume = QvToolCommand::kDefaultVolume;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (rest[i] == "--wav" && i + 1 < rest.size()) {
            wav = rest[i + 1];
        } else if (rest[i] == "--volume" && i + 1 < rest.size()) {
            char* end = nullptr;
            const long value = std::strtol(rest[i + 1].c_str(), &end, 10);
            if (*end != '\0' || value < 0 || value > 100)
                return QvToolCommand::UsageError(kName, "--volume takes 0 to 100");
            volume = static_cast<int>(value);
        } else {
            return QvToolCommand::UsageError(kName,
                                             "unknown argument '" + rest[i] + "' (" + kUsage + ")");
        }
    }
    if (wav.empty())
        return QvToolCommand::UsageError(kName, std::string("--wav is required (") + kUsage + ")");

    if (const std::string problem = KWOutputFileProblem(wav); !problem.empty()) {
        std::fprintf(stderr, "qvtool audio: %s\n", problem.c_str());
        return QvToolCommand::kExitFailure;
    }
    const auto report = std::make_shared<KWWavFileReport>();
    KWSetWaveOutBackendFactory(KWWavFileBackendFactory(wav, report));
    CKWWaveManager manager;
    manager.SetVolume(volume);
    if (!manager.Open(CKWWaveManager::kSampleRate, CKWWaveManager::kBitsPerSample)) {
        std::fprintf(stderr, "qvtool audio: cannot write %s\n", wav.c_str());
        RemoveIfEmpty(wav, *report);
        return QvToolCommand::kExitFailure;
    }
    CQXStorageDevice& device = *stream.device;
    const std::uint32_t last = device.GetStreamLength();
    std::uint32_t next = 0;
    QXAudioPlaybackCounts counts;
    // The reader asks for the pairs of audio samples to be exchanged back, as forward play does.
    const int played = QXPlayAudioPackets(
        manager,
        [&](CQX4KPacket& packet) { return next <= last ? device.ReadPacket(next++, packet) : 0; },
        true, kStallTimeoutMs, &counts);
    manager.Close();
    stream.manager->CloseAllDevices();
    // The seconds the file holds, which a failed write leaves short of the sound played.
    const double seconds =
        report->bytesPerSecond ? double(report->dataBytes) / report->bytesPerSecond : 0;
    std::printf("{\"wav\":%s,\"packets\":%u,\"audio_packets\":%u,\"seconds\":%.3f}\n",
                QvToolJson::String(wav).c_str(), counts.packets, counts.audioFrames, seconds);
    if (report->failed) {
        std::fprintf(stderr,
                     "qvtool audio: writing %s failed after %.3f seconds of sound (is the disk "
                     "full?); the file holds what was written before\n",
                     wav.c_str(), seconds);
        RemoveIfEmpty(wav, *report);
        return QvToolCommand::kExitFailure;
    }
    if (!played) {
        std::fprintf(stderr, "qvtool audio: the sound output stopped taking sound\n");
        return QvToolCommand::kExitFailure;
    }
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration kRegistration(
    kName, {"play the sound of IMAGE into a WAV file (--wav OUT.wav [--volume 0..100])", RunAudio});
} // namespace
