#include "window/drives.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace velorin::window {

namespace {

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

// /proc/mounts writes blanks and some other bytes as octal escapes ("\040").
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        bool octal = field[i] == '\\' && i + 3 < field.size();
        for (size_t k = 1; octal && k <= 3; ++k) octal = field[i + k] >= '0' && field[i + k] <= '7';
        if (octal) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> ListDrives() {
    // Kernel and memory file systems hold nothing a user keeps survey files in.
    static const std::set<std::string> kPseudo = {
        "proc",       "sysfs",      "devtmpfs",        "devpts",     "tmpfs",       "cgroup",
        "cgroup2",    "securityfs", "pstore",          "debugfs",    "tracefs",     "configfs",
        "fusectl",    "mqueue",     "hugetlbfs",       "bpf",        "binfmt_misc", "autofs",
        "rpc_pipefs", "nsfs",       "efivarfs",        "selinuxfs",  "overlay",     "squashfs",
        "ramfs",      "devfs",      "fuse.gvfsd-fuse", "fuse.portal"};
    std::vector<std::string> drives = {"/"};
    std::ifstream mounts("/proc/mounts");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type)) continue;
        point = Unescape(point);
        if (kPseudo.count(type) || point == "/") continue;
        if (point.rfind("/proc", 0) == 0 || point.rfind("/sys", 0) == 0 ||
            point.rfind("/dev", 0) == 0 || point.rfind("/run", 0) == 0 ||
            point.rfind("/snap", 0) == 0)
            continue;
        if (std::find(drives.begin(), drives.end(), point) == drives.end()) drives.push_back(point);
    }
    std::sort(drives.begin() + 1, drives.end());
    return drives;
}

std::string DriveOf(const std::string& path, const std::vector<std::string>& drives) {
    if (HasDriveLetter(path)) return path.substr(0, 2);
    std::string best = "/";
    for (const std::string& drive : drives) {
        if (drive.empty() || drive == "/") continue;
        bool inside = path == drive ||
                      (path.size() > drive.size() && path.compare(0, drive.size(), drive) == 0 &&
                       (drive.back() == '/' || path[drive.size()] == '/'));
        if (inside && (best == "/" || drive.size() > best.size())) best = drive;
    }
    return best;
}

std::string DriveName(const std::string& drive) {
    if (HasDriveLetter(drive)) {
        char letter = drive[0];
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        return std::string(1, letter);
    }
    return drive;
}

}  // namespace velorin::window
