#pragma once
// Linux receives its arguments already split; main hands them over here.
namespace jlaunch {

void setProcessArguments(int argc, char** argv);

}  // namespace jlaunch
