#include "ImageFile.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace sim {

namespace {

constexpr uint32_t kFirstSpecialAddress = 0xF00000;
constexpr uint32_t kPlugAddress = 0xFF000000;
constexpr uint32_t kMarkerAddress = 0xFF100000;
constexpr uint8_t kMarkerBytes[2] = {0xDE, 0xC0};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint32_t LittleEndian32(const std::vector<uint8_t>& data, size_t at) {
    return static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
           (static_cast<uint32_t>(data[at + 2]) << 16) | (static_cast<uint32_t>(data[at + 3]) << 24);
}

// Address bytes by record type; 0 for the ignored S0/S5, -1 for unknown types.
int AddressBytes(char type) {
    switch (type) {
        case '0': case '5': return 0;
        case '1': case '9': return 2;
        case '2': case '8': return 3;
        case '3': case '7': return 4;
        default: return -1;
    }
}

}  // namespace

std::optional<ImageFile> ImageFile::Read(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const size_t slash = path.find_last_of("/\\");
    return Parse(slash == std::string::npos ? path : path.substr(slash + 1), text.str(), error);
}

std::optional<ImageFile> ImageFile::Parse(const std::string& name, const std::string& text, std::string& error) {
    ImageFile image;
    image.name_ = name;
    std::istringstream lines(text);
    std::string line;
    for (unsigned number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        auto fail = [&](const std::string& why) {
            error = name + ": line " + std::to_string(number) + ": " + why;
            return std::nullopt;
        };
        if (line.size() < 4 || line[0] != 'S' || line.size() % 2 != 0) return fail("not an S-record");
        const int addressBytes = AddressBytes(line[1]);
        if (addressBytes < 0) return fail("unknown record type");
        std::vector<uint8_t> bytes;
        for (size_t i = 2; i < line.size(); i += 2) {
            const int high = HexValue(line[i]), low = HexValue(line[i + 1]);
            if (high < 0 || low < 0) return fail("not hexadecimal");
            bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        }
        if (bytes[0] + 1u != bytes.size() || bytes.size() < static_cast<size_t>(addressBytes) + 2) {
            return fail("count does not match");
        }
        unsigned sum = 0;
        for (uint8_t byte : bytes) sum += byte;
        if (sum % 256 != 0xFF) return fail("checksum");
        if (addressBytes == 0 || line[1] >= '7') continue;  // ignored, or the execution address
        uint32_t address = 0;
        for (int i = 0; i < addressBytes; ++i) address = (address << 8) | bytes[1 + static_cast<size_t>(i)];
        const std::vector<uint8_t> data(bytes.begin() + 1 + addressBytes, bytes.end() - 1);
        if (address < kFirstSpecialAddress) {
            if (!data.empty()) image.Append(address, data);
        } else if (address == kPlugAddress || address == kMarkerAddress) {
            if (data.size() != 12) return fail("plug or marker record of the wrong size");
            const uint32_t first = LittleEndian32(data, 0), third = LittleEndian32(data, 8);
            if (address == kPlugAddress) {
                image.AddPlug({first, LittleEndian32(data, 4), third & 0xFFFF});
            } else if (third != 0) {
                const std::vector<uint8_t> marker(kMarkerBytes, kMarkerBytes + 2);
                if (!image.Overwrite(first - 2, marker)) image.Append(first - 2, marker);
            }
        }
    }
    return image;
}

bool ImageFile::Covers(uint32_t address, uint32_t count) const {
    for (uint64_t at = address; at < static_cast<uint64_t>(address) + count; ++at) {
        const bool inside = std::any_of(blocks_.begin(), blocks_.end(), [at](const Block& block) {
            return at >= block.address && at < block.address + static_cast<uint64_t>(block.bytes.size());
        });
        if (!inside) return false;
    }
    return true;
}

bool ImageFile::Overwrite(uint32_t address, const std::vector<uint8_t>& bytes) {
    if (!Covers(address, static_cast<uint32_t>(bytes.size()))) return false;
    for (Block& block : blocks_) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const uint64_t at = static_cast<uint64_t>(address) + i;
            if (at >= block.address && at < block.address + static_cast<uint64_t>(block.bytes.size())) {
                block.bytes[at - block.address] = bytes[i];
            }
        }
    }
    return true;
}

bool ImageFile::Append(uint32_t address, const std::vector<uint8_t>& bytes) {
    if (!blocks_.empty() && blocks_.back().address + blocks_.back().bytes.size() == address) {
        blocks_.back().bytes.insert(blocks_.back().bytes.end(), bytes.begin(), bytes.end());
    } else {
        blocks_.push_back({address, bytes});
    }
    return true;
}

void ImageFile::AddPlug(const Plug& plug) {
    auto at = std::lower_bound(plugs_.begin(), plugs_.end(), plug,
                               [](const Plug& a, const Plug& b) { return a.target < b.target; });
    if (at != plugs_.end() && at->target == plug.target) {
        *at = plug;
    } else {
        plugs_.insert(at, plug);
    }
}

}  // namespace sim
