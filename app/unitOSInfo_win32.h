// The Windows reader of the version record, with the query passed in so that
// tests can make it fail.
#pragma once

#include <windows.h>

#include "app/unitOSInfo.h"

using TGetVersionExA = BOOL(WINAPI*)(LPOSVERSIONINFOA info);

// Asks for the extended record; when that fails, for the basic one, so that the
// platform and version numbers are known even then.
TOSVersionRecord ReadVersionRecord(TGetVersionExA getVersionEx);
