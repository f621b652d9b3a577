#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace meru {

// An image's data as 2048-byte pages in arrival order, plus a table of
// contiguous address blocks (numbered from 1) and the execution address.
// Walked in chunks by the flash programmer and the dump writers.
class FirmwareImage {
public:
    static constexpr uint32_t kPageSize = 2048;
    static constexpr uint16_t kPageSlots = 256;
    static constexpr uint16_t kPageLimit = 100;   // appends are refused once page 100 is open
    static constexpr uint16_t kBlockSlots = 256;  // entry 0 unused: at most 255 blocks

    struct Block {
        uint16_t startPage = 0;
        uint32_t pageOffset = 0;  // offset of the block's first byte in its start page
        uint32_t length = 0;
        uint32_t startAddress = 0;
    };

    struct Location {
        bool found = false;
        uint16_t block = 0;
        uint32_t blockOffset = 0;
        uint16_t page = 0;
        uint32_t pageOffset = 0;
    };

    FirmwareImage();
    ~FirmwareImage();
    FirmwareImage(const FirmwareImage&) = delete;
    FirmwareImage& operator=(const FirmwareImage&) = delete;

    // Frees the data and resets counters, cursor and execution address.
    void Clear();

    // Why an append did not happen. kNoRoom is running out of pages (or
    // memory), kTooManyBlocks a 256th block, kPastAddressSpace bytes that
    // would run beyond address 0xFFFFFFFF. Nothing is stored in the last two
    // cases.
    enum class AppendResult { kAppended, kEmpty, kNoRoom, kTooManyBlocks, kPastAddressSpace };
    AppendResult Append(const uint8_t* data, uint32_t address, uint16_t length);
    // Append() == kAppended.
    bool AppendBytes(const uint8_t* data, uint32_t address, uint16_t length);
    bool OverwriteBytes(const uint8_t* data, uint32_t address, uint16_t length);
    // firstBlock 0: search all blocks from 1 up; otherwise examine only that block.
    Location Locate(uint32_t address, uint16_t firstBlock) const;

    // Cursor to block 1; returns the block count.
    uint16_t Rewind();
    // Next chunk of at most `maximum` bytes that crosses neither a block end nor a
    // multiple of `boundary` (0: none). destination may be nullptr. A maximum
    // of 0 hands out nothing (false), like CountChunks.
    bool NextChunk(uint8_t* destination, uint32_t& address, uint16_t& length, uint16_t maximum,
                   uint32_t boundary);
    // Saturates at 0xFFFF.
    uint16_t CountChunks(uint16_t maximum, uint32_t boundary) const;

    uint16_t BlockCount() const { return blockCount_; }
    // n from 1 to BlockCount().
    const Block& BlockAt(uint16_t n) const { return blocks_[n]; }
    // Total data bytes held.
    uint32_t ByteCount() const;

    bool HasExecutionAddress() const { return hasExecutionAddress_; }
    uint32_t ExecutionAddress() const { return executionAddress_; }
    void SetExecutionAddress(uint32_t address) {
        executionAddress_ = address;
        hasExecutionAddress_ = true;
    }
    void ClearExecutionAddress() { hasExecutionAddress_ = false; }

private:
    using Page = std::array<uint8_t, kPageSize>;

    void Reset();
    bool OpenNextPage();
    const Block* LastBlock() const { return blockCount_ > 0 ? &blocks_[blockCount_] : nullptr; }

    uint16_t currentPage_ = 0;
    uint32_t currentFill_ = 0;
    uint16_t blockCount_ = 0;
    uint16_t readPage_ = 0;
    uint32_t readPageOffset_ = 0;
    uint16_t readBlock_ = 1;
    uint32_t readBlockOffset_ = 0;
    std::array<std::unique_ptr<Page>, kPageSlots> pages_;
    std::array<Block, kBlockSlots> blocks_{};
    uint32_t executionAddress_ = 0;
    bool hasExecutionAddress_ = false;
};

}  // namespace meru
