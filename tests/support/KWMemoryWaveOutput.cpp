#include "KWMemoryWaveOutput.h"

#include "KWWaveOut.h"

#include <mutex>

struct KWMemoryWaveOutput::State {
    mutable std::mutex mutex;
    bool available = true;
    int opens = 0;
    KWWaveOut* output = nullptr;
    KWWaveFormat format;
    std::vector<std::int16_t> played;
};

namespace {
class MemoryBackend : public KWWaveOutBackend {
public:
    explicit MemoryBackend(std::shared_ptr<KWMemoryWaveOutput::State> state)
        : m_state(std::move(state)) {}

    bool Start(KWWaveOut& output, const KWWaveFormat& format) override {
        std::lock_guard lock(m_state->mutex);
        if (!m_state->available)
            return false;
        m_state->output = &output;
        m_state->format = format;
        ++m_state->opens;
        return true;
    }
    void Stop() override {
        std::lock_guard lock(m_state->mutex);
        m_state->output = nullptr;
    }

private:
    std::shared_ptr<KWMemoryWaveOutput::State> m_state;
};
} // namespace

KWMemoryWaveOutput::KWMemoryWaveOutput() : m_state(std::make_shared<State>()) {
    m_previous = KWSetWaveOutBackendFactory(
        [state = m_state] { return std::make_unique<MemoryBackend>(state); });
}

KWMemoryWaveOutput::~KWMemoryWaveOutput() {
    KWSetWaveOutBackendFactory(std::move(m_previous));
}

void KWMemoryWaveOutput::SetAvailable(bool available) {
    std::lock_guard lock(m_state->mutex);
    m_state->available = available;
}

bool KWMemoryWaveOutput::IsStarted() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->output != nullptr;
}

KWWaveFormat KWMemoryWaveOutput::Format() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->format;
}

int KWMemoryWaveOutput::Opens() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->opens;
}

std::size_t KWMemoryWaveOutput::Consume(std::size_t samples) {
    std::lock_guard lock(m_state->mutex);
    if (!m_state->output)
        return 0;
    std::vector<std::int16_t>& played = m_state->played;
    const std::size_t before = played.size();
    played.resize(before + samples);
    const std::size_t taken = m_state->output->Pull(played.data() + before, samples);
    played.resize(before + taken);
    return taken;
}

std::vector<std::int16_t> KWMemoryWaveOutput::Played() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->played;
}

void KWMemoryWaveOutput::ClearPlayed() {
    std::lock_guard lock(m_state->mutex);
    m_state->played.clear();
}
