#include <gtest/gtest.h>

#include "tools/krv-sim/SimConfig.h"
#include "tools/krv-sim/SimOptions.h"

TEST(SimConfig, NumberSectionsReplaceTheBuiltInNumbers)
{
    SimConfig config = SimConfig::defaults();
    std::string error;
    const std::string text = "# test\n[timing]\nconnect_delay_ms = 20\n\n[number 555-7777]\nname = 부산2\n"
                             "user = op\npassword = pw\nbusy_ports = 1 3\n[number 5550001]\nresult = no dialtone\n";
    ASSERT_TRUE(parseConfigText(text, config, error)) << error;
    EXPECT_EQ(config.connectDelayMs, 20);
    ASSERT_EQ(config.numbers.size(), 2u);
    const auto& entry = config.numbers.at("5557777");
    EXPECT_EQ(entry.outcome, DialOutcome::Krv);
    EXPECT_EQ(entry.account.name, "부산2");
    EXPECT_EQ(entry.account.userId, "op");
    EXPECT_EQ(entry.account.busyPorts, (std::set<int>{1, 3}));
    EXPECT_EQ(config.numbers.at("5550001").outcome, DialOutcome::NoDialtone);

    EXPECT_FALSE(parseConfigText("[timing]\nconnect_delay_ms = soon\n", config, error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(parseConfigText("[number 1]\nbusy_ports = 4\n", config, error));
    EXPECT_FALSE(parseConfigText("[modem]\n", config, error));
}

TEST(SimOptions, ParsesTransportsAndDelays)
{
    SimOptions options;
    std::string error;
    ASSERT_TRUE(parseSimOptions({"--listen", "127.0.0.1:0", "--drop-after", "1.5", "--guard-time", "50"}, options,
                                error))
        << error;
    EXPECT_TRUE(options.listen);
    EXPECT_EQ(options.listenPort, 0);
    EXPECT_EQ(options.dropAfterMs, 1500);
    EXPECT_EQ(options.guardTimeMs, 50);

    SimOptions bad;
    EXPECT_FALSE(parseSimOptions({}, bad, error));
    EXPECT_FALSE(parseSimOptions({"--listen", "7000"}, bad, error));
    EXPECT_FALSE(parseSimOptions({"--pty", "--bogus"}, bad, error));
}
