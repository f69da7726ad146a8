#pragma once
#include <cstdint>

// How the MYS player's transport commands move its play mode, on the play-mode codes shared
// with the device reader (the file manager's mode index is code - 0x10000 + 1). The buttons and
// menu items go round the fast modes in one direction only; the arrow keys work like the
// viewer's, one step further up to x64. Reverse play, play and the Space key are the viewer's
// (QXViewerTransport). A transition that leaves the mode alone returns it unchanged.
namespace QXMysTransport {
// Fast reverse button and menu item: into x2 backwards, then x4, x8, x10, x16, x2 again.
std::uint32_t FastReverse(std::uint32_t mode);
// Fast forward button and menu item: into x2 forwards, then x4, x8, x10, x16, x2 again.
std::uint32_t FastForward(std::uint32_t mode);
// Pause button and menu item: every playing mode pauses; a pause stays.
std::uint32_t Pause(std::uint32_t mode);
// Left key: from forward play into reverse, then faster backwards up to x64 and back to
// reverse; from a fast forward mode one step slower.
std::uint32_t FastReverseKey(std::uint32_t mode);
// Right key: into play, then faster forwards up to x64 and back to play; from every backward
// mode into play.
std::uint32_t FastForwardKey(std::uint32_t mode);
} // namespace QXMysTransport
