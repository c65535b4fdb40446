#include "launcher/command_line.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p)) {
        ++p;
    }
    return p;
}

// Appends bytes to a bounded buffer, remembering when one did not fit.
class ArgumentWriter {
public:
    ArgumentWriter(char* out, size_t capacity) : out_(out), capacity_(capacity) {}
    void Put(char c) {
        if (length_ + 1 < capacity_) {
            out_[length_++] = c;
        } else {
            overflow_ = true;
        }
    }
    void PutRepeated(char c, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            Put(c);
        }
    }
    bool Finish() {
        if (capacity_ == 0) {
            return false;
        }
        out_[length_] = '\0';
        return !overflow_;
    }
    size_t Length() const { return length_; }

private:
    char* out_;
    size_t capacity_;
    size_t length_ = 0;
    bool overflow_ = false;
};

} // namespace

const char* SkipProgramName(const char* commandLine, LeadByteTest isLeadByte) {
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
                ++p;
            }
            ++p;
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (*p != '\0' && !IsBlank(*p)) {
            if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
                ++p;
            }
            ++p;
        }
    }
    return SkipBlanks(p);
}

ArgumentRead ReadArgument(const char** cursor, LeadByteTest isLeadByte, char* out, size_t capacity,
                          size_t* length) {
    const char* p = SkipBlanks(*cursor);
    if (*p == '\0') {
        *cursor = p;
        return kNoMoreArguments;
    }
    ArgumentWriter writer(out, capacity);
    bool quoted = false;
    while (*p != '\0' && (quoted || !IsBlank(*p))) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\\') {
            const char* end = p;
            while (*end == '\\') {
                ++end;
            }
            size_t count = static_cast<size_t>(end - p);
            if (*end != '"') {
                writer.PutRepeated('\\', count); // not before a quote: copied as they are
                p = end;
            } else if (count % 2 == 1) {
                writer.PutRepeated('\\', count / 2); // odd: the quote is escaped
                writer.Put('"');
                p = end + 1;
            } else {
                writer.PutRepeated('\\', count / 2); // even: the quote is handled below
                p = end;
            }
        } else if (c == '"') {
            if (quoted && p[1] == '"') {
                writer.Put('"'); // "" inside quotes: one literal quote, section closed
                quoted = false;
                p += 2;
            } else {
                quoted = !quoted;
                ++p;
            }
        } else if (isLeadByte(c) && p[1] != '\0') {
            writer.Put(p[0]); // the second byte is never a blank, quote or backslash
            writer.Put(p[1]);
            p += 2;
        } else {
            writer.Put(p[0]);
            ++p;
        }
    }
    *cursor = SkipBlanks(p);
    *length = writer.Length();
    return writer.Finish() ? kArgumentRead : kArgumentTooLong;
}
