// krv-sim: serves a simulated modem and KR-V on loopback TCP and/or a
// pseudo-terminal until SIGTERM or SIGINT (Ctrl+C).

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/krv-sim/HayesModem.h"
#include "tools/krv-sim/PtyTransport.h"
#include "tools/krv-sim/Rfc2217Server.h"
#include "tools/krv-sim/SimConfig.h"
#include "tools/krv-sim/SimOptions.h"
#include "tools/krv-sim/StopSignals.h"
#include "tools/krv-sim/Transcript.h"

namespace {

bool buildConfig(const SimOptions& options, SimConfig& config)
{
    config = SimConfig::defaults();
    std::string error;
    if (!options.configPath.empty() && !loadConfigFile(options.configPath, config, error)) {
        std::fprintf(stderr, "krv-sim: %s: %s\n", options.configPath.c_str(), error.c_str());
        return false;
    }
    const std::pair<const std::optional<int>*, int*> overrides[] = {
        {&options.connectDelayMs, &config.connectDelayMs}, {&options.commaPauseMs, &config.commaPauseMs},
        {&options.guardTimeMs, &config.guardTimeMs},       {&options.tickerPeriodMs, &config.tickerPeriodMs},
        {&options.dropAfterMs, &config.dropAfterMs}};
    for (const auto& [value, field] : overrides) {
        if (value->has_value()) {
            *field = **value;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    if (!parseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "krv-sim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(simHelpText().c_str(), stdout);
        return 0;
    }
    SimConfig config;
    if (!buildConfig(options, config)) {
        return 2;
    }
    Transcript transcript;
    if (!options.transcriptPath.empty() && !transcript.open(options.transcriptPath)) {
        std::fprintf(stderr, "krv-sim: cannot write %s\n", options.transcriptPath.c_str());
        return 2;
    }
    installStopHandlers();

    std::unique_ptr<Rfc2217Server> server;
    if (options.listen) {
        server = std::make_unique<Rfc2217Server>([config] { return std::make_unique<HayesModem>(config); },
                                                 &transcript);
        if (!server->listen(options.listenHost, options.listenPort, options.allowRemote, error)) {
            std::fprintf(stderr, "krv-sim: %s\n", error.c_str());
            return 1;
        }
        std::printf("listening on %s:%d\n", options.listenHost.c_str(), server->port());
    }
    std::unique_ptr<PtyTransport> pty;
    if (options.pty) {
        pty = std::make_unique<PtyTransport>(std::make_unique<HayesModem>(config), &transcript);
        if (!pty->open(error)) {
            std::fprintf(stderr, "krv-sim: %s\n", error.c_str());
            return 1;
        }
        std::printf("pty %s\n", pty->slavePath().c_str());
    }
    std::fflush(stdout);

    const int slice = server && pty ? 10 : 20;
    while (!stopRequested()) {
        if (takeCarrierDropRequest()) {
            if (server) {
                server->requestCarrierDrop();
            }
            if (pty) {
                pty->requestCarrierDrop();
            }
        }
        if (server) {
            server->step(slice);
        }
        if (pty) {
            pty->step(slice);
        }
    }
    return 0;
}
