// Feeds arbitrary bytes to the application-control frame decoder, once whole
// and then cut into pieces at points drawn from the input itself. Every run
// must end in NeedMore or Error without a crash, and the cut must not change
// what comes out: same messages, same final status, same bytes left over.
// A decoded message must encode back to exactly the frame it came from.
// New inputs go to the first folder, so keep the seeds read-only:
//   build-fuzz/bin/fuzz_appcontrol_frames -max_total_time=120 /tmp/frames-corpus fuzz/corpus/appcontrol_frames
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/app/AppControlMessages.h"

namespace {

using Vx::App::Ipc::DecodePayload;
using Vx::App::Ipc::EncodeFrame;
using Vx::App::Ipc::FrameDecoder;
using Vx::App::Ipc::kFrameHeaderBytes;
using Vx::App::Ipc::Message;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

struct Outcome {
    std::vector<std::string> frames;  // each message, encoded again
    bool error = false;
    std::size_t leftover = 0;
};

// Takes every message the decoder can give; stops for good at the first error.
bool Drain(FrameDecoder& decoder, Outcome& outcome) {
    for (;;) {
        Message message;
        std::string error;
        switch (decoder.Next(message, error)) {
        case FrameDecoder::Status::NeedMore:
            return true;
        case FrameDecoder::Status::Error:
            Check(!error.empty());
            outcome.error = true;
            return false;
        case FrameDecoder::Status::Message:
            outcome.frames.push_back(EncodeFrame(message));
            break;
        }
    }
}

// Cuts the input into pieces of 1..n bytes with a small generator seeded from the input.
Outcome DecodeInPieces(const std::uint8_t* data, std::size_t size, std::uint64_t seed) {
    FrameDecoder decoder;
    Outcome outcome;
    std::size_t offset = 0;
    while (offset < size) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        std::size_t piece = (seed & 3) == 0 ? 1 + (seed >> 8) % 256 : 1 + (seed >> 8) % 9;
        if (piece > size - offset) piece = size - offset;
        decoder.Feed(reinterpret_cast<const char*>(data) + offset, piece);
        offset += piece;
        if (!Drain(decoder, outcome)) return outcome;
    }
    outcome.leftover = decoder.GetBufferedBytes();
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The payload reader on its own: a success must encode back to the same bytes.
    if (size > 0) {
        Message message;
        std::string error;
        if (DecodePayload(bytes, message, error)) {
            const std::string frame = EncodeFrame(message);
            Check(frame.size() == size + kFrameHeaderBytes &&
                  std::string_view(frame).substr(kFrameHeaderBytes) == bytes);
        } else {
            Check(!error.empty());
        }
    }

    // Everything at once.
    FrameDecoder whole;
    whole.Feed(reinterpret_cast<const char*>(data), size);
    Outcome expected;
    if (Drain(whole, expected)) expected.leftover = whole.GetBufferedBytes();
    std::size_t consumed = 0;
    for (const std::string& frame : expected.frames) {
        Check(bytes.substr(consumed, frame.size()) == frame);
        consumed += frame.size();
    }
    if (!expected.error) Check(consumed + expected.leftover == size);

    // The same bytes in pieces, cut two different ways.
    std::uint64_t seed = 0x9e3779b97f4a7c15ull;
    for (std::size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 0x100000001b3ull;
    for (int round = 0; round < 2; ++round) {
        Outcome pieces = DecodeInPieces(data, size, (seed | 1) + static_cast<std::uint64_t>(round) * 0x51ed27);
        Check(pieces.error == expected.error);
        Check(pieces.frames == expected.frames);
        Check(pieces.leftover == expected.leftover);
    }
    return 0;
}
