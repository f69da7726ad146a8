#include "CCamCommandLine.h"
#include "CCamListFormatter.h"
#include "CamTestSupport.h"

#include <gtest/gtest.h>

namespace {
CameraRecord Camera(const char* name) {
    return TestCamera(name, "00-11-22-33-44-55", "255.0.0.0");
}

bool Parses(const std::vector<std::string>& arguments, CCamCommandLine& options) {
    std::string error;
    const bool ok = options.Parse(arguments, error);
    EXPECT_EQ(ok, error.empty()) << error;
    return ok;
}
} // namespace

TEST(CCamListFormatter, CsvQuotesOnlyFieldsThatNeedIt) {
    EXPECT_EQ(CCamListFormatter::Csv({}), "name,mac,address,port,netmask,gateway\n");
    EXPECT_EQ(CCamListFormatter::Csv({Camera("yard"), Camera("say \"hi\"\n")}),
              "name,mac,address,port,netmask,gateway\n"
              "yard,00-11-22-33-44-55,10.0.0.5:81,81,255.0.0.0,10.0.0.1\n"
              "\"say \"\"hi\"\"\n\",00-11-22-33-44-55,10.0.0.5:81,81,255.0.0.0,10.0.0.1\n");
}

TEST(CCamListFormatter, JsonEscapesQuotesControlsAndEightBitBytes) {
    EXPECT_EQ(CCamListFormatter::Json({}), "[]\n");
    const std::string json = CCamListFormatter::Json({Camera("a\"b\\c\t\xE9"), Camera("z")});
    EXPECT_EQ(json, "[\n"
                    "  {\"name\": \"a\\\"b\\\\c\\u0009\\u00e9\", \"mac\": \"00-11-22-33-44-55\", "
                    "\"address\": \"10.0.0.5:81\", \"port\": 81, \"netmask\": \"255.0.0.0\", "
                    "\"gateway\": \"10.0.0.1\"},\n"
                    "  {\"name\": \"z\", \"mac\": \"00-11-22-33-44-55\", \"address\": "
                    "\"10.0.0.5:81\", \"port\": 81, \"netmask\": \"255.0.0.0\", \"gateway\": "
                    "\"10.0.0.1\"}\n"
                    "]\n");
}

TEST(CCamCommandLine, DefaultsAreTheProtocolsOwn) {
    CCamCommandLine options;
    ASSERT_TRUE(Parses({}, options));
    EXPECT_FALSE(options.search);
    EXPECT_EQ(options.seconds, 4u);
    EXPECT_EQ(options.format, CCamCommandLine::Format::Csv);
    EXPECT_EQ(options.endpoints.broadcastAddress, "255.255.255.255");
    EXPECT_EQ(options.endpoints.commandPort, 10000);
    EXPECT_EQ(options.endpoints.replyPort, 9999);
    EXPECT_EQ(options.endpoints.listenAddress, "0.0.0.0");
}

TEST(CCamCommandLine, ReadsEveryOption) {
    CCamCommandLine options;
    ASSERT_TRUE(Parses({"--search", "--seconds", "7", "--format", "json", "--broadcast",
                        "127.0.0.1", "--command-port", "20000", "--reply-port", "20001"},
                       options));
    EXPECT_TRUE(options.search);
    EXPECT_EQ(options.seconds, 7u);
    EXPECT_EQ(options.format, CCamCommandLine::Format::Json);
    EXPECT_EQ(options.endpoints.broadcastAddress, "127.0.0.1");
    EXPECT_EQ(options.endpoints.commandPort, 20000);
    EXPECT_EQ(options.endpoints.replyPort, 20001);
}

TEST(CCamCommandLine, RefusesBadValues) {
    const std::vector<std::vector<std::string>> bad = {
        {"--seconds"},
        {"--seconds", "0"},
        {"--seconds", "2x"},
        {"--seconds", "-1"},
        {"--format", "xml"},
        {"--broadcast", "localhost"},
        {"--broadcast", "1.2.3"},
        {"--command-port", "0"},
        {"--reply-port", "65536"},
        {"--reply-port", ""},
        {"--frobnicate"},
        {"search"},
    };
    for (const auto& arguments : bad) {
        CCamCommandLine options;
        std::string error;
        EXPECT_FALSE(options.Parse(arguments, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}
