// emuvola-run: an EmuVOLA session without a window (see --help).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/LineSettingsFile.h"
#include "base/AppPaths.h"
#include "base/PlainEventLoop.h"
#include "base/LocalTime.h"
#include "base/TextCodec.h"
#include "base/FilePath.h"
#include "cli/PasswordPrompt.h"
#include "cli/PortNames.h"
#include "cli/ProcessText.h"
#include "cli/RunOptions.h"
#include "cli/RunSummary.h"
#include "cli/TerminationSignals.h"
#include "cli/UnitRun.h"
#include "directory/PhoneBook.h"
#include "script/ScriptFile.h"
#include "serial/PortDiscovery.h"

namespace {

int badInput(const std::string& utf8)
{
    std::fprintf(stderr, "emuvola-run: %s\n", utf8.c_str());
    return static_cast<int>(RunStatus::BadInput);
}

// The ports and settings as the main frame has them: the discovered ports in
// the button slots, their line settings and the dial settings from pinfo.dat.
class FileSettings final : public ConnectionSettings {
public:
    PortTable ports;
    PortTable unlisted;  // a port opened by name without discovery listing it
    DialSettings dial;

    std::optional<PortSettings> findPortSettings(const std::string& name) const override
    {
        for (const PortTable* table : {&ports, &unlisted}) {
            if (const PortSettings* settings = ::findPortSettings(*table, name))
                return *settings;
        }
        return std::nullopt;
    }
    std::string portSettingsText(const std::string& name) const override
    {
        const std::string listed = ::portSettingsText(ports, name);
        return listed.empty() ? ::portSettingsText(unlisted, name) : listed;
    }
    DialSettings dialSettings() const override { return dial; }
};

std::string portList(const PortTable& ports)
{
    std::string list;
    for (const PortSettings& port : ports) {
        if (!port.portName.empty())
            list += (list.empty() ? "" : ", ") + port.portName;
    }
    return list.empty() ? "none" : list;
}

// A unit's password: its entry's, else EMUVOLA_PASSWORD, else asked on the terminal.
bool fillPassword(PhoneEntry& entry, const std::string& shownName)
{
    if (!entry.password.empty())
        return true;
    if (const char* fromEnvironment = std::getenv("EMUVOLA_PASSWORD"); fromEnvironment && *fromEnvironment) {
        entry.password = utf8ToCp949(fromEnvironment);
        return true;
    }
    if (const auto typed = askPasswordOnTerminal("Password for " + shownName + ": ")) {
        entry.password = utf8ToCp949(*typed);
        return true;
    }
    return false;
}

std::string timeNow()
{
    const std::time_t now = std::time(nullptr);
    const std::tm local = localCalendarTime(now);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// A capture folder's name for a unit: its name as a file name.
std::string folderName(const UnitTarget& target)
{
    std::string name = cp949ToUtf8(target.label);
    for (char& c : name) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    if (name.empty() || name == "." || name == "..")
        name = target.entry ? target.entry->number : "local";
    return name;
}

}  // namespace

int main(int argc, char* argv[])
{
    useUtf8Console();
    const RunOptionsResult parsed = parseRunOptions(utf8Arguments(argc, argv));
    if (!parsed.options)
        return badInput(parsed.error + "\nTry emuvola-run --help.");
    const RunOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(runHelpText().c_str(), stdout);
        return 0;
    }

    // The whole script is read and checked before anything is opened.
    std::optional<Script> script;
    if (!options.script.empty()) {
        auto loaded = loadScriptFile(pathFromUtf8(options.script));
        if (const ScriptError* error = std::get_if<ScriptError>(&loaded))
            return badInput(cp949ToUtf8(error->file + ":" + std::to_string(error->line) + ": " + error->message));
        script = std::move(std::get<Script>(loaded));
    }

    const std::string data = dataDirectory();
    FileSettings settings;
    const SerialMapSources mapSources = systemSerialMapSources();
    std::vector<std::string> discovered;
    listComPorts(discovered, anyOxserPort(mapSources), mapSources);
    settings.ports = portTableFromNames(discovered);
    if (const FileFault fault = readLineSettings(data + "pinfo.dat", settings.ports, settings.dial); !fault.ok())
        std::fprintf(stderr, "emuvola-run: %spinfo.dat could not be read; the default settings apply\n", data.c_str());
    // Redialling after a busy number applies here as in the window; a lost
    // line ends an unattended session (status 5) rather than dialling again
    // in the middle of its script.
    settings.dial.reconnect = false;
    if (!settings.findPortSettings(options.port) && acceptsUnlistedPort(options.port)) {
        settings.unlisted = portTableFromNames({options.port});
        DialSettings ignored;
        readLineSettings(data + "pinfo.dat", settings.unlisted, ignored);
    }
    if (!settings.findPortSettings(options.port)) {
        std::fprintf(stderr, "emuvola-run: the port %s is not one of the ports (%s)\n", options.port.c_str(),
                     portList(settings.ports).c_str());
        return static_cast<int>(RunStatus::PortFailed);
    }

    // What to dial.
    std::vector<UnitTarget> targets;
    if (!options.number.empty()) {
        PhoneEntry entry{0, {}, options.number, false, options.user.empty() ? "admin" : utf8ToCp949(options.user), {}};
        if (!fillPassword(entry, options.number))
            return badInput("no password for " + options.number + ": set EMUVOLA_PASSWORD (cron has no terminal)");
        targets.push_back({entry, options.number});
    } else if (options.dialAll || !options.dial.empty()) {
        FileFault fault;
        const PhoneBook book = readPhoneBook(data + "phone.dat", &fault);
        if (!fault.ok())
            return badInput(data + "phone.dat could not be read");
        std::vector<PhoneEntry> chosen;
        if (options.dialAll) {
            chosen = book;
            if (chosen.empty())
                return badInput("the phone book " + data + "phone.dat is empty");
        }
        for (const std::string& wanted : options.dial) {
            const std::string name = utf8ToCp949(wanted);
            auto found = std::find_if(book.begin(), book.end(), [&](const PhoneEntry& e) { return e.name == name; });
            if (found == book.end())
                found = std::find_if(book.begin(), book.end(), [&](const PhoneEntry& e) { return e.number == wanted; });
            if (found == book.end())
                return badInput("the phone book has no entry named or numbered \"" + wanted + "\"");
            chosen.push_back(*found);
        }
        for (PhoneEntry& entry : chosen) {
            if (!fillPassword(entry, cp949ToUtf8(entry.name)))
                return badInput("no password for " + cp949ToUtf8(entry.name) + " in the phone book: set EMUVOLA_PASSWORD");
            targets.push_back({entry, entry.name.empty() ? entry.number : entry.name});
        }
    } else {
        targets.push_back({std::nullopt, {}});
    }

    PlainEventLoop loop;
    std::vector<UnitResult> results;
    std::unique_ptr<UnitRun> current;
    std::size_t next = 0;
    RunStatus stoppedBy = RunStatus::Done;
    int signals = 0;
    std::function<void()> runNext;
    runNext = [&] {
        if (next == targets.size() || stoppedBy != RunStatus::Done) {
            loop.quit();
            return;
        }
        const UnitTarget& target = targets[next++];
        const std::string prefix = targets.size() > 1 ? cp949ToUtf8(target.label) + ": " : std::string();
        std::string capture = options.capture;
        if (!capture.empty() && targets.size() > 1)
            capture = utf8FromPath(pathFromUtf8(capture) / pathFromUtf8(folderName(target)));
        current = std::make_unique<UnitRun>(
            loop, settings, options, target, script, capture,
            [prefix](const std::string& line) {
                std::fprintf(stderr, "%s %s%s\n", timeNow().c_str(), prefix.c_str(), cp949ToUtf8(line).c_str());
                std::fflush(stderr);
            },
            [&](const UnitResult& result) {
                results.push_back(result);
                if (targets.size() > 1 || result.end.status != RunStatus::Done)
                    std::fprintf(stderr, "%s %s%s (%d)\n", timeNow().c_str(), prefix.c_str(),
                                 std::string(runStatusName(result.end.status)).c_str(), result.end.exitCode);
                loop.post([&] {
                    current.reset();
                    runNext();
                });
            });
        current->start();
    };
    TerminationSignals watch([&](RunStatus why) {
        loop.post([&, why] {
            ++signals;
            if (stoppedBy == RunStatus::Done)
                stoppedBy = why;
            if (!current)
                return;
            if (signals == 1)
                current->interrupt(why);
            else
                current->abortNow();
        });
    });
    loop.post(runNext);
    loop.run();

    if (targets.size() > 1)
        std::fputs(outcomeTable(results).c_str(), stderr);
    if (options.json)
        std::fputs(summaryJson(options.port, results).c_str(), stdout);
    return overallExitStatus(results);
}
