// Feeds arbitrary bytes to the sandbox's chunked body decoder as the wire
// after a request head. Every input must end in a body within the limit, a
// refusal for size or a refusal as malformed, without a crash, a leak or a
// read past the bytes; it never reads more than the wire holds.
//   build-fuzz/bin/fuzz_chunked_body -max_total_time=120 /tmp/chunked-corpus fuzz/corpus/chunked_body
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "sandbox/ChunkedBodyReader.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

class WireStream final : public httplib::Stream {
public:
    WireStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool is_readable() const override { return at_ < size_; }
    bool is_writable() const override { return false; }
    ssize_t read(char* ptr, size_t size) override {
        const size_t n = size < size_ - at_ ? size : size_ - at_;
        std::memcpy(ptr, data_ + at_, n);
        at_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char*, size_t) override { return -1; }
    void get_remote_ip_and_port(std::string&, int&) const override {}
    void get_local_ip_and_port(std::string&, int&) const override {}
    socket_t socket() const override { return INVALID_SOCKET; }
    size_t Consumed() const { return at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte chooses a small limit, so that both refusals are reached.
    const size_t limit = size ? data[0] * 16u : 0;
    WireStream wire(size ? data + 1 : data, size ? size - 1 : 0);
    std::string body;
    const auto outcome = Sandbox::ChunkedBodyReader::Read(wire, limit, body);
    if (outcome == Sandbox::ChunkedBodyReader::Outcome::Complete) {
        Check(body.size() <= limit);
        Check(body.size() <= wire.Consumed());
    }
    return 0;
}
