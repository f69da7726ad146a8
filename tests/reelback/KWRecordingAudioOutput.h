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
        m_record.frames += frames;
        for (int i = 0; i < frames * 2; ++i) {
            m_record.loudest = std::max<int>(m_record.loudest, std::abs(samples[i]));
        }
    }
    void Discard() override {}

private:
    Record& m_record;
    bool m_device;
};
