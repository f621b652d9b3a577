#include "Settings.h"

namespace meru {

Settings& TheSettings() {
    static Settings settings;
    return settings;
}

}  // namespace meru
