#include "FirmwareImage.h"

#include <algorithm>
#include <new>

namespace meru {

namespace {
constexpr uint64_t kAddressSpaceEnd = 0x100000000ull;

uint64_t EndOf(const FirmwareImage::Block& block) {
    return static_cast<uint64_t>(block.startAddress) + block.length;
}
}  // namespace

FirmwareImage::FirmwareImage() { Reset(); }

FirmwareImage::~FirmwareImage() = default;

void FirmwareImage::Reset() {
    currentPage_ = 0;
    currentFill_ = 0;
    blockCount_ = 0;
    readPage_ = 0;
    readPageOffset_ = 0;
    readBlock_ = 1;
    readBlockOffset_ = 0;
    blocks_.fill(Block{});
    executionAddress_ = 0;
    hasExecutionAddress_ = false;
}

void FirmwareImage::Clear() {
    for (auto& page : pages_) page.reset();
    Reset();
}

bool FirmwareImage::OpenNextPage() {
    if (currentPage_ >= kPageSlots - 1) return false;
    const uint16_t next = static_cast<uint16_t>(currentPage_ + 1);
    if (!pages_[next]) {
        pages_[next].reset(new (std::nothrow) Page);
        if (!pages_[next]) return false;
    }
    currentPage_ = next;
    currentFill_ = 0;
    return true;
}

FirmwareImage::AppendResult FirmwareImage::Append(const uint8_t* data, uint32_t address, uint16_t length) {
    if (currentPage_ >= kPageLimit) return AppendResult::kNoRoom;
    if (length == 0) return AppendResult::kEmpty;
    if (static_cast<uint64_t>(address) + length > kAddressSpaceEnd) return AppendResult::kPastAddressSpace;

    // Only a run that continues the last block exactly extends it; anything
    // else, even an address inside an earlier block, opens a new block.
    const Block* last = LastBlock();
    const bool extendsLast = last != nullptr && EndOf(*last) == address;
    if (!extendsLast && blockCount_ >= kBlockSlots - 1) return AppendResult::kTooManyBlocks;

    if (blockCount_ == 0) {
        if (!pages_[0]) {
            pages_[0].reset(new (std::nothrow) Page);
            if (!pages_[0]) return AppendResult::kNoRoom;
        }
        currentPage_ = 0;
        currentFill_ = 0;
    }
    if (!extendsLast) {
        ++blockCount_;
        blocks_[blockCount_] = Block{currentPage_, currentFill_, 0, address};
    }
    Block& block = blocks_[blockCount_];
    for (uint16_t i = 0; i < length; ++i) {
        if (currentFill_ >= kPageSize && !OpenNextPage()) return AppendResult::kNoRoom;
        (*pages_[currentPage_])[currentFill_++] = data[i];
        ++block.length;
    }
    return AppendResult::kAppended;
}

bool FirmwareImage::AppendBytes(const uint8_t* data, uint32_t address, uint16_t length) {
    return Append(data, address, length) == AppendResult::kAppended;
}

FirmwareImage::Location FirmwareImage::Locate(uint32_t address, uint16_t firstBlock) const {
    Location location;
    if (firstBlock > blockCount_) return location;
    const uint16_t from = firstBlock != 0 ? firstBlock : 1;
    const uint16_t to = firstBlock != 0 ? firstBlock : blockCount_;
    for (uint16_t n = from; n <= to; ++n) {
        const Block& block = blocks_[n];
        if (address < block.startAddress || address >= EndOf(block)) continue;
        const uint32_t offset = address - block.startAddress;
        const uint64_t position = static_cast<uint64_t>(block.pageOffset) + offset;
        location.found = true;
        location.block = n;
        location.blockOffset = offset;
        location.page = static_cast<uint16_t>(block.startPage + position / kPageSize);
        location.pageOffset = static_cast<uint32_t>(position % kPageSize);
        return location;
    }
    return location;
}

bool FirmwareImage::OverwriteBytes(const uint8_t* data, uint32_t address, uint16_t length) {
    const uint64_t end = static_cast<uint64_t>(address) + length;
    // Every byte of the range must already be held, possibly by several
    // blocks that leave no gap between them.
    for (uint64_t position = address; position < end;) {
        if (position >= kAddressSpaceEnd) return false;
        const Location location = Locate(static_cast<uint32_t>(position), 0);
        if (!location.found) return false;
        position += blocks_[location.block].length - location.blockOffset;
    }
    for (uint16_t n = 1; n <= blockCount_; ++n) {
        const Block& block = blocks_[n];
        const uint64_t first = std::max<uint64_t>(block.startAddress, address);
        const uint64_t stop = std::min<uint64_t>(EndOf(block), end);
        if (first >= stop) continue;
        const Location location = Locate(static_cast<uint32_t>(first), n);
        uint16_t page = location.page;
        uint32_t pageOffset = location.pageOffset;
        for (uint64_t a = first; a < stop; ++a) {
            if (pageOffset >= kPageSize) {
                ++page;
                pageOffset = 0;
            }
            (*pages_[page])[pageOffset++] = data[a - address];
        }
    }
    return true;
}

uint16_t FirmwareImage::Rewind() {
    readBlock_ = 1;
    readBlockOffset_ = 0;
    readPage_ = 0;
    readPageOffset_ = 0;
    return blockCount_;
}

bool FirmwareImage::NextChunk(uint8_t* destination, uint32_t& address, uint16_t& length, uint16_t maximum,
                              uint32_t boundary) {
    address = 0;
    length = 0;
    if (blockCount_ == 0 || maximum == 0 || readBlock_ < 1 || readBlock_ > blockCount_) return false;
    while (readBlockOffset_ >= blocks_[readBlock_].length) {
        if (readBlock_ == blockCount_) return false;
        ++readBlock_;
        readBlockOffset_ = 0;
        readPage_ = blocks_[readBlock_].startPage;
        readPageOffset_ = blocks_[readBlock_].pageOffset;
    }
    const Block& block = blocks_[readBlock_];
    const uint32_t start = block.startAddress + readBlockOffset_;
    uint16_t taken = 0;
    for (;;) {
        if (readPageOffset_ >= kPageSize) {
            ++readPage_;
            readPageOffset_ = 0;
        }
        const uint8_t byte = (*pages_[readPage_])[readPageOffset_++];
        if (destination != nullptr) destination[taken] = byte;
        ++taken;
        ++readBlockOffset_;
        const uint64_t next = static_cast<uint64_t>(start) + taken;
        if (taken == maximum || readBlockOffset_ >= block.length) break;
        if (boundary != 0 && next % boundary == 0) break;
    }
    address = start;
    length = taken;
    return true;
}

uint16_t FirmwareImage::CountChunks(uint16_t maximum, uint32_t boundary) const {
    if (maximum == 0) return 0;
    uint32_t count = 0;
    for (uint16_t n = 1; n <= blockCount_; ++n) {
        uint64_t address = blocks_[n].startAddress;
        uint64_t left = blocks_[n].length;
        while (left > 0) {
            uint64_t piece = std::min<uint64_t>(maximum, left);
            if (boundary != 0) piece = std::min<uint64_t>(piece, boundary - address % boundary);
            address += piece;
            left -= piece;
            if (++count >= 0xFFFFu) return 0xFFFF;
        }
    }
    return static_cast<uint16_t>(count);
}

uint32_t FirmwareImage::ByteCount() const {
    uint32_t total = 0;
    for (uint16_t n = 1; n <= blockCount_; ++n) total += blocks_[n].length;
    return total;
}

}  // namespace meru
