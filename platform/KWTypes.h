#pragma once
// Message parameter types shared by every message target and listener.
#include <cstdint>

using KWWParam = std::uintptr_t;
using KWLParam = std::intptr_t;
using KWResult = std::intptr_t;

class KWMessageTarget;
// A window as the engines see it: something that receives sent and posted messages.
using KWWindowHandle = KWMessageTarget*;
