#pragma once
#include "CQXVideoDecoder.h"
#include "QXChannelSet.h"
#include "QXDecodedPicture.h"

#include <cstdint>
#include <deque>
#include <memory>

class CQXFrameHistory;
class CQXVideoFrame;

// Gives a frame shown out of stream order its true picture: what forward play shows for it. A
// non-key picture only updates its channel's previous picture, so the frame is decoded in stream
// order from its channel's last key picture before it (or from a picture kept from an earlier
// call) through every frame of that channel up to it. The pictures decoded on the way are kept,
// the latest kPicturesPerChannel of each channel, so that backward play through a group of
// pictures decodes each frame once; the oldest kept picture's memory serves again once nobody else
// holds it. Memory: at most kPicturesPerChannel pictures of at most
// 640 x 272 x 1.5 bytes for each of the five channel indices (41.8 MB; 27.5 MB for four channels
// of 640 x 224), plus the decoder's planes; its readers clear it when they play forwards.
class CQXPictureRestorer {
public:
    static constexpr std::size_t kPicturesPerChannel = 32;
    // How far back a channel's key picture is looked for, in frames of all channels.
    static constexpr int kMaxFramesBack = 2048;

    CQXPictureRestorer();

    // The true picture of `frame` (complete, at `place` in the stream `history` walks); null
    // when it cannot be had: no key picture of its channel within reach, a frame on the way that
    // cannot be loaded, no decoder memory.
    std::shared_ptr<const QXDecodedPicture> Restore(const CQXVideoFrame& frame, std::uint64_t place,
                                                    CQXFrameHistory& history);
    // Forgets the kept pictures (the stream changed).
    void Clear();
    // Frames decoded since construction.
    std::uint64_t GetDecodeCount() const { return m_decodes; }

private:
    struct Kept {
        std::uint64_t place;
        std::shared_ptr<QXDecodedPicture> picture;
    };

    std::shared_ptr<const QXDecodedPicture> Find(int channel, std::uint64_t place) const;
    // Decodes the frame onto the decoder's picture and keeps the result.
    std::shared_ptr<const QXDecodedPicture> DecodeAndKeep(const CQXVideoFrame& frame, int channel,
                                                          std::uint64_t place);

    bool m_ready = false;
    CQXVideoDecoder m_decoder;
    std::deque<Kept> m_kept[QXChannelSet::kChannelIndices];
    std::uint64_t m_decodes = 0;
};
