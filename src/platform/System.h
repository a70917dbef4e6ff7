// Seam: clock, module path, trace file location, loadable modules and sound.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace plat {

// The C library's time(): start-up seeding and the director's per-tick reseed.
std::int64_t TimeSeconds();

// AfxWinMain, first of all: the command line as the C runtime split it. A back-end keeps the
// options it serves itself (the desktop's host window) and runs its private helper invocations
// here; those end the process and never return. Returns true where the command line also takes
// "--help", "--version" and options after "s" (the Linux program, an XScreenSaver hack); false
// where only arguments 1 and 2 count.
bool StartProcess(int argc, char** argv);

// CWinApp at start-up: full path of the running executable (GetModuleFileNameA).
std::string GetModuleFileName();

// Saver window trace lines: the file that stands for "C:\trace.txt" (its folder is created).
std::string TraceFilePath();

// Password check / password change: load a module by its Windows name ("Password.cpl",
// "MPR.DLL"); the back-end maps it to its own place. nullptr when absent.
HModule LoadLibrary(const char* name);
void* GetProcAddress(HModule module, const char* symbol);
void FreeLibrary(HModule module);

// PlayCue: start WAVE resource `id` asynchronously; a new cue cuts off the one playing. Silent
// when no audio device exists.
void PlaySoundResource(std::uint16_t id);

}  // namespace plat
