// The .pda text format: the production data words as hexadecimal numbers in
// stream order, separated by white space or commas, with comments.
#include <cstdio>

#include "Pda.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

// Reads the text one character at a time and collects the words. Every
// problem is logged once with its line number and makes the file invalid.
class PdaTextReader {
public:
    explicit PdaTextReader(uint16_t* output) : output_(output) {}

    // False once the file is invalid; Full() tells when to stop feeding.
    bool Feed(char raw);
    bool Full() const { return count_ >= Pda::kMaxWords; }
    // End of file: completes a pending number and checks the record chain.
    // The word count, or 0 when the file is invalid.
    uint16_t Finish();

private:
    enum class State { kBetween, kNumber, kComment };

    static char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
    static bool IsSeparator(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == ',';
    }
    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    }

    bool StartNumber(int digit);
    bool ContinueNumber(char c, int digit);
    void EndNumber();
    bool Fail(const char* what);

    uint16_t* output_;
    size_t count_ = 0;
    State state_ = State::kBetween;
    unsigned line_ = 1;
    // The number being read: its value, every character so far (leading
    // zeros and the "x" included), and whether it carries the "0x" prefix.
    uint32_t value_ = 0;
    unsigned characters_ = 0;
    bool prefixed_ = false;
};

bool PdaTextReader::Fail(const char* what) {
    LogPrintf("PDA file line %u: %s\n", line_, what);
    return false;
}

bool PdaTextReader::Feed(char raw) {
    const char c = ToLower(raw);
    if (state_ == State::kComment) {
        if (c == '\n') {
            state_ = State::kBetween;
            ++line_;
        }
        return true;
    }
    if (IsSeparator(c)) {
        if (state_ == State::kNumber) EndNumber();
        state_ = State::kBetween;
        if (c == '\n') ++line_;
        return true;
    }
    const int digit = HexValue(c);
    if (state_ == State::kNumber) return ContinueNumber(c, digit);
    if (digit >= 0) return StartNumber(digit);
    // An "x" with no digit before it has no value of its own to prefix.
    if (c == 'x') return Fail("number begins with 'x'.");
    state_ = State::kComment;
    return true;
}

bool PdaTextReader::StartNumber(int digit) {
    state_ = State::kNumber;
    value_ = static_cast<uint32_t>(digit);
    characters_ = 1;
    prefixed_ = false;
    return true;
}

bool PdaTextReader::ContinueNumber(char c, int digit) {
    if (digit >= 0) {
        value_ = (value_ << 4) | static_cast<uint32_t>(digit);
    } else if (c == 'x') {
        // An "x" marks the prefix as long as the number is still zero
        // ("0x", "00x"); the number then may have six characters.
        if (value_ != 0) return Fail("'x' inside a number.");
        prefixed_ = true;
    } else if (c == ';' || c == '#') {
        EndNumber();
        state_ = State::kComment;
        return true;
    } else {
        return Fail("number followed by a character that is neither a separator nor ';' or '#'.");
    }
    ++characters_;
    const unsigned limit = prefixed_ ? 6 : 4;
    if (characters_ > limit) return Fail("number too long.");
    return true;
}

void PdaTextReader::EndNumber() {
    state_ = State::kBetween;
    output_[count_++] = static_cast<uint16_t>(value_ & 0xFFFFu);
}

uint16_t PdaTextReader::Finish() {
    if (state_ == State::kNumber && !Full()) EndNumber();
    if (count_ == 0) {
        LogPrintf("PDA file holds no words.\n");
        return 0;
    }
    // Each length word announces that many further words; the last record
    // must end exactly at the last word.
    size_t index = 0;
    while (index < count_) index += static_cast<size_t>(output_[index]) + 1;
    if (index != count_) {
        LogPrintf("PDA file: the last record is incomplete (%u words read).\n", static_cast<unsigned>(count_));
        return 0;
    }
    return static_cast<uint16_t>(count_);
}

}  // namespace

uint16_t ParsePdaText(const std::string& text, uint16_t* output) {
    PdaTextReader reader(output);
    for (size_t i = 0; i < text.size() && !reader.Full(); ++i) {
        if (!reader.Feed(text[i])) return 0;
    }
    return reader.Finish();
}

uint16_t ReadPdaTextFile(const std::string& path, uint16_t* output) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        LogPrintf("PDA file %s could not be opened.\n", path.c_str());
        return 0;
    }
    PdaTextReader reader(output);
    bool valid = true;
    int c;
    // Ctrl-Z ends the file, as reading in text mode does on Windows.
    while (valid && !reader.Full() && (c = std::fgetc(file)) != EOF && c != 0x1A) {
        valid = reader.Feed(static_cast<char>(c));
    }
    std::fclose(file);
    return valid ? reader.Finish() : 0;
}

}  // namespace meru
