#include "KWTestMedia.h"

#include "KWRunProgram.h"

#include <cmath>

namespace KWTestMedia {
namespace {
// A flat picture whose brightness steps with the frame number, plus a tone.
std::string Sources() {
    return "-f lavfi -i \"color=c=black:s=160x120:r=" + std::to_string(kFrameRate) +
           ":d=" + std::to_string(kSeconds) +
           ",format=yuv420p,geq=lum=16+2*N:cb=128:cr=128\" -f lavfi -i \"sine=f=440:r=8000:d=" +
           std::to_string(kSeconds) + "\" ";
}
} // namespace

int FrameOfShade(int shade) {
    // Video levels 16..235 are shown as 0..255.
    return static_cast<int>(std::lround(shade * 219.0 / 255.0 / 2.0));
}

std::string MakeMpeg4Avi(const std::string& path) {
    KWRunProgram("ffmpeg -v error -y " + Sources() +
                 "-c:v mpeg4 -q:v 2 -sc_threshold 1000000000 -g " + std::to_string(kKeyInterval) +
                 " -c:a pcm_mulaw -f avi \"" + path + "\"");
    return path;
}

std::string MakeH264Mp4(const std::string& path, const std::string& creationTime) {
    const std::string metadata =
        creationTime.empty() ? "" : "-metadata creation_time=" + creationTime + " ";
    KWRunProgram("ffmpeg -v error -y " + Sources() + "-c:v libx264 -preset ultrafast -qp 0 -g " +
                 std::to_string(kKeyInterval) + " -pix_fmt yuv420p -c:a aac -ar 16000 " + metadata +
                 "-f mp4 \"" + path + "\"");
    return path;
}
} // namespace KWTestMedia
