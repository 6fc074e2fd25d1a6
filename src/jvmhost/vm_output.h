#pragma once
// What the VM says while it starts and while the main class is loaded. It
// writes its refusals ("Unrecognized option", a module not found) through a
// print hook and may end the process from there; a GUI launcher has no
// console to show them, so they are kept (bounded) for the failure's message
// and the trace, and printed on the standard error stream once.
#include <jni.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

namespace jlaunch {

enum class VmStage { Running, Creating, LoadingMain };

// The "vfprintf" hook handed to the VM: it prints for the VM and keeps the
// text while the VM is not yet running the application.
jint JNICALL vmPrintHook(FILE* stream, const char* format, va_list arguments);

// The VM's message as text, formatted by this platform's C library as the
// VM would have; and written where the VM would have written it.
std::string formatVmText(const char* format, va_list arguments);
void writeVmText(FILE* stream, const std::string& text);

// Keeps `text` while the VM is not yet running the application (bounded).
void keepVmText(std::string_view text) noexcept;

// Starts a stage; Creating and LoadingMain keep what the VM prints, Running
// stops keeping it (what was kept stays until the next Creating).
void enterVmStage(VmStage stage) noexcept;

// What was kept, trimmed; at most kVmOutputLimit characters.
std::wstring collectedVmOutput() noexcept;
constexpr std::size_t kVmOutputLimit = 4000;

// A line of the VM's own that is for the trace, not the user (empty: none):
// what the VM prints containing `text` is traced instead of printed.
void setQuietVmText(std::string text) noexcept;

// The file the launcher helper's error stream goes to for a moment (empty:
// none); read (UTF-8, bounded) only when the VM ends the process.
void setHelperErrorFile(const std::wstring& path) noexcept;

// Told when the VM ends the process before the application runs (its exit
// or abort hook during Creating or LoadingMain), with what the VM and then
// the launcher helper said (the helper's file is deleted by then, where the
// system lets it): the last chance to say why, as nothing returns to the
// launcher after it.
using EarlyVmEndHandler = void (*)(void* context, VmStage stage, const std::wstring& said);
void setEarlyVmEndHandler(EarlyVmEndHandler handler, void* context) noexcept;
void notifyVmEnd() noexcept;

}  // namespace jlaunch
