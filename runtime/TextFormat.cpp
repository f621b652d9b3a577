#include "TextFormat.h"

#include <cstdint>
#include <cstring>

namespace velox {

namespace {

// Where the characters go: a bounded buffer that counts what did not fit.
class Output {
public:
    Output(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {}

    void Put(char c) {
        if (size_ != 0 && length_ < size_ - 1) buffer_[length_] = c;
        ++length_;
    }
    void Put(const char* text, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) Put(text[i]);
    }
    void Repeat(char c, int count) {
        for (int i = 0; i < count; ++i) Put(c);
    }
    int Finish() {
        if (size_ != 0) buffer_[length_ < size_ ? length_ : size_ - 1] = '\0';
        return static_cast<int>(length_);
    }

private:
    char* buffer_;
    std::size_t size_;
    std::size_t length_ = 0;
};

struct FieldFormat {
    bool left = false;
    bool zero = false;
    int width = 0;
    int precision = -1;  // none
};

void PutPadded(Output& out, const FieldFormat& field, const char* body, std::size_t length) {
    const int padding = field.width > static_cast<int>(length) ? field.width - static_cast<int>(length) : 0;
    if (!field.left) out.Repeat(' ', padding);
    out.Put(body, length);
    if (field.left) out.Repeat(' ', padding);
}

void PutNumber(Output& out, const FieldFormat& field, bool negative, std::uintmax_t magnitude, unsigned base, bool upper) {
    const char* digitsOf = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[sizeof(std::uintmax_t) * 8];
    int count = 0;
    while (magnitude != 0) {
        digits[count++] = digitsOf[magnitude % base];
        magnitude /= base;
    }
    // At least one digit, unless a precision of 0 asks for none for zero.
    int wanted = field.precision >= 0 ? field.precision : 1;
    const int zeros = wanted > count ? wanted - count : 0;
    const int length = (negative ? 1 : 0) + zeros + count;
    const int padding = field.width > length ? field.width - length : 0;
    const bool zeroPad = field.zero && !field.left && field.precision < 0;
    if (!field.left && !zeroPad) out.Repeat(' ', padding);
    if (negative) out.Put('-');
    if (zeroPad) out.Repeat('0', padding);
    out.Repeat('0', zeros);
    while (count > 0) out.Put(digits[--count]);
    if (field.left) out.Repeat(' ', padding);
}

int ReadCount(const char*& p, va_list& args) {
    if (*p == '*') {
        ++p;
        return va_arg(args, int);
    }
    int value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 100000) value = value * 10 + (*p - '0');
        ++p;
    }
    return value;
}

}  // namespace

int FormatTextV(char* buffer, std::size_t size, const char* format, va_list argsIn) {
    Output out(buffer, size);
    va_list args;
    va_copy(args, argsIn);
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            out.Put(*p++);
            continue;
        }
        const char* start = p++;
        FieldFormat field;
        for (;; ++p) {
            if (*p == '-') field.left = true;
            else if (*p == '0') field.zero = true;
            else break;
        }
        field.width = ReadCount(p, args);
        if (field.width < 0) {  // a negative '*' width means left-aligned
            field.left = true;
            field.width = -field.width;
        }
        if (*p == '.') {
            ++p;
            field.precision = ReadCount(p, args);
            if (field.precision < 0) field.precision = -1;
        }
        enum class Length { kInt, kShort, kLong, kLongLong, kSize } length = Length::kInt;
        if (*p == 'h') {
            length = Length::kShort;
            ++p;
        } else if (*p == 'l') {
            ++p;
            length = Length::kLong;
            if (*p == 'l') {
                length = Length::kLongLong;
                ++p;
            }
        } else if (*p == 'z') {
            length = Length::kSize;
            ++p;
        }
        const char conversion = *p;
        if (conversion != '\0') ++p;
        switch (conversion) {
        case '%':
            out.Put('%');
            break;
        case 'c': {
            const char c = static_cast<char>(va_arg(args, int));
            PutPadded(out, field, &c, 1);
            break;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            if (text == nullptr) text = "(null)";
            std::size_t n = 0;
            while (text[n] != '\0' && (field.precision < 0 || n < static_cast<std::size_t>(field.precision))) ++n;
            PutPadded(out, field, text, n);
            break;
        }
        case 'd':
        case 'i': {
            std::intmax_t value;
            switch (length) {
            case Length::kLong: value = va_arg(args, long); break;
            case Length::kLongLong: value = va_arg(args, long long); break;
            case Length::kSize: value = static_cast<std::intmax_t>(va_arg(args, std::size_t)); break;
            case Length::kShort: value = static_cast<short>(va_arg(args, int)); break;
            default: value = va_arg(args, int); break;
            }
            const bool negative = value < 0;
            // The magnitude in unsigned arithmetic: the most negative value too.
            const std::uintmax_t magnitude = negative ? 0 - static_cast<std::uintmax_t>(value) : static_cast<std::uintmax_t>(value);
            PutNumber(out, field, negative, magnitude, 10, false);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            std::uintmax_t value;
            switch (length) {
            case Length::kLong: value = va_arg(args, unsigned long); break;
            case Length::kLongLong: value = va_arg(args, unsigned long long); break;
            case Length::kSize: value = va_arg(args, std::size_t); break;
            case Length::kShort: value = static_cast<unsigned short>(va_arg(args, unsigned)); break;
            default: value = va_arg(args, unsigned); break;
            }
            PutNumber(out, field, false, value, conversion == 'u' ? 10 : 16, conversion == 'X');
            break;
        }
        default:
            // Not ours to know: the conversion as written.
            out.Put(start, static_cast<std::size_t>(p - start));
            break;
        }
    }
    va_end(args);
    return out.Finish();
}

int FormatText(char* buffer, std::size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = FormatTextV(buffer, size, format, args);
    va_end(args);
    return length;
}

std::string FormatStringV(const char* format, va_list args) {
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int length = FormatTextV(small, sizeof small, format, copy);
    va_end(copy);
    if (length < static_cast<int>(sizeof small)) return std::string(small, static_cast<std::size_t>(length));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    FormatTextV(&text[0], text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string FormatString(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatStringV(format, args);
    va_end(args);
    return text;
}

}  // namespace velox
