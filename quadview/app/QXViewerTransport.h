#pragma once
#include <cstdint>

// How the main window's transport commands move the device reader's play mode, and the status
// text of each mode. A transition that leaves the mode alone returns it unchanged.
namespace QXViewerTransport {
// Left key, fast reverse button: from forward play into reverse, then faster backwards; from a
// fast forward mode one step slower.
std::uint32_t FastReverse(std::uint32_t mode);
// Right key, fast forward button: into play, then faster forwards up to x10; from a fast
// reverse mode one step slower.
std::uint32_t FastForward(std::uint32_t mode);
// Space, pause button: every playing mode pauses; a pause plays.
std::uint32_t Pause(std::uint32_t mode);
// Reverse play button: every mode plays backwards.
std::uint32_t ReversePlay(std::uint32_t mode);
// Play button: every mode plays forwards.
std::uint32_t Play(std::uint32_t mode);
// The one-frame menu items: one channel cycle forwards (backwards), then hold; not from
// reverse play. The page keys step from every mode.
std::uint32_t OneForward(std::uint32_t mode);
std::uint32_t OneReverse(std::uint32_t mode);
// The status line's text for a mode ("Not Playing" for anything that is no mode).
const char* StatusText(std::uint32_t mode);
} // namespace QXViewerTransport
