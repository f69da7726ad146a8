#pragma once
#include <string>
#include <vector>

// The raw drives the viewer may open: drive number N is entry N. An empty entry is a drive that
// is not there.
using KWDriveList = std::vector<std::string>;

// The colon-separated paths of QUADVIEW_DRIVES when it is set, else the whole-disk block devices
// of the machine (those of /sys/block backed by a device) in name order, as /dev paths.
KWDriveList KWSystemDriveList();

// Splits a colon-separated list, keeping empty entries so that later drives keep their numbers.
KWDriveList KWParseDriveList(const std::string& text);
