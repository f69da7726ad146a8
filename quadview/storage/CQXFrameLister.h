#pragma once
#include "CQXVideoDecoder.h"
#include "QXChannelSet.h"
#include "QXPlayMode.h"

#include <cstdint>
#include <functional>
#include <string>

class CQXPacketSource;
class CQXVideoFrame;

// Lists the frames of a stream for scripts and forensics: walks it as playback in a play mode
// shows it (CQXPlaybackStepper, without pacing), decodes every frame with one decoder per
// channel index 0-4, as the screen shows them, and describes each frame in one line of JSON with
// the SHA-256 of the decoded planes.
class CQXFrameLister {
public:
    using LineSink = std::function<void(const std::string& line)>;

    struct Walking {
        std::uint32_t mode = QXPlayMode::kPlay; // any mode that reads
        std::uint32_t fromPacket = 0;
        bool fromEnd = false; // start past the stream's end instead
        long count = -1;      // at most this many frames; -1: no limit
    };

    CQXFrameLister();

    // Walks the stream in the mode from where `walking` says until the mode ends by itself (the
    // stream's start or end, a single step's cycle) or `count` frames were listed; returns the
    // number of frames listed, or -1 when a decoder could not be initialised. "play" from packet
    // 0 lists every frame of the stream in order.
    long Walk(CQXPacketSource& source, const LineSink& sink, const Walking& walking);
    long Walk(CQXPacketSource& source, const LineSink& sink) { return Walk(source, sink, {}); }

    // Decodes one frame with its channel's decoder and describes it (without a line end):
    // {"n":N,"packet":P,"channel":C,"channel_set":S,"timestamp":"YYYY-MM-DD HH:MM:SS","key":K,
    //  "slices":K,"length":L,"decoded":true|false[,"error":"label"],"width":W,"height":H,
    //  "y_sha256":"...","u_sha256":"...","v_sha256":"..."}
    std::string Describe(long n, const CQXVideoFrame& frame, std::uint32_t packet);

    // Decodes a frame with a decoder of its channel (null: the channel has none) and returns the
    // planes, or null with `error` naming why it failed, by a decoder counter's label.
    static const std::uint8_t* const* Decode(const CQXVideoFrame& frame, CQXVideoDecoder* decoder,
                                             const char*& error);

private:
    bool m_ready = false;
    CQXVideoDecoder m_decoders[QXChannelSet::kChannelIndices];
};
