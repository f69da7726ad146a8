#include "KWAviProbe.h"

#include "KWRunProgram.h"
#include "KWTempDir.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace {
std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}
} // namespace

KWAviProbe KWProbeAvi(const std::string& path) {
    KWAviProbe probe;
    const KWProgramRun run =
        KWRunProgram("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                     "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of "
                     "default=noprint_wrappers=1 " +
                     Quoted(path) + " 2>&1");
    probe.report = run.output;
    std::istringstream lines(run.output);
    std::string line;
    int fields = 0;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return probe;
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (name == "codec_name")
            probe.codec = value;
        else if (name == "width")
            probe.width = std::stoi(value);
        else if (name == "height")
            probe.height = std::stoi(value);
        else if (name == "r_frame_rate")
            probe.rate = value;
        else if (name == "nb_read_frames")
            probe.frames = std::stoi(value);
        else
            return probe;
        ++fields;
    }
    probe.ok = run.status == 0 && fields == 5;
    return probe;
}

std::vector<std::uint8_t> KWAviProbe::DecodeRgb(const std::string& path, bool damaged) {
    const KWTempDir dir;
    const std::string rgb = dir / "frames.rgb";
    const KWProgramRun run = KWRunProgram("ffmpeg -v error -i " + Quoted(path) +
                                          " -f rawvideo -pix_fmt rgb24 " + Quoted(rgb) + " 2>&1");
    if (run.status != 0 || (!damaged && !run.output.empty()))
        return {};
    std::ifstream in(rgb, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}
