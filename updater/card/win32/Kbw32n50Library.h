#pragma once

#include "card/AccessLibrary.h"

namespace meru {

// The access library as the program imports it from KBW32N50.dll.
class Kbw32n50Library : public AccessLibrary {
public:
    bool IsWindowsNT() override;
    uint32_t OSGetPlatformVersion(uint32_t which) override;
    uint32_t GetAdapterRegistryInfo(AdapterRegistryInfo& info, const char* subkeyName) override;
    int32_t OpenAdapter(const char* adapterName) override;
    uint32_t GetLastError() override;
    void CloseAdapter(int32_t handle) override;
    uint32_t MakeNdisRequest(int32_t handle, const NdisRequest& request, void* overlapped) override;
    bool IsWindows95() override;
};

}  // namespace meru
