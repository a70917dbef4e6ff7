// Test control of the headless registry, clock, module path, trace path, sound log and modules.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace headless {

// Registry. Paths are below HKEY_CURRENT_USER, components separated by '\'.
// Tests call this to start from an empty in-memory store.
void ResetRegistry();
// Tests call this to keep the store in a file instead (the desktop's file code; empty: memory).
void UseRegistryFile(const std::string& path);
// Tests read a value as stored: its type and raw bytes; false when missing or unreadable.
bool GetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t* type,
                      std::vector<std::uint8_t>* data);
// Tests store a value of any type and size, bypassing the settings code.
void SetRegistryValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                      const std::vector<std::uint8_t>& data);
// Tests read the whole in-memory store in its text form.
std::string RegistryText();
// Tests check that every key handle opened has been closed again.
int OpenRegistryKeyCount();

// Clock: plat::TimeSeconds() is NowMs() / 1000 (rounded down). Headless timers advance it.
void SetClockMs(std::int64_t ms);
void AdvanceClockMs(std::int64_t ms);
std::int64_t NowMs();

// What plat::GetModuleFileName() reports (default "/usr/lib/morgrave/morgrave").
void SetModuleFileName(const std::string& path);
// What plat::TraceFilePath() reports (default: a file in the system's temporary folder).
void SetTraceFilePath(const std::string& path);

// Every cue plat::PlaySoundResource() was asked for, oldest first.
const std::vector<std::uint16_t>& SoundLog();
void ClearSoundLog();

// Modules plat::LoadLibrary() can find, by name (compared without case), with their symbols.
using ModuleSymbols = std::map<std::string, void*>;
void RegisterModule(const std::string& name, ModuleSymbols symbols);
// Forgets every module and the counters.
void ResetModules();
// Successful LoadLibrary calls, FreeLibrary calls, and LoadLibrary calls of any result.
int ModuleLoadCount();
int ModuleFreeCount();
int ModuleLoadAttempts();

}  // namespace headless
