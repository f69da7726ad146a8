#include "CKWWaveBuffer.h"

#include "KWErrorReport.h"
#include "KWExitHook.h"

CKWWaveBuffer::CKWWaveBuffer() {
    m_className = "CKWWaveBuffer";
    if (!Allocate(kSamples)) {
        ReportFatalError(m_className, "Memory Allocation Error");
        KWExitProcess(0);
    }
    Reset();
}

void CKWWaveBuffer::Reset() {
    m_header = KWWaveHeader{};
    m_header.data = GetData();
    m_header.bufferLength = kBytes;
    m_header.bytesRecorded = kBytes;
    SetInUse(false);
}
