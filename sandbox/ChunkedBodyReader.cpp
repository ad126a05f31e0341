#include "sandbox/ChunkedBodyReader.h"

#include <algorithm>
#include <cctype>

namespace Sandbox {
namespace {

// A chunk-size line is a few hex digits plus optional extensions; a trailer
// line is a header. Anything longer is not an honest client.
constexpr size_t kMaxLineBytes = 4096;
constexpr size_t kMaxTrailerLines = 32;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

bool ChunkedBodyReader::ReadLine(httplib::Stream& stream, std::string& line) {
    line.clear();
    char c = 0;
    while (line.size() <= kMaxLineBytes) {
        if (stream.read(&c, 1) != 1) return false;
        if (c == '\n') {
            if (line.empty() || line.back() != '\r') return false;
            line.pop_back();
            return true;
        }
        line += c;
    }
    return false;
}

bool ChunkedBodyReader::ParseSize(const std::string& line, size_t& size) {
    const size_t end = std::min(line.find(';'), line.size());
    size = 0;
    size_t digits = 0;
    for (size_t i = 0; i < end; ++i) {
        const int value = HexValue(line[i]);
        if (value < 0) {
            // Spaces may stand before an extension; nothing else may follow the digits.
            if (line.find_first_not_of(" \t", i) < end) return false;
            break;
        }
        // Fifteen hex digits already exceed any body this server takes.
        if (++digits > 15) return false;
        size = size * 16 + static_cast<size_t>(value);
    }
    return digits > 0;
}

ChunkedBodyReader::Outcome ChunkedBodyReader::Read(httplib::Stream& stream, size_t maxBytes, std::string& body) {
    body.clear();
    std::string line;
    for (;;) {
        size_t size = 0;
        if (!ReadLine(stream, line) || !ParseSize(line, size)) return Outcome::Malformed;
        if (size == 0) break;
        if (size > maxBytes - body.size()) return Outcome::TooLarge;
        const size_t start = body.size();
        body.resize(start + size);
        for (size_t got = 0; got < size;) {
            const ssize_t n = stream.read(&body[start + got], size - got);
            if (n <= 0) return Outcome::Malformed;
            got += static_cast<size_t>(n);
        }
        if (!ReadLine(stream, line) || !line.empty()) return Outcome::Malformed;
    }
    for (size_t trailers = 0; trailers <= kMaxTrailerLines; ++trailers) {
        if (!ReadLine(stream, line)) return Outcome::Malformed;
        if (line.empty()) return Outcome::Complete;
    }
    return Outcome::Malformed;
}

}  // namespace Sandbox
