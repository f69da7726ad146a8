// qvtool events run as a program on synthetic disks: the event list as the viewer shows it, the
// dump, and the drive left as it was.
#include "DvrRecorder.h"
#include "KWFileFingerprint.h"
#include "KWTempDir.h"
#include "RunQvTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
struct EventDisk {
    KWTempDir dir;
    DvrRecorder::Result result;

    EventDisk(int events, int firstIndex) {
        DvrRecorder::Options options;
        options.output = Image();
        options.seconds = 20;
        options.channels = {0};
        options.intervalCode = 29;
        options.motion = false;
        options.events = events;
        options.eventFirstIndex = firstIndex;
        options.start.tm_year = 126, options.start.tm_mon = 2, options.start.tm_mday = 4;
        options.start.tm_hour = 9, options.start.tm_min = 5, options.start.tm_sec = 7;
        result = DvrRecorder(options).Record();
    }
    std::string Image() const { return dir / "disk.img"; }

    // "HH:MM:SS" of a recorder time as the event list prints it (within 2026-03-04).
    static std::string Clock(const QXTimestamp& t) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        return text;
    }
    std::string EventJson(int number, std::size_t event, std::size_t offset,
                          const std::string& gap) const {
        const auto& e = result.events[event];
        char digits[8];
        std::snprintf(digits, sizeof digits, "%02d", number);
        const std::string rest =
            gap + "2026-03-04 " + Clock(e.start) + "   ~   2026-03-04 " + Clock(e.end);
        std::string hex;
        for (const char c : "\xA1\xB8" + std::string(digits) + "\xA1\xB9" + rest) {
            char byte[3];
            std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(c));
            hex += byte;
        }
        return "{\"number\":" + std::to_string(number) + ",\"line\":\"\u300C" + digits + "\u300D" +
               rest + "\",\"line_gb2312_hex\":\"" + hex +
               "\",\"packet\":" + std::to_string(e.packet) +
               ",\"offset\":" + std::to_string(offset) + "}";
    }
};

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
} // namespace

TEST(EventsCommand, PrintsTheListAsTheViewerShowsItAndDumpsTheAreaExchanged) {
    EventDisk disk(2, 0);
    ASSERT_TRUE(disk.result.ok) << disk.result.error;
    const KWFileFingerprint before = KWFingerprintOf(disk.Image());
    const std::string dump = disk.dir / "area.bin";

    const KWProgramRun run = RunQvTool("events " + disk.Image() + " --dump " + dump);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "{\"first_index\":0,\"end_index\":4,\"events\":[" +
                              disk.EventJson(1, 0, 512, "   ") + "," +
                              disk.EventJson(2, 1, 544, "   ") + "]}\n");

    const std::string area = Contents(disk.Image()).substr(disk.result.diskBytes - 8192);
    const std::string dumped = Contents(dump);
    ASSERT_EQ(dumped.size(), 8192u);
    for (std::size_t i = 0; i < dumped.size(); ++i)
        ASSERT_EQ(dumped[i], area[i ^ 1]) << "byte " << i;
    EXPECT_EQ(KWFingerprintOf(disk.Image()), before);
}

TEST(EventsCommand, AWrappedTableWithANegativeEndIndexListsTheRingEndOnly) {
    // Entries at 124 and 126; the end index 128 is stored as the signed byte -128.
    EventDisk disk(2, 124);
    ASSERT_TRUE(disk.result.ok) << disk.result.error;
    const KWProgramRun run = RunQvTool("events --drive " + disk.Image());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "{\"first_index\":124,\"end_index\":-128,\"events\":[" +
                              disk.EventJson(1, 1, 2528, "   ") + "," +
                              disk.EventJson(2, 0, 2496, "   ") + "]}\n");
}

TEST(EventsCommand, WithoutDumpNothingIsWrittenAndBadArgumentsAreRefused) {
    EventDisk disk(1, 0);
    ASSERT_TRUE(disk.result.ok) << disk.result.error;
    const std::string folder = disk.dir / "work";
    std::filesystem::create_directory(folder);
    KWProgramRun run = KWRunProgram("cd " + folder + " && " + KWBuiltProgram("qvtool") +
                                    " events " + disk.Image() + " 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    run = RunQvTool("events " + disk.Image() + " --verbose");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("qvtool events: unknown argument '--verbose'"), std::string::npos)
        << run.output;
    run = RunQvTool("events " + disk.Image() + " --dump " + (disk.dir / "no/such/folder/x"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("qvtool events: cannot write"), std::string::npos) << run.output;
    run = RunQvTool("events " + (disk.dir / "missing.img"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("qvtool events: " + (disk.dir / "missing.img") + " cannot be opened"),
              std::string::npos)
        << run.output;
}
