#include "link/permission_hint.h"

#include <grp.h>
#include <sys/stat.h>

namespace vela {
namespace {

// Debian and Ubuntu give serial devices to "dialout"; other systems use their own group.
std::string owningGroup(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return "dialout";
    if (const group* g = ::getgrgid(st.st_gid)) return g->gr_name;
    return std::to_string(st.st_gid);
}

}  // namespace

std::string permissionDeniedMessage(const std::string& device) {
    const std::string group = owningGroup(device);
    return device + ": permission denied (the device belongs to the group " + group +
           "). Either install the velaupdate package, whose udev rule gives the logged-in user the "
           "USB bridge (then unplug and plug in the bridge), or add yourself to the group with\n"
           "  sudo usermod -aG " + group + " $USER\n"
           "and log out and in again.";
}

}  // namespace vela
