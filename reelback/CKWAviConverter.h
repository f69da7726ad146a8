#pragma once
#include <functional>
#include <memory>
#include <string>

// Converts a recording into an AVI file: streams whose codec AVI can hold are copied, others are
// re-encoded (video as MPEG-4 Part 2, sound as 16-bit PCM). A failed or cancelled conversion
// removes its incomplete output and never touches the source.
class CKWAviConverter {
public:
    // Called now and then with the share done (0..1); returning false cancels.
    using Progress = std::function<bool(double done)>;
    // The error of a conversion its progress function cancelled.
    static constexpr const char* kCancelledError = "cancelled";

    CKWAviConverter();
    ~CKWAviConverter();
    CKWAviConverter(const CKWAviConverter&) = delete;
    CKWAviConverter& operator=(const CKWAviConverter&) = delete;

    bool Convert(const std::string& source, const std::string& destination,
                 const Progress& progress = nullptr);
    const std::string& GetError() const { return m_error; }
    // After a conversion: whether the video / sound was copied rather than re-encoded.
    bool CopiedVideo() const { return m_copiedVideo; }
    bool CopiedAudio() const { return m_copiedAudio; }

private:
    struct Job;
    bool Fail(const std::string& text);

    std::string m_error;
    bool m_copiedVideo = false;
    bool m_copiedAudio = false;
};
