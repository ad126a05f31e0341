#include "sandbox/ChunkedBodyReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using Outcome = Sandbox::ChunkedBodyReader::Outcome;

// Serves fixed bytes, then reports the end of the stream.
class BytesStream final : public httplib::Stream {
public:
    explicit BytesStream(std::string bytes) : bytes_(std::move(bytes)) {}
    bool is_readable() const override { return at_ < bytes_.size(); }
    bool is_writable() const override { return false; }
    ssize_t read(char* ptr, size_t size) override {
        const size_t n = std::min(size, bytes_.size() - at_);
        std::memcpy(ptr, bytes_.data() + at_, n);
        at_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char*, size_t) override { return -1; }
    void get_remote_ip_and_port(std::string&, int&) const override {}
    void get_local_ip_and_port(std::string&, int&) const override {}
    socket_t socket() const override { return INVALID_SOCKET; }

    std::string Rest() const { return bytes_.substr(at_); }

private:
    std::string bytes_;
    size_t at_ = 0;
};

struct Row {
    const char* name;
    std::string wire;
    size_t limit;
    Outcome outcome;
    std::string body;
};

TEST(ChunkedBodyReader, DecodesOrRefusesEachWireForm) {
    const Row rows[] = {
        {"plain", "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n", 100, Outcome::Complete, "abcde"},
        {"hex and extensions", "A;name=v\r\n0123456789\r\n0 ; last\r\n\r\n", 100, Outcome::Complete, "0123456789"},
        {"upper-case hex", "1F\r\n" + std::string(31, 'x') + "\r\n0\r\n\r\n", 100, Outcome::Complete,
         std::string(31, 'x')},
        {"trailers", "1\r\nz\r\n0\r\nA: 1\r\nB: 2\r\n\r\n", 100, Outcome::Complete, "z"},
        {"empty body", "0\r\n\r\n", 0, Outcome::Complete, ""},
        {"exactly the limit", "4\r\nabcd\r\n0\r\n\r\n", 4, Outcome::Complete, "abcd"},
        {"one byte over", "4\r\nabcd\r\n1\r\ne\r\n0\r\n\r\n", 4, Outcome::TooLarge, ""},
        {"huge claim", "7fffffffffffffff\r\n", 100, Outcome::Malformed, ""},
        {"big claim", "ffffffff\r\n", 100, Outcome::TooLarge, ""},
        {"no digits", ";x\r\n", 100, Outcome::Malformed, ""},
        {"not hex", "1g\r\n", 100, Outcome::Malformed, ""},
        {"bare newline", "1\nx\r\n0\r\n\r\n", 100, Outcome::Malformed, ""},
        {"data runs past the size", "1\r\nxy\r\n0\r\n\r\n", 100, Outcome::Malformed, ""},
        {"ends inside the data", "5\r\nab", 100, Outcome::Malformed, ""},
        {"no last chunk", "1\r\nx\r\n", 100, Outcome::Malformed, ""},
        {"no end of trailers", "0\r\n", 100, Outcome::Malformed, ""},
        {"endless size line", std::string(10000, '0'), 100, Outcome::Malformed, ""},
    };
    for (const Row& row : rows) {
        BytesStream stream(row.wire);
        std::string body = "stale";
        EXPECT_EQ(Sandbox::ChunkedBodyReader::Read(stream, row.limit, body), row.outcome) << row.name;
        if (row.outcome == Outcome::Complete) {
            EXPECT_EQ(body, row.body) << row.name;
        }
    }
}

TEST(ChunkedBodyReader, LeavesTheNextRequestUnread) {
    BytesStream stream("2\r\nhi\r\n0\r\n\r\nGET / HTTP/1.1\r\n");
    std::string body;
    ASSERT_EQ(Sandbox::ChunkedBodyReader::Read(stream, 10, body), Outcome::Complete);
    EXPECT_EQ(body, "hi");
    EXPECT_EQ(stream.Rest(), "GET / HTTP/1.1\r\n");
}

TEST(ChunkedBodyReader, TooManyTrailerLinesAreRefused) {
    std::string wire = "0\r\n";
    for (int i = 0; i < 100; ++i)
        wire += "T: x\r\n";
    BytesStream stream(wire + "\r\n");
    std::string body;
    EXPECT_EQ(Sandbox::ChunkedBodyReader::Read(stream, 10, body), Outcome::Malformed);
}

}  // namespace
