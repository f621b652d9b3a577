#include "ExpectedImage.h"

#include <cstddef>

namespace fuzz {

namespace {

// LoadText's piece length: a longer line goes on as the next piece.
constexpr size_t kPieceLength = 520;
constexpr uint32_t kFirstSpecialAddress = 0xF00000;
constexpr uint32_t kMarkerRecordAddress = 0xFF100000;
constexpr uint64_t kAddressSpaceEnd = 0x100000000ull;

int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

uint8_t ByteAt(const std::string& record, size_t index) {
    return static_cast<uint8_t>(Digit(record[index]) * 16 + Digit(record[index + 1]));
}

uint32_t LittleEndian32(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

class ImageBuilder {
public:
    void Append(uint32_t address, const std::vector<uint8_t>& data) {
        if (data.empty()) return;
        if (blocks_.empty() || uint64_t{blocks_.back().startAddress} + blocks_.back().bytes.size() != address) {
            blocks_.push_back(ExpectedBlock{address, {}});
        }
        blocks_.back().bytes.insert(blocks_.back().bytes.end(), data.begin(), data.end());
    }

    // Written into every block that holds the addresses when all of them
    // are held; appended otherwise.
    void Mark(uint32_t address, const std::vector<uint8_t>& data) {
        bool held = true;
        for (size_t i = 0; i < data.size() && held; ++i) held = Holds(uint64_t{address} + i);
        if (!held) {
            Append(address, data);
            return;
        }
        for (size_t i = 0; i < data.size(); ++i) {
            const uint64_t at = uint64_t{address} + i;
            for (ExpectedBlock& block : blocks_) {
                if (at >= block.startAddress && at < uint64_t{block.startAddress} + block.bytes.size()) {
                    block.bytes[at - block.startAddress] = data[i];
                }
            }
        }
    }

    std::vector<ExpectedBlock> Take() { return std::move(blocks_); }

private:
    bool Holds(uint64_t at) const {
        if (at >= kAddressSpaceEnd) return false;
        for (const ExpectedBlock& block : blocks_) {
            if (at >= block.startAddress && at < uint64_t{block.startAddress} + block.bytes.size()) return true;
        }
        return false;
    }

    std::vector<ExpectedBlock> blocks_;
};

void ApplyRecord(const std::string& record, ImageBuilder& builder) {
    const char type = record[1];
    size_t addressBytes = 0;
    if (type == '1') addressBytes = 2;
    if (type == '2') addressBytes = 3;
    if (type == '3') addressBytes = 4;
    if (addressBytes == 0) return;  // header, count or execution address: no bytes
    const size_t count = ByteAt(record, 2);
    uint32_t address = 0;
    for (size_t i = 0; i < addressBytes; ++i) address = address << 8 | ByteAt(record, 4 + 2 * i);
    std::vector<uint8_t> data;
    for (size_t i = 0; i + addressBytes + 1 < count; ++i) data.push_back(ByteAt(record, 4 + 2 * (addressBytes + i)));
    if (address < kFirstSpecialAddress) {
        builder.Append(address, data);
    } else if (address == kMarkerRecordAddress && data.size() >= 12 && LittleEndian32(data, 8) != 0) {
        builder.Mark(LittleEndian32(data, 0) - 2, {0xDE, 0xC0});
    }
}

}  // namespace

std::vector<ExpectedBlock> ExpectedBlocks(const std::string& text) {
    ImageBuilder builder;
    size_t position = 0;
    while (position < text.size()) {
        std::string piece;
        while (position < text.size() && text[position] != '\n' && piece.size() < kPieceLength) {
            piece += text[position++];
        }
        if (position < text.size() && text[position] == '\n') ++position;
        const std::string record = piece.substr(0, piece.find('\r'));
        if (record.size() >= 4) ApplyRecord(record, builder);
    }
    return builder.Take();
}

}  // namespace fuzz
