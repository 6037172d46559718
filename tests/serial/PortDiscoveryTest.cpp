#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/AppPaths.h"
#include "base/Environment.h"
#include "serial/PortDiscovery.h"
#include "serial/SerialMap.h"
#include "tests/directory/FileTestSupport.h"

namespace fs = std::filesystem;

TEST(PortDiscovery, TheMapFileIsReadWithTheProfileFileRules)
{
    // '#' lines stay comments; a header that lost its ']' still names its section;
    // a repeated key or section counts where it first stands.
    const std::vector<SerialMapEntry> entries = parseSerialMapFile(
        "[serialcomm\n#OLD=/dev/ttyS0\n; note\nA = /dev/a \nB=\"/dev/b\"\na=/dev/again\n"
        "[SERIALCOMM]\nC=/dev/c\n");
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].portName, "A");
    EXPECT_EQ(entries[0].deviceName, "/dev/a");
    EXPECT_EQ(entries[1].portName, "B");
    EXPECT_EQ(entries[1].deviceName, "/dev/b");
}

TEST(PortDiscovery, MapEntriesAreFilteredByTheirTargetAndMayBeEmpty)
{
    SerialMapSources sources;
    sources.portMapText = "A=/dev/oxser0;B=/dev/ttyS0;=/dev/OXSER1;D=/dev/d";
    std::vector<std::string> ports;
    listComPorts(ports, true, sources);
    EXPECT_EQ(ports, (std::vector<std::string> {"A", ""}));
    listComPorts(ports, false, sources);
    EXPECT_EQ(ports, (std::vector<std::string> {"A", "B", "", "D"}));
}

TEST(PortDiscovery, AnUnreadableMapLeavesTheListAlone)
{
    SerialMapSources sources;
    sources.localDevices = "/nonexistent/class/tty";
    std::vector<std::string> ports {"keep", "me"};
    listComPorts(ports, false, sources);
    EXPECT_EQ(ports, (std::vector<std::string> {"keep", "me"}));
    EXPECT_FALSE(anyOxserPort(sources));
}

TEST(PortDiscovery, AMapFileThatIsNoRegularFileIsNoMapFile)
{
    // A directory named serialmap.dat once ended every start with an exception.
    const ScratchDir dir;
    fs::create_directory(dir.file("serialmap.dat"));
    setEnvironmentVariable("EMUVOLA_DATA_DIR", dir.path());
    const SerialMapSources sources = systemSerialMapSources();
    EXPECT_EQ(sources.mapFileText, "");
    EXPECT_EQ(sources.mapFileFault.kind, FileFault::Kind::NotRegularFile);
    EXPECT_EQ(serialMapFilePath(), withSeparator(dir.path()) + "serialmap.dat");
    std::string target;
    EXPECT_FALSE(readSerialMapTarget("ANY", target));
    unsetEnvironmentVariable("EMUVOLA_DATA_DIR");
}

TEST(PortDiscovery, TheEnvironmentAndTheDataDirectoryFeedTheRealMap)
{
    const ScratchDir dir;
    std::ofstream(dir.file("serialmap.dat")) << "[SERIALCOMM]\nFILEPORT=/dev/ttyFAKE\n";
    setEnvironmentVariable("EMUVOLA_DATA_DIR", dir.path());
    setEnvironmentVariable("EMUVOLA_SERIAL_MAP", "ENVPORT=rfc2217://localhost:7001");

    std::string target;
    EXPECT_TRUE(readSerialMapTarget("ENVPORT", target));
    EXPECT_EQ(target, "rfc2217://localhost:7001");
    EXPECT_TRUE(readSerialMapTarget("FILEPORT", target));
    EXPECT_EQ(target, "/dev/ttyFAKE");
    std::vector<std::string> ports;
    listComPorts(ports, false);
    ASSERT_GE(ports.size(), 2U);
    EXPECT_EQ(ports[0], "ENVPORT");
    EXPECT_EQ(ports[1], "FILEPORT");

    unsetEnvironmentVariable("EMUVOLA_SERIAL_MAP");
    unsetEnvironmentVariable("EMUVOLA_DATA_DIR");
}
