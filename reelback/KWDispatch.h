#pragma once
#include <cstdint>
#include <string>
#include <variant>

// The playback component is driven through numbered members, as its host knows them: methods
// and properties taking and giving integers and texts.
enum class KWDispatchKind { Method, PropertyPut, PropertyGet };

// An argument or result: nothing, a signed or unsigned 32-bit integer, or a text.
using KWVariant = std::variant<std::monostate, std::int32_t, std::uint32_t, std::string>;

namespace KWDispatchId {
constexpr int kOpen = 6;
constexpr int kClose = 7;
constexpr int kFileName = 10;
constexpr int kSnapshot = 14;
constexpr int kVolume = 22;
constexpr int kIsOpen = 23;
constexpr int kConvertToAvi = 29;
constexpr int kCaption = 30;
constexpr int kMoving = 35;
constexpr int kPause = 37;
constexpr int kResume = 38;
constexpr int kPosition = 51;
constexpr int kDuration = 52;
constexpr int kSeek = 54;
constexpr int kSound = 55;
constexpr int kPlayForward = 59;
constexpr int kPlayBackward = 60;
constexpr int kStartTime = 120;
// Our component's own: nonzero while playing has run into the end (forward) or the start
// (backward) and holds its last picture.
constexpr int kAtEnd = 200;
} // namespace KWDispatchId

// Sent by the component to its parent window when it must be replaced by a new one.
constexpr std::uint32_t WM_CONTROL_RESET = 0x0400 + 155;
// Posted by the component to its parent window when playing has run into the end or the start.
constexpr std::uint32_t WM_CONTROL_END = 0x0400 + 156;
