// Loading string and icon resources of the executable for the system's classes.
#pragma once

#include <string>

#include "framework/WinDefs.h"

// String table entry `nID` in full, however long; empty when the table has no such string.
std::string AfxLoadString(UINT nID);

// Group icon resource `nID` as an icon handle; 0 when absent.
HICON AfxLoadIcon(UINT nID);
