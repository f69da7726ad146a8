#include "CQXPictureRestorer.h"

#include "CQXFrameHistory.h"
#include "CQXVideoFrame.h"

#include <vector>

CQXPictureRestorer::CQXPictureRestorer() {
    m_ready = m_decoder.Initialize() != 0;
}

void CQXPictureRestorer::Clear() {
    for (auto& kept : m_kept)
        kept.clear();
}

std::shared_ptr<const QXDecodedPicture> CQXPictureRestorer::Find(int channel,
                                                                 std::uint64_t place) const {
    for (const Kept& kept : m_kept[channel]) {
        if (kept.place == place)
            return kept.picture;
    }
    return {};
}

std::shared_ptr<const QXDecodedPicture> CQXPictureRestorer::Restore(const CQXVideoFrame& frame,
                                                                    std::uint64_t place,
                                                                    CQXFrameHistory& history) {
    const int channel = frame.GetChannel();
    if (!m_ready || channel >= QXChannelSet::kChannelIndices)
        return {};
    if (auto kept = Find(channel, place))
        return kept;

    // The channel's frames before this one back to where decoding can begin, latest first.
    std::vector<std::uint64_t> chain;
    bool begun = frame.IsKeyFrame() == 1;
    CQXFrameHistory::Frame previous;
    previous.place = place;
    for (int n = 0; !begun && n < CQXPictureRestorer::kMaxFramesBack; ++n) {
        if (!history.GetPreviousFrame(previous.place, previous))
            return {};
        if (previous.channel != channel)
            continue;
        if (auto kept = Find(channel, previous.place)) {
            begun = m_decoder.LoadPicture(*kept) != nullptr;
            break;
        }
        chain.push_back(previous.place);
        begun = previous.key;
    }
    if (!begun)
        return {};
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        const CQXVideoFrame* earlier = history.LoadFrame(*at);
        if (!earlier || earlier->GetChannel() != channel || !DecodeAndKeep(*earlier, channel, *at))
            return {};
    }
    return DecodeAndKeep(frame, channel, place);
}

// A frame that fails to decode leaves the decoder's picture as it was, which is also what
// forward play goes on showing for it.
std::shared_ptr<const QXDecodedPicture>
CQXPictureRestorer::DecodeAndKeep(const CQXVideoFrame& frame, int channel, std::uint64_t place) {
    m_decoder.Decode(&frame);
    ++m_decodes;
    std::deque<Kept>& kept = m_kept[channel];
    std::shared_ptr<QXDecodedPicture> picture;
    if (kept.size() >= kPicturesPerChannel) {
        // A picture a frame still carries to the screen is left to it.
        if (kept.front().picture.use_count() == 1)
            picture = std::move(kept.front().picture);
        kept.pop_front();
    }
    if (!picture)
        picture = std::make_shared<QXDecodedPicture>();
    m_decoder.SavePicture(*picture);
    if (picture->planes.empty())
        return {};
    kept.push_back(Kept{place, picture});
    return picture;
}
