#pragma once
// Port names emuvola-run opens even when discovery did not list them: on
// Windows any COMn (Wine's ports, an adapter plugged in after start), which
// the system opens as \\.\COMn; none elsewhere. One platform file each.

#include <string>

bool acceptsUnlistedPort(const std::string& name);
