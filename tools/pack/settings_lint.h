#pragma once
// What jlaunch-pack says about a settings file beyond its syntax: names the
// launcher does not know and values it cannot read, each as one line.
#include <string>
#include <vector>

#include "pack_inputs.h"

namespace jlaunch::pack {

// The file at `path` as the launcher reads it beside the executable; when
// `packed`, its names also as the embedded settings compare them (exactly).
std::vector<std::string> settingsNotices(const std::wstring& path, const PackSettings& settings, bool packed);

// --check: the notices on `errors` after the file's name; 0 when there are
// none, 1 when there are or the file is no settings file.
int checkSettingsFile(const std::wstring& path, std::string& out, std::string& errors);

}  // namespace jlaunch::pack
