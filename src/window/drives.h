// The drives a drive list offers and the drive a folder lies on. On Windows a drive is
// its letter ("c:"); elsewhere it is a file-system root or mounted volume ("/", "/media/usb").
#pragma once

#include <string>
#include <vector>

namespace velorin::window {

// The mounted volumes of this machine, the root first; pseudo file systems left out.
std::vector<std::string> ListDrives();

// The drive `path` lies on: its letter when it starts with one ("d:"), else the longest
// of `drives` that is a leading folder of it, else "/".
std::string DriveOf(const std::string& path, const std::vector<std::string>& drives);

// How a drive is named to the user: the upper-case letter of a lettered drive, else
// the drive itself.
std::string DriveName(const std::string& drive);

}  // namespace velorin::window
