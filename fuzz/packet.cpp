// A 4 KB packet as read from a drive: its header, its type and, for an audio packet, the sound
// block taken from it.
#include "CQX4KPacket.h"
#include "CQXAudioFrame.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CQX4KPacket packet;
    static CQXAudioFrame audio;
    packet.Reset();
    std::copy_n(data, std::min<std::size_t>(size, CQX4KPacket::kSize), packet.GetData());
    packet.ExchangeBytes();

    const int type = packet.GetType();
    const bool valid = packet.IsValid();
    if (valid && !packet.GetTimestamp().IsValid())
        std::abort(); // a valid packet carries a valid recording time
    if (packet.IsRecorded() != (valid || type == CQX4KPacket::kTypeAudio))
        std::abort();
    packet.HasVideoStart();
    packet.GetTimestamp().Format();

    audio.Reset();
    const int loaded = audio.LoadPacket(packet);
    if (loaded != (type == CQX4KPacket::kTypeAudio))
        std::abort(); // only an audio packet gives a sound block
    if (loaded && audio.GetLength() != CQXAudioFrame::kSize)
        std::abort();
    return 0;
}
