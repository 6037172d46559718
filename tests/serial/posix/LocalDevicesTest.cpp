// The machine's own serial devices on Linux: a made-up /sys/class/tty.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "serial/PortDiscovery.h"
#include "serial/SerialMap.h"

namespace fs = std::filesystem;

namespace {

// A made-up /sys/class/tty: each tty is a directory with a "device" link to a
// device directory whose "driver" link names the driver.
class FakeSysfs {
public:
    FakeSysfs()
    {
        char pattern[] = "/tmp/emu-sysfs-XXXXXX";
        m_root = mkdtemp(pattern);
        fs::create_directories(ttyDir());
    }
    ~FakeSysfs()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::string ttyDir() const { return (m_root / "class" / "tty").string(); }

    void addDevice(const std::string& tty, const std::string& driver, const std::string& uartType = "4")
    {
        const fs::path device = m_root / "devices" / ("dev-" + tty);
        const fs::path driverDir = m_root / "drivers" / driver;
        fs::create_directories(device);
        fs::create_directories(driverDir);
        fs::create_directory_symlink(driverDir, device / "driver");
        const fs::path ttyPath = fs::path(ttyDir()) / tty;
        fs::create_directories(ttyPath);
        fs::create_directory_symlink(device, ttyPath / "device");
        if (!uartType.empty()) {
            std::ofstream(ttyPath / "type") << uartType << "\n";
        }
    }
    // A tty without a device behind it, like tty0 or a pseudo-terminal.
    void addVirtual(const std::string& tty) { fs::create_directories(fs::path(ttyDir()) / tty); }

private:
    fs::path m_root;
};

SerialMapSources sysfsOnly(const FakeSysfs& sysfs)
{
    return SerialMapSources {"", "", sysfs.ttyDir(), {}};
}

} // namespace

TEST(PortDiscovery, OrdinaryDevicesAreListedInNaturalOrder)
{
    FakeSysfs sysfs;
    sysfs.addDevice("ttyS10", "serial8250");
    sysfs.addDevice("ttyS2", "serial8250");
    sysfs.addDevice("ttyUSB0", "ftdi_sio");
    sysfs.addVirtual("tty0");
    sysfs.addVirtual("ptmx");

    std::vector<std::string> ports;
    EXPECT_FALSE(anyOxserPort(sysfsOnly(sysfs)));
    listComPorts(ports, false, sysfsOnly(sysfs));
    EXPECT_EQ(ports, (std::vector<std::string> {"ttyS2", "ttyS10", "ttyUSB0"}));
}


TEST(PortDiscovery, LegacyUartSlotsWithoutAUartAreSkipped)
{
    FakeSysfs sysfs;
    sysfs.addDevice("ttyS0", "serial8250", "0");
    sysfs.addDevice("ttyS1", "serial8250", "");
    sysfs.addDevice("ttyS3", "serial8250", "4");
    std::vector<std::string> ports;
    listComPorts(ports, false, sysfsOnly(sysfs));
    EXPECT_EQ(ports, (std::vector<std::string> {"ttyS3"}));
}


TEST(PortDiscovery, OnlyOxserDevicesWhenAskedWithNamesComparedUpperCased)
{
    FakeSysfs sysfs;
    sysfs.addDevice("ttyS4", "serial8250");
    sysfs.addDevice("ttyS5", "OxSer_pci");
    sysfs.addDevice("ttyUSB0", "ftdi_sio");
    sysfs.addDevice("ttyUSB1", "oxserial");

    EXPECT_TRUE(anyOxserPort(sysfsOnly(sysfs)));
    std::vector<std::string> ports;
    listComPorts(ports, true, sysfsOnly(sysfs));
    EXPECT_EQ(ports, (std::vector<std::string> {"ttyS5", "ttyUSB1"}));
}


TEST(PortDiscovery, AtMostFourPortsInMapOrder)
{
    FakeSysfs sysfs;
    for (int i = 0; i < 6; ++i) {
        sysfs.addDevice("ttyUSB" + std::to_string(i), "ftdi_sio");
    }
    std::vector<std::string> ports {"stale"};
    listComPorts(ports, false, sysfsOnly(sysfs));
    EXPECT_EQ(ports, (std::vector<std::string> {"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3"}));
}


TEST(PortDiscovery, PortMapComesFirstThenFileThenLocalDevices)
{
    FakeSysfs sysfs;
    sysfs.addDevice("ttyUSB0", "ftdi_sio");
    SerialMapSources sources;
    sources.portMapText = " SIM1 = rfc2217://127.0.0.1:7000 ;PTY1=/dev/pts/4;;junk";
    sources.mapFileText =
        "; local ports\r\n[other]\r\nX=/dev/null\r\n[SerialComm]\r\nBENCH=\"/dev/ttyACM0\"\r\n"
        "SIM1=/dev/shadowed\r\n";
    sources.localDevices = sysfs.ttyDir();

    std::vector<std::string> ports;
    listComPorts(ports, false, sources);
    EXPECT_EQ(ports, (std::vector<std::string> {"SIM1", "PTY1", "BENCH", "ttyUSB0"}));

    std::string target;
    ASSERT_TRUE(findPortMapTarget(sources, "sim1", target));
    EXPECT_EQ(target, "rfc2217://127.0.0.1:7000") << "the environment wins over the file";
    ASSERT_TRUE(findPortMapTarget(sources, "BENCH", target));
    EXPECT_EQ(target, "/dev/ttyACM0") << "quotes are removed";
    EXPECT_FALSE(findPortMapTarget(sources, "X", target)) << "other sections are not the map";
    EXPECT_FALSE(findPortMapTarget(sources, "ttyUSB0", target));
}

