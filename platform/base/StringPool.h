#pragma once
// Strings made by the thousand and dropped together (the texts of one reply)
// are carved from a few large chunks instead of one heap block each, and
// dropping the pool visits none of them. The pool keeps every String it made
// until it goes; a copy of one holds its chunk, so a text kept from a reply
// keeps the chunk it was carved from alive, and no more than that. ASCII
// text, nearly all of a reply, is kept one byte per character.
#include <cstddef>
#include <deque>
#include <string_view>
#include <vector>

#include "platform/base/String.h"

namespace Vx::Base {

class StringPool {
public:
    StringPool() = default;
    StringPool(const StringPool&) = delete;
    StringPool& operator=(const StringPool&) = delete;
    ~StringPool();

    // A String of the UTF-8 text (invalid bytes become U+FFFD), valid as long
    // as the pool. It may be changed or assigned like any other.
    String* Add(std::string_view utf8);
    int GetCount() const { return static_cast<int>(texts_.size()); }

private:
    using Chunk = text_detail::StringChunk;

    // A block for length characters (one byte each when narrow) in the chunk
    // being filled, the characters left to the caller; null for a text too
    // long for any chunk.
    text_detail::StringBlock* Carve(std::size_t length, bool narrow);

    std::deque<String> texts_;
    std::vector<Chunk*> chunks_;  // the pool holds one count on each
};

}  // namespace Vx::Base
