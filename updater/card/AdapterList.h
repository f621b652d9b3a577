#pragma once

#include <cstdint>

namespace meru {

// The adapter list discovery fills: an unsorted list box whose entries
// carry the adapter's subkey index as item value.
class AdapterList {
public:
    virtual ~AdapterList() = default;
    // Appends an entry; its position, or a negative number when the list refused it.
    virtual int Append(const char* displayName) = 0;
    virtual void SetItemValue(int position, uint32_t value) = 0;
};

}  // namespace meru
