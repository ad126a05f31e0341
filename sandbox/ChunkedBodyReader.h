#pragma once

#include <httplib.h>

#include <string>

namespace Sandbox {

// Decodes a chunked request body from the stream, holding no more than
// maxBytes of it: the library's own decoder has no limit.
class ChunkedBodyReader {
public:
    enum class Outcome {
        Complete,   // body holds the whole body; the trailer is read too
        TooLarge,   // the chunks add up to more than maxBytes; the rest is unread
        Malformed,  // a bad chunk size or line end, or the stream failed or ended
    };

    static Outcome Read(httplib::Stream& stream, size_t maxBytes, std::string& body);

private:
    static bool ReadLine(httplib::Stream& stream, std::string& line);
    static bool ParseSize(const std::string& line, size_t& size);
};

}  // namespace Sandbox
