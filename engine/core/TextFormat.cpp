#include "engine/core/TextFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/types.h>
#include <vector>

namespace {

// Where characters go: counted always, stored while the buffer has room.
struct Sink {
    char* pWrite;  // null: count only
    int nRoom;
    int nCount;
};

void Emit(Sink* sink, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        ++sink->nCount;
        if (sink->pWrite && sink->nRoom >= 1) {
            *sink->pWrite++ = text[i];
            --sink->nRoom;
        }
    }
}

enum class ELength { kNone, kLong, kLongLong, kSize, kMax, kPtrDiff, kLongDouble };

// The letters that end a directive, by the kind of argument they take.
bool IsIntegerConversion(char c) {
    return strchr("diouxX", c) != nullptr;
}
bool IsFloatConversion(char c) {
    return strchr("eEfFgGaA", c) != nullptr;
}
bool IsLengthLetter(char c) {
    return strchr("hlqjztL", c) != nullptr;
}
bool IsConversion(char c) {
    return IsIntegerConversion(c) || IsFloatConversion(c) || strchr("cspnS", c) != nullptr;
}

template <class T>
int CallPrintf(char* buffer, size_t size, const char* directive, const int* stars, int starCount, T value) {
    switch (starCount) {
    case 0:
        return snprintf(buffer, size, directive, value);
    case 1:
        return snprintf(buffer, size, directive, stars[0], value);
    default:
        return snprintf(buffer, size, directive, stars[0], stars[1], value);
    }
}

// One directive through the C library, whatever its length.
template <class T>
void EmitDirective(Sink* sink, const std::string& directive, const int* stars, int starCount, T value) {
    char local[1024];
    const int length = CallPrintf(local, sizeof local, directive.c_str(), stars, starCount, value);
    if (length < 0)
        return;
    if (static_cast<size_t>(length) < sizeof local) {
        Emit(sink, local, static_cast<size_t>(length));
        return;
    }
    std::vector<char> large(static_cast<size_t>(length) + 1);
    CallPrintf(large.data(), large.size(), directive.c_str(), stars, starCount, value);
    Emit(sink, large.data(), static_cast<size_t>(length));
}

template <class Signed, class Unsigned>
void EmitInteger(Sink* sink, const std::string& directive, char conversion, const int* stars,
                 int starCount, va_list* arguments) {
    if (conversion == 'd' || conversion == 'i')
        EmitDirective(sink, directive, stars, starCount, va_arg(*arguments, Signed));
    else
        EmitDirective(sink, directive, stars, starCount, va_arg(*arguments, Unsigned));
}

void EmitConversion(Sink* sink, const std::string& directive, char conversion, ELength length,
                    const int* stars, int starCount, va_list* arguments) {
    if (IsIntegerConversion(conversion)) {
        switch (length) {
        case ELength::kLong:
            return EmitInteger<long, unsigned long>(sink, directive, conversion, stars, starCount, arguments);
        case ELength::kLongLong:
            return EmitInteger<long long, unsigned long long>(sink, directive, conversion, stars, starCount,
                                                              arguments);
        case ELength::kSize:
            return EmitInteger<ssize_t, size_t>(sink, directive, conversion, stars, starCount, arguments);
        case ELength::kMax:
            return EmitInteger<intmax_t, uintmax_t>(sink, directive, conversion, stars, starCount, arguments);
        case ELength::kPtrDiff:
            return EmitInteger<ptrdiff_t, size_t>(sink, directive, conversion, stars, starCount, arguments);
        default:
            return EmitInteger<int, unsigned>(sink, directive, conversion, stars, starCount, arguments);
        }
    }
    if (IsFloatConversion(conversion)) {
        if (length == ELength::kLongDouble)
            return EmitDirective(sink, directive, stars, starCount, va_arg(*arguments, long double));
        return EmitDirective(sink, directive, stars, starCount, va_arg(*arguments, double));
    }
    switch (conversion) {
    case 'c':
        return EmitDirective(sink, directive, stars, starCount, va_arg(*arguments, int));
    case 's':
    case 'S': {
        // Both letters mean byte strings, also behind a length letter: with an 'l' the C library
        // would read a wide string and print nothing. A null string prints as an empty one.
        std::string byteDirective;
        for (const char c : directive) {
            if (!IsLengthLetter(c))
                byteDirective += c;
        }
        byteDirective.back() = 's';
        const char* text = va_arg(*arguments, const char*);
        return EmitDirective(sink, byteDirective, stars, starCount, text ? text : "");
    }
    case 'p':
        return EmitDirective(sink, directive, stars, starCount, va_arg(*arguments, void*));
    case 'n':
        // The count is not written back anywhere: the pointer is only consumed.
        va_arg(*arguments, void*);
        return;
    default:
        return;
    }
}

int Format(Sink* sink, const char* format, va_list* arguments) {
    if (!format)
        format = "";
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            Emit(sink, p++, 1);
            continue;
        }
        if (p[1] == '%') {
            Emit(sink, "%", 1);
            p += 2;
            continue;
        }
        if (p[1] == 's' || p[1] == 'S') {
            const char* text = va_arg(*arguments, const char*);
            if (text)
                Emit(sink, text, strlen(text));
            p += 2;
            continue;
        }
        // A directive runs from the '%' to its conversion letter; '*' takes an int.
        const char* start = p++;
        int stars[2] = {0, 0};
        int starCount = 0;
        int longs = 0;
        ELength length = ELength::kNone;
        for (; *p && !IsConversion(*p); ++p) {
            switch (*p) {
            case '*': {
                const int value = va_arg(*arguments, int);
                if (starCount < 2)
                    stars[starCount++] = value;
                break;
            }
            case 'l':
                length = ++longs >= 2 ? ELength::kLongLong : ELength::kLong;
                break;
            case 'q':
                length = ELength::kLongLong;
                break;
            case 'z':
                length = ELength::kSize;
                break;
            case 'j':
                length = ELength::kMax;
                break;
            case 't':
                length = ELength::kPtrDiff;
                break;
            case 'L':
                length = ELength::kLongDouble;
                break;
            default:
                break;
            }
        }
        if (!*p)
            break;  // the format ends inside a directive
        const char conversion = *p++;
        EmitConversion(sink, std::string(start, p), conversion, length, stars, starCount, arguments);
    }
    if (sink->pWrite && sink->nRoom >= 1)
        *sink->pWrite = 0;
    return sink->nCount;
}

}  // namespace

int FormattedLength(const char* format, va_list arguments) {
    Sink sink{nullptr, 0, 0};
    va_list walk;
    va_copy(walk, arguments);
    const int count = Format(&sink, format, &walk);
    va_end(walk);
    return count;
}

int FormatToBuffer(char* buffer, const char* format, va_list arguments) {
    Sink sink{buffer, buffer ? kFormatBufferLimit : 0, 0};
    va_list walk;
    va_copy(walk, arguments);
    const int count = Format(&sink, format, &walk);
    va_end(walk);
    return count;
}
