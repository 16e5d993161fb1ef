#include "LineSplitter.h"

#include <cstdlib>
#include <cstring>

namespace {

long ReadHex(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 16);
    return (end == nullptr || *end != '\0') ? 0 : value;
}

}  // namespace

void SplitLines(char* buffer, int* length, std::vector<std::string>* lines) {
    const int size = *length;
    if (size <= 0) {
        return;
    }
    int start = 0;
    for (const char* cr = static_cast<const char*>(std::memchr(buffer, '\r', size));
         cr != nullptr;
         cr = static_cast<const char*>(std::memchr(buffer + start, '\r', size - start))) {
        const int end = static_cast<int>(cr - buffer);
        lines->emplace_back(buffer + start, end - start);
        start = end + 1;
        if (start >= size) {
            break;
        }
    }
    const int tail = size - start;
    if (tail > 0 && start > 0) {
        std::memmove(buffer, buffer + start, tail);
    }
    *length = tail;
}

void SplitLines(std::string& buffer, std::vector<std::string>& lines) {
    if (buffer.empty()) {
        return;
    }
    size_t start = 0;
    for (size_t cr = buffer.find('\r'); cr != std::string::npos; cr = buffer.find('\r', start)) {
        lines.push_back(buffer.substr(start, cr - start));
        start = cr + 1;
    }
    buffer.erase(0, start);
}

void Tokenize(const std::string& text, std::vector<std::string>& out, boost::regex pattern) {
    for (boost::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        out.push_back((*it)[0].str());
    }
}

void ParseHexBytes(const std::string& text, std::vector<unsigned char>& out,
                   boost::regex pattern) {
    for (boost::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        out.push_back(static_cast<unsigned char>(ReadHex((*it)[0].str()) & 0xFF));
    }
}

void ParseHexWords(const std::string& text, std::vector<short>& out, boost::regex pattern) {
    std::vector<std::string> tokens;
    Tokenize(text, tokens, pattern);
    for (size_t i = 0; i + 1 < tokens.size(); i += 2) {
        long value = ReadHex(tokens[i + 1] + tokens[i]) & 0xFFFF;
        if (value > 32767) {
            value -= 65536;
        }
        out.push_back(static_cast<short>(value));
    }
}
