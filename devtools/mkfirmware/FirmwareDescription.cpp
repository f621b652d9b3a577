#include "FirmwareDescription.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace meru {

uint16_t ImageDescription::ComponentId() const {
    switch (kind) {
        case ImageKind::Primary: return 21;
        case ImageKind::Station: return 31;
        case ImageKind::Bare: return 0;
    }
    return 0;
}

namespace {

class LineParser {
public:
    LineParser(const std::string& text, unsigned lineNumber, std::string& error)
        : in_(text), lineNumber_(lineNumber), error_(error) {}

    bool Word(std::string& word) {
        if (in_ >> word) return true;
        return Fail("missing value");
    }
    bool Keyword(const char* expected) {
        std::string word;
        if (!(in_ >> word) || word != expected) return Fail(std::string("expected '") + expected + "'");
        return true;
    }
    // Decimal, or hexadecimal with 0x.
    bool Number(uint32_t& value, uint32_t maximum = 0xFFFFFFFFu) {
        std::string word;
        if (!Word(word)) return false;
        return ParseNumber(word, value, maximum);
    }
    bool Number16(uint16_t& value) {
        uint32_t wide = 0;
        if (!Number(wide, 0xFFFF)) return false;
        value = static_cast<uint16_t>(wide);
        return true;
    }
    // "B..T"
    bool Range(uint16_t& bottom, uint16_t& top) {
        std::string word;
        if (!Word(word)) return false;
        const size_t dots = word.find("..");
        if (dots == std::string::npos) return Fail("range must be written bottom..top");
        uint32_t b = 0, t = 0;
        if (!ParseNumber(word.substr(0, dots), b, 0xFFFF) || !ParseNumber(word.substr(dots + 2), t, 0xFFFF)) {
            return false;
        }
        bottom = static_cast<uint16_t>(b);
        top = static_cast<uint16_t>(t);
        return true;
    }
    bool AtEnd() {
        std::string rest;
        if (in_ >> rest) return Fail("unexpected '" + rest + "'");
        return true;
    }
    bool HasMore() {
        in_ >> std::ws;
        return !in_.eof();
    }
    std::string Rest() {
        std::string rest;
        std::getline(in_ >> std::ws, rest);
        return rest;
    }
    bool Fail(const std::string& problem) {
        error_ = "line " + std::to_string(lineNumber_) + ": " + problem;
        return false;
    }

    bool ParseNumber(const std::string& word, uint32_t& value, uint32_t maximum) {
        const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
        const std::string digits = hex ? word.substr(2) : word;
        if (digits.empty()) return Fail("bad number '" + word + "'");
        for (char c : digits) {
            const bool ok = hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
            if (!ok) return Fail("bad number '" + word + "'");
        }
        errno = 0;
        const unsigned long long parsed = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
        if (errno != 0 || parsed > maximum) return Fail("number out of range '" + word + "'");
        value = static_cast<uint32_t>(parsed);
        return true;
    }

private:
    std::istringstream in_;
    unsigned lineNumber_;
    std::string& error_;
};

bool ParseVersion(LineParser& p, ImageDescription& image) {
    std::string word;
    if (!p.Word(word)) return false;
    unsigned parts[3];
    char tail = 0;
    if (std::sscanf(word.c_str(), "%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &tail) != 3 ||
        parts[0] > 0xFFFF || parts[1] > 0xFFFF || parts[2] > 0xFFFF) {
        return p.Fail("version must be major.minor.variant");
    }
    image.major = static_cast<uint16_t>(parts[0]);
    image.minor = static_cast<uint16_t>(parts[1]);
    image.variant = static_cast<uint16_t>(parts[2]);
    image.hasVersion = true;
    return p.AtEnd();
}

bool ParseCompatibility(LineParser& p, uint16_t role, ImageDescription& image) {
    CompatibilityEntry entry;
    entry.role = role;
    if (!p.Number16(entry.interfaceId) || !p.Keyword("variant") || !p.Number16(entry.variant) ||
        !p.Keyword("range") || !p.Range(entry.bottom, entry.top)) {
        return false;
    }
    image.compatibility.push_back(entry);
    return p.AtEnd();
}

bool ParsePlatform(LineParser& p, ImageDescription& image) {
    PlatformEntry entry;
    if (!p.Number16(entry.platformId)) return false;
    if (p.HasMore()) {
        for (uint16_t& word : entry.extra) {
            if (!p.Number16(word)) return false;
        }
    }
    image.platforms.push_back(entry);
    return p.AtEnd();
}

bool ParsePlug(LineParser& p, ImageDescription& image) {
    PlugEntry plug;
    std::string code;
    if (!p.Word(code)) return false;
    if (code == "filename") {
        plug.code = 0xFFFFFFFFu;
    } else {
        if (!p.ParseNumber(code, plug.code, 0xFFFF)) return false;
    }
    if (!p.Number(plug.target) || !p.Number(plug.length, 0xFFFF)) return false;
    image.plugs.push_back(plug);
    return p.AtEnd();
}

bool ParseImageAttribute(LineParser& p, const std::string& keyword, ImageDescription& image) {
    if (keyword == "version") return ParseVersion(p, image);
    if (keyword == "base") return p.Number(image.base) && p.AtEnd();
    if (keyword == "entry") return p.Number(image.entry) && p.AtEnd();
    if (keyword == "build") {
        image.hasBuild = true;
        return p.Number16(image.build) && p.AtEnd();
    }
    if (keyword == "platform") return ParsePlatform(p, image);
    if (keyword == "supplier") return ParseCompatibility(p, 0, image);
    if (keyword == "actor") return ParseCompatibility(p, 1, image);
    if (keyword == "block") {
        DataBlock block;
        if (!p.Number(block.start) || !p.Number(block.length)) return false;
        image.blocks.push_back(block);
        return p.AtEnd();
    }
    if (keyword == "plug") return ParsePlug(p, image);
    if (keyword == "marker") {
        MarkerEntry marker;
        if (!p.Number(marker.region) || !p.Number(marker.length) || !p.Number(marker.flag)) return false;
        image.markers.push_back(marker);
        return p.AtEnd();
    }
    return p.Fail("unknown keyword '" + keyword + "'");
}

}  // namespace

bool ParseCatalogueDescription(std::istream& in, CatalogueDescription& catalogue, std::string& error) {
    catalogue = CatalogueDescription();
    std::string line;
    unsigned lineNumber = 0;
    ImageDescription* current = nullptr;
    while (std::getline(in, line)) {
        ++lineNumber;
        const size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        LineParser p(line, lineNumber, error);
        if (!p.HasMore()) continue;
        std::string keyword;
        p.Word(keyword);

        if (keyword == "board") {
            BoardDescription board;
            uint32_t macType = 0;
            if (!p.Number16(board.platformId) || !p.Keyword("mac") || !p.Number(macType, 0xFFFF)) return false;
            board.macType = macType;
            board.name = p.Rest();
            catalogue.boards.push_back(board);
            current = nullptr;
        } else if (keyword == "primary" || keyword == "station" || keyword == "bare") {
            ImageDescription image;
            image.kind = keyword == "primary" ? ImageKind::Primary
                         : keyword == "station" ? ImageKind::Station
                                                : ImageKind::Bare;
            image.line = lineNumber;
            uint32_t id = 0;
            if (!p.Number(id, 0xFFFF) || !p.Word(image.fileName) || !p.AtEnd()) return false;
            image.resourceId = id;
            catalogue.images.push_back(image);
            current = &catalogue.images.back();
        } else if (current == nullptr) {
            return p.Fail("'" + keyword + "' outside an image");
        } else if (!ParseImageAttribute(p, keyword, *current)) {
            return false;
        }
    }
    if (catalogue.images.empty()) {
        error = "no images described";
        return false;
    }
    return true;
}

}  // namespace meru
