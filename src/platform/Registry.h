// Seam: the registry (HKEY_CURRENT_USER only), Win32 semantics and return codes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace plat {

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

// Settings store and password flag call these: open an existing key below `parent`
// (sub may hold several components separated by '\'). Returns kErrorSuccess or an error.
long RegOpenKeyEx(HKey parent, const char* sub, std::uint32_t access, HKey* out);

// Settings store: open or create a (non-volatile) key below `parent`.
long RegCreateKeyEx(HKey parent, const char* sub, std::uint32_t access, HKey* out);

// Settings store / password flag: read value `name`. *size is the buffer size in and the data
// size out; data larger than the buffer gives kErrorMoreData (nothing copied). type may be null.
long RegQueryValueEx(HKey key, const char* name, std::uint32_t* type, void* data, std::uint32_t* size);

// Settings store: write value `name` (the store is written to disk atomically before returning,
// or, inside a group of writes, when the group ends).
long RegSetValueEx(HKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size);

// Settings store / password flag, after each read or write: close a key opened by the calls above.
long RegCloseKey(HKey key);

// Start-up (CWinApp::BeginProfileWrites/EndProfileWrites), around reading and writing back the
// settings: the key creations and writes in between reach the store as one atomic write when
// the group ends. RegEndWrites is false when that write failed, and then none of them is kept.
void RegBeginWrites();
bool RegEndWrites();

// Settings mode, after a write failed: where the settings are kept and why the last write
// failed, for the message that tells the user ("" when the platform has nothing to add).
std::string RegLastWriteError();

}  // namespace plat
