#include "CKWPlaybackControl.h"
#include "CKWJpegSnapshot.h"
#include "CKWMediaDecoder.h"
#include "CKWPortAudioOutput.h"
#include "KWMessageTarget.h"

#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace {
std::unique_ptr<CKWAudioOutput> MakeAudio(const CKWPlaybackControl::AudioFactory& factory) {
    return factory ? factory() : std::make_unique<CKWPortAudioOutput>();
}

bool IntegerOf(const KWVariant& value, std::int32_t& number) {
    if (const auto* signedValue = std::get_if<std::int32_t>(&value)) {
        number = *signedValue;
        return true;
    }
    if (const auto* unsignedValue = std::get_if<std::uint32_t>(&value)) {
        number = static_cast<std::int32_t>(*unsignedValue);
        return true;
    }
    return false;
}

// Integer arguments from the given one on; false when any is missing or not an integer.
template <std::size_t N>
bool Integers(const std::vector<KWVariant>& arguments, std::size_t first,
              std::array<std::int32_t, N>& numbers) {
    if (arguments.size() < first + N) {
        return false;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (!IntegerOf(arguments[first + i], numbers[i])) {
            return false;
        }
    }
    return true;
}

const std::string* TextOf(const std::vector<KWVariant>& arguments, std::size_t index) {
    return index < arguments.size() ? std::get_if<std::string>(&arguments[index]) : nullptr;
}
} // namespace

CKWPlaybackControl::CKWPlaybackControl(AudioFactory audio) : m_engine(MakeAudio(audio)) {
    m_engine.SetVolume(kStartVolume);
    m_engine.SetFailureListener([this] { OnEngineFailed(); });
    m_engine.SetEndListener([this] { KWPostMessage(m_parent, WM_CONTROL_END, 0, 0); });
}

CKWPlaybackControl::~CKWPlaybackControl() {
    m_engine.SetFailureListener(nullptr);
    m_engine.SetEndListener(nullptr);
    m_engine.Close();
}

// Posted, not sent: the host answers by destroying this component, which it must not do while
// the engine's worker waits inside the call.
void CKWPlaybackControl::OnEngineFailed() {
    KWPostMessage(m_parent, WM_CONTROL_RESET, 0, 0);
}

// Opening starts playback, also after a pause of the previous file.
std::int32_t CKWPlaybackControl::OpenFile() {
    m_engine.Resume();
    return m_engine.Open(m_fileName) ? 1 : 0;
}

void CKWPlaybackControl::CloseFile() {
    m_engine.Close();
}

std::int32_t CKWPlaybackControl::Snapshot(int format, int size, int quality,
                                          const std::string& name) {
    auto picture = m_engine.GetPicture();
    if (!picture || format != kSnapshotJpeg || size != kSnapshotNaturalSize || quality < 1 ||
        quality > kMaxSnapshotQuality || name.empty()) {
        return 0;
    }
    const std::filesystem::path path(name + kSnapshotExtension);
    std::error_code ignored;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    const int jpegQuality = std::max(1, quality * 100 / kMaxSnapshotQuality);
    return CKWJpegSnapshot().Write(*picture, path.string(), jpegQuality) ? 1 : 0;
}

bool CKWPlaybackControl::ConvertToAvi(const std::string& source, const std::string& destination) {
    return m_conversion.Start(source, destination);
}

void CKWPlaybackControl::SetCaption(int on, std::uint32_t colour) {
    m_captionOn = on != 0;
    m_captionColour = colour;
}

std::int32_t CKWPlaybackControl::GetPosition() const {
    return m_engine.IsOpen() ? static_cast<std::int32_t>(m_engine.GetPosition()) : 0;
}

std::int32_t CKWPlaybackControl::GetDuration(const std::string& path) const {
    if (m_engine.IsOpen() && path == m_engine.GetPath()) {
        return static_cast<std::int32_t>(std::lround(m_engine.GetDuration()));
    }
    CKWMediaDecoder decoder;
    return decoder.Open(path) ? static_cast<std::int32_t>(std::lround(decoder.GetDuration())) : 0;
}

std::int32_t CKWPlaybackControl::PlayForward(int step) {
    if (!m_engine.IsOpen()) {
        return 0;
    }
    m_engine.Play(false, step);
    return 1;
}

std::int32_t CKWPlaybackControl::PlayBackward(int step) {
    if (!m_engine.IsOpen()) {
        return 0;
    }
    m_engine.Play(true, step);
    return 1;
}

std::uint32_t CKWPlaybackControl::GetStartTime() const {
    if (!m_engine.IsOpen()) {
        return 0;
    }
    std::int64_t seconds = 0;
    if (m_engine.GetCreationTime(seconds)) {
        return static_cast<std::uint32_t>(seconds);
    }
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(m_engine.GetPath(), error);
    if (error) {
        return 0;
    }
    const auto system = std::chrono::file_clock::to_sys(modified);
    const std::int64_t end =
        std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
    return static_cast<std::uint32_t>(end - std::llround(m_engine.GetDuration()));
}

int CKWPlaybackControl::Invoke(int member, KWDispatchKind kind,
                               const std::vector<KWVariant>& arguments, KWVariant& result) {
    result = std::monostate{};
    std::array<std::int32_t, 1> value{};
    switch (kind) {
    case KWDispatchKind::Method:
        return InvokeMethod(member, arguments, result);
    case KWDispatchKind::PropertyGet:
        if (member == KWDispatchId::kIsOpen) {
            result = IsFileOpen();
            return 1;
        }
        if (member == KWDispatchId::kAtEnd) {
            result = IsAtEnd();
            return 1;
        }
        if (member == KWDispatchId::kFileName) {
            result = m_fileName;
            return 1;
        }
        if (member == KWDispatchId::kVolume) {
            result = static_cast<std::int32_t>(m_engine.GetVolume());
            return 1;
        }
        if (member == KWDispatchId::kSound) {
            result = static_cast<std::int32_t>(m_engine.IsSoundOn());
            return 1;
        }
        return 0;
    case KWDispatchKind::PropertyPut:
        if (member == KWDispatchId::kFileName && TextOf(arguments, 0) != nullptr) {
            SetFileName(*TextOf(arguments, 0));
            return 1;
        }
        if (member == KWDispatchId::kVolume && Integers(arguments, 0, value)) {
            SetVolume(value[0]);
            return 1;
        }
        if (member == KWDispatchId::kSound && Integers(arguments, 0, value)) {
            SetSound(value[0]);
            return 1;
        }
        return 0;
    }
    return 0;
}

int CKWPlaybackControl::InvokeMethod(int member, const std::vector<KWVariant>& arguments,
                                     KWVariant& result) {
    std::array<std::int32_t, 1> one{};
    std::array<std::int32_t, 2> two{};
    std::array<std::int32_t, 3> three{};
    switch (member) {
    case KWDispatchId::kOpen:
        result = OpenFile();
        return 1;
    case KWDispatchId::kClose:
        CloseFile();
        return 1;
    case KWDispatchId::kSnapshot:
        if (!Integers(arguments, 0, three) || TextOf(arguments, 3) == nullptr) {
            return 0;
        }
        result = Snapshot(three[0], three[1], three[2], *TextOf(arguments, 3));
        return 1;
    case KWDispatchId::kConvertToAvi:
        if (TextOf(arguments, 0) == nullptr || TextOf(arguments, 1) == nullptr) {
            return 0;
        }
        ConvertToAvi(*TextOf(arguments, 0), *TextOf(arguments, 1));
        return 1;
    case KWDispatchId::kCaption:
        if (!Integers(arguments, 0, two)) {
            return 0;
        }
        SetCaption(two[0], static_cast<std::uint32_t>(two[1]));
        return 1;
    case KWDispatchId::kMoving:
        if (!Integers(arguments, 0, one)) {
            return 0;
        }
        SetMoving(one[0]);
        return 1;
    case KWDispatchId::kPause:
        Pause();
        return 1;
    case KWDispatchId::kResume:
        Resume();
        return 1;
    case KWDispatchId::kPosition:
        result = GetPosition();
        return 1;
    case KWDispatchId::kDuration:
        if (TextOf(arguments, 0) == nullptr) {
            return 0;
        }
        result = GetDuration(*TextOf(arguments, 0));
        return 1;
    case KWDispatchId::kSeek:
        if (!Integers(arguments, 0, one)) {
            return 0;
        }
        Seek(one[0]);
        return 1;
    case KWDispatchId::kPlayForward:
    case KWDispatchId::kPlayBackward:
        if (!Integers(arguments, 0, one)) {
            return 0;
        }
        result = member == KWDispatchId::kPlayForward ? PlayForward(one[0]) : PlayBackward(one[0]);
        return 1;
    case KWDispatchId::kStartTime:
        result = GetStartTime();
        return 1;
    default:
        return 0;
    }
}
