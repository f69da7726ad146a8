// qvtool render: draws the first frames of a drive's stream with the viewer's screen manager into
// a view of a given size and writes the composed view as a 24-bit BMP file.
#include "CQXFrameReader.h"
#include "CQXOffscreenView.h"
#include "KWFileKind.h"
#include "QvToolCaptionText.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"

#include <cstdio>
#include <cstdlib>

namespace {
const char* const kName = "render";
const char* const kUsage =
    "usage: qvtool render IMAGE|--drive PATH --frames N --size WxH --out FILE.bmp";

bool ParseCount(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value > 0;
}

int RunRender(const std::vector<std::string>& arguments) {
    QvToolDrive::Stream stream;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::OpenStream(kName, arguments, {"--frames", "--size", "--out"},
                                             stream, rest))
        return status;
    long frames = 0, width = 0, height = 0;
    std::string out;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        const std::string& value = i + 1 < rest.size() ? rest[i + 1] : std::string();
        if (rest[i] == "--frames" && ParseCount(value, frames))
            continue;
        if (rest[i] == "--size" && QvToolCommand::ParseViewSize(value, width, height))
            continue;
        if (rest[i] == "--out" && !value.empty()) {
            out = value;
            continue;
        }
        return QvToolCommand::UsageError(kName, "bad argument '" + rest[i] + "' (" + kUsage + ")");
    }
    if (frames == 0 || width == 0 || out.empty())
        return QvToolCommand::UsageError(kName, kUsage);
    if (const std::string problem = KWOutputFileProblem(out); !problem.empty()) {
        std::fprintf(stderr, "qvtool render: %s\n", problem.c_str());
        return QvToolCommand::kExitFailure;
    }

    const QvToolCaptionText captionText;

    CQXOffscreenView view(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    if (!view.Open()) {
        std::fprintf(stderr, "qvtool render: the view could not be created\n");
        return QvToolCommand::kExitFailure;
    }
    CQXFrameReader reader(*stream.device);
    long shown = 0;
    while (shown < frames) {
        const int result = reader.ReadFrame(0);
        if (result == CQXFrameReader::kVideo) {
            if (!view.Show(*reader.GetCompletedFrame())) {
                std::fprintf(stderr, "qvtool render: the screen manager did not draw frame %ld\n",
                             shown);
                return QvToolCommand::kExitFailure;
            }
            ++shown;
        } else if (result == CQXFrameReader::kNothing && reader.IsAtEnd()) {
            break;
        }
    }
    if (!view.WriteBmp(out)) {
        std::fprintf(stderr,
                     "qvtool render: cannot write %s (is the disk full or the folder read-only?)\n",
                     out.c_str());
        return QvToolCommand::kExitFailure;
    }
    std::printf("{\"out\":%s,\"frames\":%ld,\"width\":%ld,\"height\":%ld}\n",
                QvToolJson::String(out).c_str(), shown, width, height);
    stream.manager->CloseAllDevices();
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration kRegistration(
    kName,
    {"draw the first N frames of IMAGE as the viewer shows them into a BMP file", RunRender});
} // namespace
