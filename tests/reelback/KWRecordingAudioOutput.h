#pragma once
#include "CKWAudioOutput.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

// A sound output for tests: either refuses to open (no device) or counts what it is given and
// remembers the loudest sample.
class KWRecordingAudioOutput : public CKWAudioOutput {
public:
    struct Record {
        std::atomic<bool> opened{false};
        std::atomic<long long> frames{0};
        std::atomic<int> loudest{0};
    };

    KWRecordingAudioOutput(Record& record, bool device) : m_record(record), m_device(device) {}
    bool Open(int, int) override {
        m_record.opened = m_device;
        return m_device;
    }
    void Close() override { m_record.opened = false; }
    void Write(const std::int16_t* samples, int frames) override {
        int loudest = 0;
        for (int i = 0; i < frames * 2; ++i) {
            loudest = std::max<int>(loudest, std::abs(samples[i]));
        }
        // One atomic step, so that a test resetting the loudest meanwhile is not undone by a
        // value read before its reset.
        int seen = m_record.loudest.load();
        while (loudest > seen && !m_record.loudest.compare_exchange_weak(seen, loudest)) {
        }
        m_record.frames += frames;
    }
    void Discard() override {}

private:
    Record& m_record;
    bool m_device;
};
