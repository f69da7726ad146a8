#pragma once
#include <cstdint>
#include <vector>

class QXBitWriter;

// Encodes YUV 4:2:0 pictures into the DVR's video code: key pictures code every macroblock,
// non-key pictures only the macroblocks (and luma blocks) that changed since they were last
// coded. The encoder reconstructs each picture exactly as the decoder will, so that
// GetReconstruction equals the decoder's output after the same frames.
class CQXVideoEncoder {
public:
    struct Picture {
        const std::uint8_t* y;
        const std::uint8_t* u;
        const std::uint8_t* v;
        int width;  // lines of the Y plane; U and V lines are width / 2
        int height; // U and V have height / 2 lines
    };

    struct Options {
        int quantiser = 4;           // 1-15
        int channel = 0;             // 0-3 a camera, 4 the composite picture
        std::uint8_t statusBits = 0; // the second header byte
        // A non-key picture recodes a block whose mean squared difference from the source it
        // was last coded from exceeds this.
        int changeThreshold = 4;
    };

    // The sizes the decoder knows: 320x112, 320x136, 640x224, 640x272.
    static bool IsSupportedSize(int width, int height);

    // Encodes one picture. `frame` receives the bytes that follow the start code 00 00 01 F8
    // in the stream: the two header bytes and one slice per macroblock row. A non-key picture
    // needs an earlier key picture of the same size. Returns 1, or 0 for an unsupported size,
    // quantiser or channel (nothing is written then).
    int Encode(const Picture& picture, bool key, const Options& options,
               std::vector<std::uint8_t>& frame);

    // The picture as the decoder will show it after the frames encoded so far.
    Picture GetReconstruction() const;

private:
    struct Plane {
        std::vector<std::uint8_t> pixels;
        int width = 0;
        int height = 0;
    };

    void Prepare(int width, int height);
    // Copies an 8x8 block of the source (lines past its bottom repeat its last line).
    static void FetchBlock(const std::uint8_t* plane, int width, int height, int x, int y,
                           std::uint8_t block[64]);
    bool HasChanged(const std::uint8_t block[64], const Plane& coded, int x, int y,
                    int threshold) const;
    void CodeBlock(const std::uint8_t source[64], int quantiser, Plane& reconstruction,
                   Plane& coded, int x, int y, QXBitWriter& bits);

    int m_width = 0;
    int m_height = 0;
    Plane m_reconstruction[3]; // Y, U, V
    Plane m_coded[3];          // the source each block was last coded from
};
