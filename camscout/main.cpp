#include "CCamCommandLine.h"
#include "CCamListFormatter.h"
#include "CCamSearchRun.h"
#include "CFinderApp.h"

#include <cstdio>
#include <iostream>

namespace {
constexpr int kExitBadArguments = 2;
constexpr int kExitSearchFailed = 1;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

int RunSearch(const CCamCommandLine& options) {
    CCamSearchRun run(options.endpoints, options.seconds * kMillisecondsPerSecond);
    std::vector<CameraRecord> cameras;
    if (!run.Run(cameras))
        return kExitSearchFailed;
    std::cout << (options.format == CCamCommandLine::Format::Json
                      ? CCamListFormatter::Json(cameras)
                      : CCamListFormatter::Csv(cameras));
    return std::cout.flush() ? 0 : kExitSearchFailed;
}
} // namespace

int main(int argc, char** argv) {
    CCamCommandLine options;
    std::string error;
    if (!options.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        std::cerr << "camscout: " << error << "\n" << CCamCommandLine::Usage();
        return kExitBadArguments;
    }
    if (options.help) {
        std::cout << CCamCommandLine::Usage();
        return 0;
    }
    if (options.search)
        return RunSearch(options);

    CFinderApp app(argc, argv);
    return app.Run(options.endpoints);
}
