#include "serial/LocalDevices.h"

#include <vector>

#include <windows.h>

#include "base/win32/WideText.h"
#include "serial/DeviceTarget.h"
#include "serial/win32/Win32SerialDevice.h"

namespace {

struct RootKey {
    const char* name;
    HKEY key;
};

// Splits "HKEY_LOCAL_MACHINE\sub\key" into its root and the path below it.
bool splitKeyPath(const std::string& where, HKEY& root, std::string& subKey)
{
    static const RootKey roots[] = {{"HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE},
                                    {"HKEY_CURRENT_USER\\", HKEY_CURRENT_USER}};
    for (const RootKey& candidate : roots) {
        const std::string prefix = candidate.name;
        if (where.compare(0, prefix.size(), prefix) == 0) {
            root = candidate.key;
            subKey = where.substr(prefix.size());
            return true;
        }
    }
    return false;
}

// The text of a string value; empty when it is of another type or unreadable.
std::string stringData(HKEY key, const wchar_t* valueName)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS
        || (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
        return {};
    }
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size)
        != ERROR_SUCCESS) {
        return {};
    }
    std::wstring_view text(data.data(), size / sizeof(wchar_t));
    text = text.substr(0, text.find(L'\0'));
    return utf8FromWide(text);
}

} // namespace

std::string systemLocalDeviceList()
{
    return "HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM";
}

bool readLocalDevices(const std::string& where, std::vector<SerialMapEntry>& entries)
{
    HKEY root = nullptr;
    std::string subKey;
    HKEY key = nullptr;
    if (!splitKeyPath(where, root, subKey)
        || RegOpenKeyExW(root, wideFromUtf8(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    // Value names are at most 16383 characters.
    std::vector<wchar_t> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        const LSTATUS status =
            RegEnumValueW(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            continue;
        }
        const std::wstring valueName(name.data(), nameLength);
        entries.push_back({utf8FromWide(valueName), stringData(key, valueName.c_str())});
    }
    RegCloseKey(key);
    return true;
}

std::unique_ptr<SerialDevice> createLocalDevice(const std::string& target)
{
    static const std::string devicePrefix = "\\\\.\\";
    if (target.compare(0, devicePrefix.size(), devicePrefix) == 0) {
        return std::make_unique<Win32SerialDevice>(target);
    }
    if (isAcceptablePortName(target)) {
        return std::make_unique<Win32SerialDevice>(devicePrefix + target);
    }
    return nullptr;
}
