#pragma once
#include "DvrRecorder.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>

// Writes the ground truth of a recording into a folder: the source pictures of each channel
// (channel<code>.yuv, raw YUV 4:2:0 pictures one after another), the source sound (sound.s16,
// raw signed 16-bit mono at 8000 samples per second), and truth.json with the frames in disk
// order and the events.
class DvrTruthWriter {
public:
    explicit DvrTruthWriter(std::string folder);
    ~DvrTruthWriter();

    // Creates the folder; false with Error() set when it cannot.
    bool Open();
    // A picture sink for DvrRecorder.
    void AddPicture(int channel, const DvrPicture& picture);
    bool Finish(const DvrRecorder::Result& result);
    const std::string& Error() const { return m_error; }

    static std::string FormatTimestamp(const QXTimestamp& t);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    using File = std::unique_ptr<std::FILE, FileCloser>;
    bool Fail(const std::string& what);

    std::string m_folder;
    std::map<int, File> m_pictures;
    std::string m_error;
    bool m_failed = false;
};
