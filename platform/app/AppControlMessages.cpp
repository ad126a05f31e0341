#include "platform/app/AppControlMessages.h"

#include "platform/base/Utf8.h"

namespace Vx::App::Ipc {
namespace {

enum Kind : std::uint8_t { kRequest = 1, kAccepted = 2, kResult = 3, kActiveAppChanged = 4 };

class Writer {
public:
    void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void U32(std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            U8(static_cast<std::uint8_t>(v >> shift));
    }
    void U64(std::uint64_t v) {
        U32(static_cast<std::uint32_t>(v >> 32));
        U32(static_cast<std::uint32_t>(v));
    }
    void Str(const std::string& s) {
        U32(static_cast<std::uint32_t>(s.size()));
        out_ += s;
    }
    void OptStr(const std::optional<std::string>& s) {
        U8(s ? 1 : 0);
        if (s) Str(*s);
    }
    void OptMap(const std::optional<StringMap>& map) {
        U8(map ? 1 : 0);
        if (!map) return;
        U32(static_cast<std::uint32_t>(map->size()));
        for (const auto& [key, value] : *map) {
            Str(key);
            Str(value);
        }
    }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

// Every read is bounds-checked; the first failure sticks and names the field.
class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}

    bool U8(std::uint8_t& v, const char* field) {
        if (!Need(1, field)) return false;
        v = static_cast<std::uint8_t>(data_[pos_++]);
        return true;
    }
    bool U32(std::uint32_t& v, const char* field) {
        if (!Need(4, field)) return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<std::uint8_t>(data_[pos_++]);
        return true;
    }
    bool U64(std::uint64_t& v, const char* field) {
        std::uint32_t high = 0, low = 0;
        if (!U32(high, field) || !U32(low, field)) return false;
        v = (static_cast<std::uint64_t>(high) << 32) | low;
        return true;
    }
    bool Str(std::string& s, const char* field) {
        std::uint32_t length = 0;
        if (!U32(length, field) || !Need(length, field)) return false;
        s.assign(data_.substr(pos_, length));
        pos_ += length;
        std::wstring ignored;
        if (!Vx::Base::text_detail::DecodeUtf8Strict(s, ignored)) return Fail("invalid UTF-8 in ", field);
        return true;
    }
    bool Presence(bool& present, const char* field) {
        std::uint8_t flag = 0;
        if (!U8(flag, field)) return false;
        if (flag > 1) return Fail("bad presence flag for ", field);
        present = flag == 1;
        return true;
    }
    bool OptStr(std::optional<std::string>& s, const char* field) {
        bool present = false;
        if (!Presence(present, field)) return false;
        if (!present) return true;
        s.emplace();
        return Str(*s, field);
    }
    bool OptMap(std::optional<StringMap>& map, const char* field) {
        bool present = false;
        if (!Presence(present, field)) return false;
        if (!present) return true;
        std::uint32_t count = 0;
        if (!U32(count, field)) return false;
        // Each entry needs at least two length words: a count beyond that is a lie.
        if (count > (data_.size() - pos_) / 8) return Fail("entry count too large in ", field);
        map.emplace();
        map->reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string key, value;
            if (!Str(key, field) || !Str(value, field)) return false;
            map->emplace_back(std::move(key), std::move(value));
        }
        return true;
    }
    bool End() {
        if (pos_ != data_.size()) return Fail("trailing bytes after ", "message");
        return true;
    }
    const std::string& Error() const { return error_; }

private:
    bool Need(std::size_t n, const char* field) {
        if (data_.size() - pos_ < n) return Fail("truncated ", field);
        return true;
    }
    bool Fail(const char* what, const char* field) {
        if (error_.empty()) error_ = std::string(what) + field;
        return false;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
    std::string error_;
};

bool DecodeRequest(Reader& r, Message& out) {
    RequestMessage m;
    if (!r.U64(m.callId, "callId") || !r.Str(m.callerAppId, "callerAppId") || !r.Str(m.operationId, "operationId") ||
        !r.OptStr(m.uri, "uri") || !r.OptStr(m.mimeType, "mimeType") || !r.OptMap(m.extra, "extra") || !r.End())
        return false;
    out = std::move(m);
    return true;
}

bool DecodeAccepted(Reader& r, Message& out) {
    AcceptedMessage m;
    if (!r.U64(m.callId, "callId") || !r.End()) return false;
    out = m;
    return true;
}

bool DecodeResult(Reader& r, Message& out) {
    ResultMessage m;
    if (!r.U64(m.callId, "callId") || !r.U32(m.result, "result") || !r.OptMap(m.extra, "extra") || !r.End())
        return false;
    out = std::move(m);
    return true;
}

bool DecodeActiveAppChanged(Reader& r, Message& out) {
    ActiveAppChangedMessage m;
    if (!r.Str(m.appId, "appId") || !r.End()) return false;
    out = std::move(m);
    return true;
}

}  // namespace

std::string EncodeFrame(const Message& message) {
    Writer w;
    std::visit(
        [&w](const auto& m) {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, RequestMessage>) {
                w.U8(kRequest);
                w.U64(m.callId);
                w.Str(m.callerAppId);
                w.Str(m.operationId);
                w.OptStr(m.uri);
                w.OptStr(m.mimeType);
                w.OptMap(m.extra);
            } else if constexpr (std::is_same_v<T, AcceptedMessage>) {
                w.U8(kAccepted);
                w.U64(m.callId);
            } else if constexpr (std::is_same_v<T, ResultMessage>) {
                w.U8(kResult);
                w.U64(m.callId);
                w.U32(m.result);
                w.OptMap(m.extra);
            } else {
                w.U8(kActiveAppChanged);
                w.Str(m.appId);
            }
        },
        message);
    std::string payload = w.Take();
    Writer header;
    header.U32(static_cast<std::uint32_t>(payload.size()));
    return header.Take() + payload;
}

bool DecodePayload(std::string_view payload, Message& out, std::string& error) {
    Reader r(payload);
    std::uint8_t kind = 0;
    bool ok = false;
    if (r.U8(kind, "kind")) {
        switch (kind) {
        case kRequest:
            ok = DecodeRequest(r, out);
            break;
        case kAccepted:
            ok = DecodeAccepted(r, out);
            break;
        case kResult:
            ok = DecodeResult(r, out);
            break;
        case kActiveAppChanged:
            ok = DecodeActiveAppChanged(r, out);
            break;
        default:
            error = "unknown message kind " + std::to_string(kind);
            return false;
        }
    }
    if (!ok) error = r.Error();
    return ok;
}

namespace {

std::size_t ReadFrameLength(const std::string& buffer, std::size_t at) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < kFrameHeaderBytes; ++i)
        length = (length << 8) | static_cast<std::uint8_t>(buffer[at + i]);
    return length;
}

}  // namespace

void FrameDecoder::Feed(const char* data, std::size_t length) {
    if (consumed_ > 0 && consumed_ == buffer_.size()) {
        buffer_.clear();
        consumed_ = 0;
    }
    buffer_.append(data, length);
    // Room for the whole frame at once: growing by doubling would hold up to
    // twice a large frame, and copy it on every step.
    if (buffer_.size() - consumed_ >= kFrameHeaderBytes) {
        std::size_t frameLength = ReadFrameLength(buffer_, consumed_);
        std::size_t needed = consumed_ + kFrameHeaderBytes + frameLength;
        if (frameLength <= kMaxPayloadBytes && needed > buffer_.capacity()) buffer_.reserve(needed);
    }
}

FrameDecoder::Status FrameDecoder::Next(Message& out, std::string& error) {
    std::size_t available = buffer_.size() - consumed_;
    if (available < kFrameHeaderBytes) return Status::NeedMore;
    std::size_t length = ReadFrameLength(buffer_, consumed_);
    if (length == 0 || length > kMaxPayloadBytes) {
        error = "frame length " + std::to_string(length) + " outside 1.." + std::to_string(kMaxPayloadBytes);
        return Status::Error;
    }
    // Sometimes only part of a frame has arrived: keep it until the rest comes.
    if (available - kFrameHeaderBytes < length) return Status::NeedMore;
    std::string_view payload(buffer_.data() + consumed_ + kFrameHeaderBytes, length);
    consumed_ += kFrameHeaderBytes + length;
    bool ok = DecodePayload(payload, out, error);
    if (consumed_ == buffer_.size()) {
        // A large frame's room is given back rather than kept for the next one.
        std::string().swap(buffer_);
        consumed_ = 0;
    } else if (consumed_ > 64 * 1024) {
        buffer_.erase(0, consumed_);
        consumed_ = 0;
    }
    return ok ? Status::Message : Status::Error;
}

}  // namespace Vx::App::Ipc
