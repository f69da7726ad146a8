#pragma once
#include "CKWDirectDrawSurface7Memory.h"
#include "CQXVideoDecoder.h"

#include <atomic>

class CQXVideoFrame;

// An off-screen surface that shows one channel's video: it owns that channel's decoder and
// holds the last decoded picture in its own pixel format.
class CQXDirectDrawSurface7Conversion : public CKWDirectDrawSurface7Memory {
public:
    // The RGB conversions go through one buffer shared by all conversion surfaces.
    static constexpr std::uint32_t kScratchBytes = 829444;

    CQXDirectDrawSurface7Conversion();
    ~CQXDirectDrawSurface7Conversion() override;

    // Decodes the frame (or takes the picture it carries, decoded ahead) and converts the
    // picture into the surface, re-creating the surface at the picture's size (same format or
    // the next accepted one) when the size changed. 1/0.
    int Decode(const CQXVideoFrame* frame);
    bool HasPicture() const { return m_hasPicture; }
    void ClearPicture() { m_hasPicture = false; }
    std::uint32_t GetCounter(CQXVideoDecoder::Counter counter) const {
        return m_decoder.GetCounter(counter);
    }

    // Format name, size and whether a picture is loaded.
    std::string GetDescription() const override;

private:
    CQXVideoDecoder m_decoder;
    std::atomic<bool> m_hasPicture{false};
};
