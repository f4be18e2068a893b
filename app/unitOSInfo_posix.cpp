#include "app/unitOSInfo.h"

// No Windows, no version record: an unknown system, named "System".
TOSVersionRecord QueryVersionRecord() {
    return {};
}
