#pragma once
// Linux: where the instances of one executable find each other. The socket
// and its lock lie in a folder that only this user may enter, so that no
// other user can take the name or hold the launches up.
#include <string>

namespace jlaunch {

struct InstanceSocketFolder {
    std::string path;
    // Empty when the folder is this user's alone; otherwise why not (for the trace).
    std::string problem;
};

// "jlaunch" in $XDG_RUNTIME_DIR, or "jlaunch-<uid>" in /tmp without it: made
// with mode 0700 when missing, and taken only when it is a folder (not a
// link) of this user's whose mode is, or can be set to, 0700.
InstanceSocketFolder instanceSocketFolder();

// The socket of an executable in `folder`; its lock is the same path with ".lock".
std::string instanceSocketPath(const std::string& folder, const std::wstring& executable);

}  // namespace jlaunch
