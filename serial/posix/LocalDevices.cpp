#include "serial/LocalDevices.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/DataFile.h"
#include "base/TrimmedText.h"
#include "serial/DeviceTarget.h"
#include "serial/posix/PosixSerialDevice.h"

namespace fs = std::filesystem;

namespace {

std::string readFirstLine(const fs::path& path)
{
    // A sysfs attribute is one short line.
    const std::string text = readDataFile(path.string(), 4096).bytes;
    return trimmed(text.substr(0, text.find('\n')));
}

// Orders tty names by their letters, then by their trailing number as a number.
bool naturalLess(const std::string& a, const std::string& b)
{
    const auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) {
            --digits;
        }
        const std::string number = name.substr(digits);
        return std::make_pair(name.substr(0, digits),
                              number.empty() ? -1LL : std::strtoll(number.c_str(), nullptr, 10));
    };
    const auto left = split(a);
    const auto right = split(b);
    if (left != right) {
        return left < right;
    }
    return a < b;
}

} // namespace

std::string systemLocalDeviceList()
{
    return "/sys/class/tty";
}

bool readLocalDevices(const std::string& ttyClassDir, std::vector<SerialMapEntry>& entries)
{
    std::error_code error;
    fs::directory_iterator it(ttyClassDir, error);
    if (error) {
        return false;
    }
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) {
            break;
        }
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), naturalLess);

    for (const std::string& name : names) {
        const fs::path ttyDir = fs::path(ttyClassDir) / name;
        const fs::path deviceLink = ttyDir / "device";
        if (!fs::exists(deviceLink, error)) {
            continue;  // virtual consoles, pseudo-terminals and the like
        }
        if (name.rfind("ttyS", 0) == 0) {
            const std::string type = readFirstLine(ttyDir / "type");
            if (type.empty() || std::strtol(type.c_str(), nullptr, 10) == 0) {
                continue;  // a legacy UART slot with no UART behind it
            }
        }
        std::string driver;
        const fs::path driverLink = fs::read_symlink(deviceLink / "driver", error);
        if (!error) {
            driver = driverLink.filename().string();
        }
        fs::path devicePath = fs::canonical(deviceLink, error);
        if (error) {
            devicePath = deviceLink;
        }
        entries.push_back({driver + " " + devicePath.string(), name});
    }
    return true;
}

std::unique_ptr<SerialDevice> createLocalDevice(const std::string& target)
{
    if (!target.empty() && target.front() == '/') {
        return std::make_unique<PosixSerialDevice>(target);
    }
    // A bare device name such as ttyUSB1, held to the same rules as a port name.
    if (isAcceptablePortName(target)) {
        return std::make_unique<PosixSerialDevice>("/dev/" + target);
    }
    return nullptr;
}
