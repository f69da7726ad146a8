#include "CZrmp4controlctrl1.h"

CZrmp4controlctrl1::CZrmp4controlctrl1(CallObserver observer,
                                       CKWPlaybackControl::AudioFactory audio)
    : m_observer(std::move(observer)), m_audio(std::move(audio)) {}

CZrmp4controlctrl1::~CZrmp4controlctrl1() {
    DestroyWindow();
}

int CZrmp4controlctrl1::Create(QWidget* parent, int id, KWWindowHandle notify) {
    DestroyWindow();
    m_window = new CKWPlaybackView(parent, m_audio);
    m_window->setProperty("controlId", id);
    m_window->Control().SetParentWindow(notify);
    m_window->setGeometry(0, 0, 0, 0);
    m_window->show();
    return 1;
}

void CZrmp4controlctrl1::DestroyWindow() {
    delete m_window.data();
}

KWVariant CZrmp4controlctrl1::Invoke(int member, KWDispatchKind kind,
                                     std::vector<KWVariant> arguments) {
    if (m_observer) {
        m_observer(member, kind, arguments);
    }
    KWVariant result;
    if (m_window != nullptr) {
        m_window->Invoke(member, kind, arguments, result);
    }
    return result;
}

std::int32_t CZrmp4controlctrl1::Integer(int member, KWDispatchKind kind,
                                         std::vector<KWVariant> arguments) {
    const KWVariant result = Invoke(member, kind, std::move(arguments));
    if (const auto* number = std::get_if<std::int32_t>(&result)) {
        return *number;
    }
    if (const auto* number = std::get_if<std::uint32_t>(&result)) {
        return static_cast<std::int32_t>(*number);
    }
    return 0;
}

std::int32_t CZrmp4controlctrl1::OpenFile() {
    return Integer(KWDispatchId::kOpen, KWDispatchKind::Method);
}

void CZrmp4controlctrl1::CloseFile() {
    Invoke(KWDispatchId::kClose, KWDispatchKind::Method);
}

void CZrmp4controlctrl1::SetFileName(const std::string& path) {
    Invoke(KWDispatchId::kFileName, KWDispatchKind::PropertyPut, {path});
}

std::int32_t CZrmp4controlctrl1::Snapshot(std::int32_t format, std::int32_t size,
                                          std::int32_t quality, const std::string& name) {
    return Integer(KWDispatchId::kSnapshot, KWDispatchKind::Method, {format, size, quality, name});
}

void CZrmp4controlctrl1::SetVolume(std::int32_t volume) {
    Invoke(KWDispatchId::kVolume, KWDispatchKind::PropertyPut, {volume});
}

std::int32_t CZrmp4controlctrl1::GetIsOpen() {
    return Integer(KWDispatchId::kIsOpen, KWDispatchKind::PropertyGet);
}

std::int32_t CZrmp4controlctrl1::GetIsAtEnd() {
    return Integer(KWDispatchId::kAtEnd, KWDispatchKind::PropertyGet);
}

void CZrmp4controlctrl1::ConvertToAvi(const std::string& source, const std::string& destination) {
    Invoke(KWDispatchId::kConvertToAvi, KWDispatchKind::Method, {source, destination});
}

void CZrmp4controlctrl1::SetCaption(std::int32_t on, std::uint32_t colour) {
    Invoke(KWDispatchId::kCaption, KWDispatchKind::Method, {on, colour});
}

void CZrmp4controlctrl1::SetMoving(std::int32_t moved) {
    Invoke(KWDispatchId::kMoving, KWDispatchKind::Method, {moved});
}

void CZrmp4controlctrl1::Pause() {
    Invoke(KWDispatchId::kPause, KWDispatchKind::Method);
}

void CZrmp4controlctrl1::Resume() {
    Invoke(KWDispatchId::kResume, KWDispatchKind::Method);
}

std::int32_t CZrmp4controlctrl1::GetPosition() {
    return Integer(KWDispatchId::kPosition, KWDispatchKind::Method);
}

std::int32_t CZrmp4controlctrl1::GetDuration(const std::string& path) {
    return Integer(KWDispatchId::kDuration, KWDispatchKind::Method, {path});
}

void CZrmp4controlctrl1::Seek(std::int32_t second) {
    Invoke(KWDispatchId::kSeek, KWDispatchKind::Method, {second});
}

void CZrmp4controlctrl1::SetSound(std::int32_t on) {
    Invoke(KWDispatchId::kSound, KWDispatchKind::PropertyPut, {on});
}

std::int32_t CZrmp4controlctrl1::PlayForward(std::int32_t step) {
    return Integer(KWDispatchId::kPlayForward, KWDispatchKind::Method, {step});
}

std::int32_t CZrmp4controlctrl1::PlayBackward(std::int32_t step) {
    return Integer(KWDispatchId::kPlayBackward, KWDispatchKind::Method, {step});
}

std::uint32_t CZrmp4controlctrl1::GetStartTime() {
    return static_cast<std::uint32_t>(
        Integer(KWDispatchId::kStartTime, KWDispatchKind::Method, {std::monostate{}}));
}
