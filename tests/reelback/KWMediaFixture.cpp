#include "KWMediaFixture.h"

std::unique_ptr<KWTempDir> KWMediaFixture::s_folder;
std::string KWMediaFixture::s_mpeg4Avi;
std::string KWMediaFixture::s_h264Mp4;

void KWMediaFixture::SetUpTestSuite() {
    if (s_folder) {
        return;
    }
    s_folder = std::make_unique<KWTempDir>();
    s_mpeg4Avi = KWTestMedia::MakeMpeg4Avi(*s_folder / "mpeg4.av");
    s_h264Mp4 = KWTestMedia::MakeH264Mp4(*s_folder / "h264.av", "2008-03-04T05:06:00.000000Z");
}

void KWMediaFixture::TearDownTestSuite() {
    s_folder.reset();
}
