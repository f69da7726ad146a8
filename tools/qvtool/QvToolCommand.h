#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

// qvtool's subcommands. Each lives in its own source file and registers itself with a static
// QvToolCommand::Registration; main dispatches on the first argument.
namespace QvToolCommand {
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// The volume (0-100, as the viewer's slider) qvtool plays and exports sound at unless told.
constexpr int kDefaultVolume = 50;

struct Entry {
    std::string summary; // one line for the usage text
    std::function<int(const std::vector<std::string>& arguments)> run;
};

std::map<std::string, Entry>& Table();

struct Registration {
    Registration(const std::string& name, Entry entry) { Table()[name] = std::move(entry); }
};

// Prints "qvtool NAME: TEXT" to standard error and returns kExitUsage.
int UsageError(const std::string& name, const std::string& text);

// For commands that run a viewer engine and print what it tells the user themselves: its
// message boxes print nothing and are answered with OK.
void QuietMessageBoxes();

// A view size "WxH", each side 1 to kMaxViewSide.
constexpr long kMaxViewSide = 4096;
bool ParseViewSize(const std::string& text, long& width, long& height);
} // namespace QvToolCommand
