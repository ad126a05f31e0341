#pragma once
// Every message that crosses between an application-control caller and a
// providing application. One frame on the local socket:
//   u32 payload length (big-endian) | u8 kind | fields
// Field encodings: u32/u64 big-endian; str = u32 length + UTF-8 bytes;
// opt<T> = u8 presence (0/1) + T; map = u32 count + (str key, str value)*.
//
// clang-format off
//   kind  message           direction           fields
//   1     Request           caller -> provider  u64 callId, str callerAppId, str operationId,
//                                               opt<str> uri, opt<str> mimeType, opt<map> extra
//   2     Accepted          provider -> caller  u64 callId
//   3     Result            provider -> caller  u64 callId, u32 result, opt<map> extra
//   4     ActiveAppChanged  anyone -> app       str appId
// clang-format on
//
// A provider answers each Request at most once. Anything else on the wire
// (unknown kind, bad length, invalid UTF-8, trailing bytes) ends the
// connection that carried it, and only that one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace Vx::App::Ipc {

// Keys and values in their original order, UTF-8.
using StringMap = std::vector<std::pair<std::string, std::string>>;

struct RequestMessage {
    std::uint64_t callId = 0;
    std::string callerAppId;
    std::string operationId;
    std::optional<std::string> uri;
    std::optional<std::string> mimeType;
    std::optional<StringMap> extra;
};

struct AcceptedMessage {
    std::uint64_t callId = 0;
};

struct ResultMessage {
    std::uint64_t callId = 0;
    std::uint32_t result = 0;
    std::optional<StringMap> extra;
};

struct ActiveAppChangedMessage {
    std::string appId;
};

using Message = std::variant<RequestMessage, AcceptedMessage, ResultMessage, ActiveAppChangedMessage>;

// Frames larger than this are refused: a page of records is far smaller.
constexpr std::size_t kMaxPayloadBytes = 16u * 1024u * 1024u;
constexpr std::size_t kFrameHeaderBytes = 4;

// The complete frame, header included.
std::string EncodeFrame(const Message& message);

// Decodes one payload (without the length header). False with a reason on
// anything malformed; never reads outside the given bytes.
bool DecodePayload(std::string_view payload, Message& out, std::string& error);

// Collects bytes as they arrive and hands out whole messages.
class FrameDecoder {
public:
    enum class Status { NeedMore, Message, Error };

    void Feed(const char* data, std::size_t length);
    // Message: `out` holds the next message. Error: `error` says why; the
    // stream cannot be resynchronised and the connection should be dropped.
    Status Next(Message& out, std::string& error);
    std::size_t GetBufferedBytes() const { return buffer_.size() - consumed_; }

private:
    std::string buffer_;
    std::size_t consumed_ = 0;
};

}  // namespace Vx::App::Ipc
