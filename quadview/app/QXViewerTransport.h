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
// The status line's text for a mode ("Not Playing" for anything that is no mode).
const char* StatusText(std::uint32_t mode);
} // namespace QXViewerTransport
