#pragma once
// Frames decoded as the screen shows them: one decoder per channel index, each frame decoded onto
// its channel's picture (or the picture it carries, decoded ahead), each shown picture named by
// the SHA-256 of its planes.
#include "CQXVideoDecoder.h"
#include "CQXVideoFrame.h"
#include "KWSha256.h"
#include "QXChannelSet.h"

#include <string>

class ShownPictures {
public:
    ShownPictures() {
        for (CQXVideoDecoder& decoder : m_decoders)
            m_ready = decoder.Initialize() && m_ready;
    }
    bool IsReady() const { return m_ready; }

    // The digest of the picture the frame's channel shows after the frame; "" when it shows
    // none (no key picture yet, a frame that names no channel).
    std::string Show(const CQXVideoFrame& frame) {
        const int channel = frame.GetChannel();
        if (channel >= QXChannelSet::kChannelIndices)
            return "";
        CQXVideoDecoder& decoder = m_decoders[channel];
        if (!frame.DecodeWith(decoder) && decoder.GetWidth() == 0)
            return "";
        const std::uint8_t* const* planes = decoder.GetPlanes();
        const std::size_t luma = static_cast<std::size_t>(decoder.GetWidth()) *
                                 static_cast<std::size_t>(decoder.GetHeight());
        KWSha256 sha;
        sha.Update(planes[0], luma);
        sha.Update(planes[1], luma / 4);
        sha.Update(planes[2], luma / 4);
        const KWSha256::Digest digest = sha.Finish();
        return std::string(digest.begin(), digest.end());
    }

private:
    bool m_ready = true;
    CQXVideoDecoder m_decoders[QXChannelSet::kChannelIndices];
};
