#include "framework/KeyStore.h"
#include "framework/MemoryKeyStore.h"

// Without a system registry, one memory store lives as long as the process.
TKeyStore& PlatformKeyStore() {
    static TMemoryKeyStore store;
    return store;
}
