#pragma once
// What emuvola-run tells at the end: the outcome table (several units) and
// the --json summary. UTF-8.

#include <string>
#include <vector>

#include "cli/UnitRun.h"

// The exit status of a run: the highest of its units'.
int overallExitStatus(const std::vector<UnitResult>& results);
std::string outcomeTable(const std::vector<UnitResult>& results);
// One JSON object: the overall outcome and status, the port, and per unit
// its outcome, times, bytes per source and files. No password appears in it.
std::string summaryJson(const std::string& port, const std::vector<UnitResult>& results);
