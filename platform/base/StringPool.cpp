#include "platform/base/StringPool.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "platform/base/Utf8.h"

namespace Vx::Base {
namespace {

// Eight bytes at a time: nearly every text of a reply is ASCII.
bool IsAscii(std::string_view utf8) {
    const char* bytes = utf8.data();
    std::size_t size = utf8.size();
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; at < size; ++at) {
        if (static_cast<unsigned char>(bytes[at]) >= 0x80) return false;
    }
    return true;
}

}  // namespace

namespace text_detail {
namespace {

constexpr std::size_t kAlign = alignof(StringBlock);

constexpr std::size_t RoundUp(std::size_t size) { return (size + kAlign - 1) & ~(kAlign - 1); }

constexpr std::size_t kFirstBlock = RoundUp(sizeof(StringChunk));

// A pooled block has no count of its own; its holders field tells the width
// of its characters instead: 1 for ASCII bytes, else that of wchar_t.
constexpr std::size_t BlockSize(std::size_t length, std::size_t width) {
    return RoundUp(sizeof(StringBlock) + (length + 1) * width);
}

}  // namespace

void StringChunk::Release(StringChunk* chunk) {
    // The last holder needs no atomic update: nobody else can reach the chunk.
    if (chunk->holders.load(std::memory_order_acquire) != 1 &&
        chunk->holders.fetch_sub(1, std::memory_order_acq_rel) != 1) {
        return;
    }
    // Only a chunk whose texts were asked for their std::wstring form needs a
    // walk over its blocks; pooled blocks are exactly as long as their text.
    if (chunk->madeWide.load(std::memory_order_acquire)) {
        auto* base = reinterpret_cast<unsigned char*>(chunk);
        for (std::size_t at = kFirstBlock; at < chunk->used;) {
            auto* block = reinterpret_cast<StringBlock*>(base + at);
            delete block->wide.load(std::memory_order_acquire);
            at += BlockSize(static_cast<std::size_t>(block->capacity),
                            static_cast<std::size_t>(block->holders.load(std::memory_order_relaxed)));
        }
    }
    chunk->~StringChunk();
    ::operator delete(chunk, std::align_val_t(StringChunk::kSize));
}

}  // namespace text_detail

StringPool::~StringPool() {
    // Handles first: one that was assigned a counted text gives it back.
    texts_.clear();
    for (Chunk* chunk : chunks_)
        Chunk::Release(chunk);
}

text_detail::StringBlock* StringPool::Carve(std::size_t length, bool narrow) {
    using text_detail::BlockSize;
    using text_detail::kFirstBlock;
    std::size_t width = narrow ? 1 : sizeof(wchar_t);
    std::size_t size = BlockSize(length, width);
    if (size > Chunk::kSize - kFirstBlock) return nullptr;
    if (chunks_.empty() || chunks_.back()->used + size > Chunk::kSize) {
        chunks_.reserve(chunks_.size() + 1);
        void* memory = ::operator new(Chunk::kSize, std::align_val_t(Chunk::kSize));
        Chunk* chunk = new (memory) Chunk;
        chunk->used = kFirstBlock;
        chunks_.push_back(chunk);
    }
    Chunk* chunk = chunks_.back();
    auto* block = new (reinterpret_cast<unsigned char*>(chunk) + chunk->used) text_detail::StringBlock;
    chunk->used += size;
    block->holders.store(static_cast<int>(width), std::memory_order_relaxed);  // the chunk counts instead
    block->length = static_cast<int>(length);
    block->capacity = static_cast<int>(length);
    if (narrow) {
        reinterpret_cast<char*>(block + 1)[length] = '\0';
    } else {
        block->Chars()[length] = L'\0';
    }
    return block;
}

String* StringPool::Add(std::string_view utf8) {
    String& text = texts_.emplace_back();
    if (utf8.empty()) return &text;
    bool ascii = IsAscii(utf8);
    std::wstring decoded;
    if (!ascii) decoded = text_detail::DecodeUtf8Lossy(utf8);
    std::size_t length = ascii ? utf8.size() : decoded.size();
    text_detail::StringBlock* block = Carve(length, ascii);
    if (!block) {
        // Longer than a chunk: a block of its own.
        text = ascii ? String::FromUtf8(utf8) : String(decoded);
        return &text;
    }
    std::uintptr_t bits = reinterpret_cast<std::uintptr_t>(block) | String::kPooled | String::kBorrowed;
    if (ascii) {
        std::memcpy(reinterpret_cast<char*>(block + 1), utf8.data(), length);
        bits |= String::kNarrow;
    } else {
        decoded.copy(block->Chars(), length);
    }
    text.bits_ = bits;
    return &text;
}

}  // namespace Vx::Base
