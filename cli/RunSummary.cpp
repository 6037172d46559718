#include "cli/RunSummary.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/LocalTime.h"
#include "base/TextCodec.h"

namespace {

std::string jsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string isoTime(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const std::tm local = localCalendarTime(seconds);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

double secondsOf(const UnitResult& result)
{
    return std::chrono::duration<double>(result.ended - result.started).count();
}

std::string labelOf(const UnitResult& result)
{
    return result.label.empty() ? std::string("(local line)") : cp949ToUtf8(result.label);
}

}  // namespace

int overallExitStatus(const std::vector<UnitResult>& results)
{
    int status = 0;
    for (const UnitResult& result : results)
        status = std::max(status, result.end.exitCode);
    return status;
}

std::string outcomeTable(const std::vector<UnitResult>& results)
{
    std::string table = "unit\tnumber\toutcome\tstatus\tseconds\n";
    for (const UnitResult& result : results) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", secondsOf(result));
        table += labelOf(result) + '\t' + result.number + '\t' + std::string(runStatusName(result.end.status)) + '\t'
            + std::to_string(result.end.exitCode) + '\t' + seconds + '\n';
    }
    return table;
}

std::string summaryJson(const std::string& port, const std::vector<UnitResult>& results)
{
    const int status = overallExitStatus(results);
    const auto worst = std::find_if(results.begin(), results.end(),
                                    [status](const UnitResult& result) { return result.end.exitCode == status; });
    std::string json = "{\"outcome\":"
        + jsonString(worst == results.end() ? "done" : std::string(runStatusName(worst->end.status)))
        + ",\"status\":" + std::to_string(status) + ",\"port\":" + jsonString(port) + ",\"units\":[";
    static const char* const sources[] = {"local", "port0", "port1", "port2", "port3"};
    for (std::size_t i = 0; i < results.size(); ++i) {
        const UnitResult& result = results[i];
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", secondsOf(result));
        json += (i ? "," : "") + std::string("{\"unit\":") + jsonString(result.label.empty() ? "" : labelOf(result))
            + ",\"number\":" + jsonString(result.number) + ",\"outcome\":"
            + jsonString(std::string(runStatusName(result.end.status))) + ",\"status\":"
            + std::to_string(result.end.exitCode) + ",\"message\":" + jsonString(cp949ToUtf8(result.message))
            + ",\"started\":" + jsonString(isoTime(result.started)) + ",\"ended\":"
            + jsonString(isoTime(result.ended)) + ",\"seconds\":" + seconds + ",\"bytes\":{";
        for (std::size_t source = 0; source < result.bytes.size(); ++source)
            json += (source ? "," : "") + jsonString(sources[source]) + ":" + std::to_string(result.bytes[source]);
        json += "},\"files\":[";
        for (std::size_t f = 0; f < result.files.size(); ++f)
            json += (f ? "," : "") + jsonString(result.files[f]);
        json += "]}";
    }
    return json + "]}\n";
}
