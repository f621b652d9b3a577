#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A firmware image as its S-record file describes it, read by the card's
// side with its own reader: the bytes to be stored (data records, plus the
// marker word 0xC0DE just below each flagged region) and the plug records
// that name where production data goes. Info records are not interpreted.
class ImageFile {
public:
    struct Block {
        uint32_t address = 0;
        std::vector<uint8_t> bytes;
    };
    struct Plug {
        uint32_t code = 0;  // 0xFFFFFFFF: the file name
        uint32_t target = 0;
        uint32_t length = 0;
    };
    static constexpr uint32_t kFileNamePlug = 0xFFFFFFFF;

    // Reads an S-record file; nullopt with `error` ("line N: ...") when malformed.
    static std::optional<ImageFile> Read(const std::string& path, std::string& error);
    static std::optional<ImageFile> Parse(const std::string& name, const std::string& text, std::string& error);

    // The file's own name, without its folder.
    const std::string& Name() const { return name_; }
    const std::vector<Block>& Blocks() const { return blocks_; }
    // By ascending target; a later plug for the same target replaces an earlier one.
    const std::vector<Plug>& Plugs() const { return plugs_; }
    // True when every byte of [address, address + count) is in a block.
    bool Covers(uint32_t address, uint32_t count) const;
    // Replaces bytes the image holds; false (nothing changed) when not all are there.
    bool Overwrite(uint32_t address, const std::vector<uint8_t>& bytes);

private:
    bool Append(uint32_t address, const std::vector<uint8_t>& bytes);
    void AddPlug(const Plug& plug);

    std::string name_;
    std::vector<Block> blocks_;
    std::vector<Plug> plugs_;
};

}  // namespace sim
