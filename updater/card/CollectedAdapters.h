#pragma once

#include <string>
#include <vector>

#include "card/AdapterList.h"

namespace meru {

// An adapter list kept in memory, for callers that want the adapters found
// without a list box. Entries whose item value was never set hold kNoItemValue.
class CollectedAdapters : public AdapterList {
public:
    static constexpr uint32_t kNoItemValue = 0xFFFFFFFF;

    int Append(const char* displayName) override {
        names.push_back(displayName);
        values.push_back(kNoItemValue);
        return static_cast<int>(names.size() - 1);
    }
    void SetItemValue(int position, uint32_t value) override {
        if (position >= 0 && static_cast<size_t>(position) < values.size()) values[static_cast<size_t>(position)] = value;
    }

    std::vector<std::string> names;
    std::vector<uint32_t> values;
};

}  // namespace meru
