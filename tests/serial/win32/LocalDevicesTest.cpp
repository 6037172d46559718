// The machine's own serial devices on Windows: a made-up serial device map in
// the registry, and the device paths that port names open.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "serial/LocalDevices.h"
#include "serial/PortDiscovery.h"
#include "serial/win32/Win32SerialDevice.h"

namespace {

const wchar_t* const testKey = L"Software\\EmuVOLA-tests\\SERIALCOMM";

// A key of the current user's that holds what HARDWARE\DEVICEMAP\SERIALCOMM
// would: value name the device, value data the port name.
class FakeDeviceMap {
public:
    FakeDeviceMap()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, testKey);
        RegCreateKeyExW(HKEY_CURRENT_USER, testKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    }
    ~FakeDeviceMap()
    {
        RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, testKey);
    }
    FakeDeviceMap(const FakeDeviceMap&) = delete;
    FakeDeviceMap& operator=(const FakeDeviceMap&) = delete;

    void add(const std::wstring& device, const std::wstring& port)
    {
        RegSetValueExW(m_key, device.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                       static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
    }
    // A value whose data is no text.
    void addNumber(const std::wstring& device)
    {
        const DWORD number = 3;
        RegSetValueExW(m_key, device.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    }

    SerialMapSources sources() const
    {
        SerialMapSources sources;
        sources.localDevices = "HKEY_CURRENT_USER\\Software\\EmuVOLA-tests\\SERIALCOMM";
        return sources;
    }

private:
    HKEY m_key = nullptr;
};

std::string devicePathOf(const std::string& target)
{
    const std::unique_ptr<SerialDevice> device = createLocalDevice(target);
    const auto* local = dynamic_cast<const Win32SerialDevice*>(device.get());
    return local != nullptr ? local->path() : "(none)";
}

}  // namespace

TEST(LocalDevices, TheRegistryMapListsPortNamesInItsOrder)
{
    FakeDeviceMap map;
    map.add(L"\\Device\\Serial0", L"COM1");
    map.add(L"\\Device\\Serial1", L"COM2");
    std::vector<std::string> ports;
    EXPECT_FALSE(anyOxserPort(map.sources()));
    listComPorts(ports, false, map.sources());
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM2"}));
}

TEST(LocalDevices, OnlyOxserDevicesWhenAskedWithNamesComparedUpperCased)
{
    FakeDeviceMap map;
    map.add(L"\\Device\\Serial0", L"COM1");
    map.add(L"\\Device\\OxSer0", L"COM5");
    map.add(L"\\Device\\VCP0", L"COM7");
    map.add(L"\\Device\\oxserial1", L"COM12");
    EXPECT_TRUE(anyOxserPort(map.sources()));
    std::vector<std::string> ports;
    listComPorts(ports, true, map.sources());
    EXPECT_EQ(ports, (std::vector<std::string>{"COM5", "COM12"}));
}

TEST(LocalDevices, AtMostFourAndAnUnreadableNameIsAnEmptyEntry)
{
    // Names in the order both Windows (order of creation) and Wine (order of
    // names) enumerate them.
    FakeDeviceMap map;
    map.add(L"\\Device\\Serial0", L"COM1");
    map.addNumber(L"\\Device\\Serial1");
    for (int i = 2; i < 6; ++i)
        map.add(L"\\Device\\Serial" + std::to_wstring(i), L"COM" + std::to_wstring(i));
    std::vector<std::string> ports{"stale"};
    listComPorts(ports, false, map.sources());
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "", "COM2", "COM3"}));
}

TEST(LocalDevices, AMissingMapLeavesTheListAlone)
{
    SerialMapSources sources;
    sources.localDevices = "HKEY_CURRENT_USER\\Software\\EmuVOLA-tests\\NOWHERE";
    std::vector<std::string> ports{"keep"};
    listComPorts(ports, false, sources);
    EXPECT_EQ(ports, std::vector<std::string>{"keep"});
    sources.localDevices = "not a key";
    listComPorts(ports, false, sources);
    EXPECT_EQ(ports, std::vector<std::string>{"keep"});
}

TEST(LocalDevices, EveryPortNameOpensInTheDeviceSpace)
{
    // COM10 and above exist only as \\.\COM10; Wine's ports and adapters
    // plugged in after start are opened by name without being listed.
    EXPECT_EQ(devicePathOf("COM3"), "\\\\.\\COM3");
    EXPECT_EQ(devicePathOf("COM10"), "\\\\.\\COM10");
    EXPECT_EQ(devicePathOf("\\\\.\\COM250"), "\\\\.\\COM250");
    EXPECT_EQ(devicePathOf("..\\COM1"), "(none)");
    EXPECT_EQ(devicePathOf("C:\\x"), "(none)");
    EXPECT_EQ(devicePathOf(""), "(none)");
}

TEST(Win32SerialDevice, APortThatIsNotThereDoesNotOpen)
{
    Win32SerialDevice device("\\\\.\\COM250");
    LineSettings settings;
    settings.portName = "COM250";
    settings.baudRate = 9600;
    EXPECT_FALSE(device.open(settings));
    EXPECT_EQ(device.waitForInput(), DeviceWait::Gone);
    EXPECT_EQ(device.write(reinterpret_cast<const std::uint8_t*>("AT\r"), 3, 0), 0U);
    EXPECT_FALSE(device.carrierDetected());
    device.close();
}
