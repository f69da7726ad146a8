#pragma once
#include "DvrRecorder.h"
#include "KWTempDir.h"

#include <string>

// A disk image recorded once for all the tests of a suite, in a temporary folder of its own that
// the tests may also use for their outputs.
class DvrSuiteDisk {
public:
    explicit DvrSuiteDisk(DvrRecorder::Options options) {
        options.output = Image();
        m_result = DvrRecorder(options).Record();
    }
    std::string Image() const { return m_dir / "disk.img"; }
    const KWTempDir& Dir() const { return m_dir; }
    const DvrRecorder::Result& Result() const { return m_result; }

private:
    KWTempDir m_dir;
    DvrRecorder::Result m_result;
};
