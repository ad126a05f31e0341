#pragma once
// The platform string: wide characters (one wchar_t per code point on Linux).
// Text is converted to UTF-8 only at boundaries (XML, HTTP, files, IPC).
//
// A String is a handle to one shared, reference-counted block holding its
// characters: copies share the block and a change copies it first when it is
// shared. Records copy texts by the thousand (a reply page becomes item
// records), and sharing spares a heap block and a pass over the characters
// per copy.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/base/Object.h"
#include "platform/base/Result.h"

namespace Vx::Base {

namespace text_detail {

// The shared block: a header followed by capacity + 1 characters (the last
// one a terminating zero). Only a block with one holder is ever changed.
struct StringBlock {
    std::atomic<int> holders{1};
    int length = 0;
    int capacity = 0;
    // The hash and the std::wstring form are made on first use; any holder
    // may ask for them, from any thread. A hash of 0 means "not yet" (a text
    // whose hash really is 0 is simply hashed each time).
    std::atomic<std::uint32_t> hash{0};
    std::atomic<std::wstring*> wide{nullptr};

    wchar_t* Chars() { return reinterpret_cast<wchar_t*>(this + 1); }
    const wchar_t* Chars() const { return reinterpret_cast<const wchar_t*>(this + 1); }
};
// Small on purpose: a page of records holds thousands of blocks.
static_assert(sizeof(StringBlock) == 24 && sizeof(StringBlock) % alignof(wchar_t) == 0);

// A run of memory that a StringPool carves blocks from. Its blocks are never
// changed and have no count of their own: the chunk counts the holders of all
// of them, and goes when the last one does. A chunk sits at an address that
// is a multiple of its size, so that a block finds its chunk without reading
// any memory.
struct StringChunk {
    static constexpr std::size_t kSize = 32 * 1024;
    std::atomic<long> holders{1};
    // Some block made its std::wstring form, which the chunk frees at its end.
    std::atomic<bool> madeWide{false};
    std::size_t used = 0;  // bytes carved so far, this header included

    static StringChunk* Of(const void* block) {
        return reinterpret_cast<StringChunk*>(reinterpret_cast<std::uintptr_t>(block) & ~(kSize - 1));
    }
    void Hold() { holders.fetch_add(1, std::memory_order_relaxed); }
    static void Release(StringChunk* chunk);
};

}  // namespace text_detail

class String : public Object {
public:
    String() = default;
    String(const wchar_t* text);  // NOLINT: literals convert implicitly
    String(const char* utf8);     // NOLINT: UTF-8; invalid bytes become U+FFFD
    String(wchar_t ch);           // NOLINT
    String(const String& other) : Object(other), bits_(Hold(other.bits_)) {}
    String(String&& other) noexcept : Object(other), bits_(other.bits_) {
        // A pool's own handle stays with the pool; the new one is counted.
        if (bits_ & kBorrowed) {
            bits_ = Hold(bits_);
        } else {
            other.bits_ = 0;
        }
    }
    explicit String(const std::wstring& text) { Assign(text.data(), text.size()); }
    String(const wchar_t* text, int length);  // length characters from text (a null text: empty)
    ~String() override { Release(bits_); }

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const wchar_t* text);
    String& operator+=(const String& other);
    String& operator+=(wchar_t ch);

    int GetLength() const { return bits_ ? Get()->length : 0; }
    bool IsEmpty() const { return GetLength() == 0; }
    // A narrow text (see below) makes its wide form on first call here.
    const wchar_t* GetPointer() const {
        if (!bits_) return L"";
        return bits_ & kNarrow ? ToStdWString().c_str() : Get()->Chars();
    }
    void Clear();

    result Append(const String& text);
    result Append(const wchar_t* text);
    result Append(wchar_t ch);
    result Append(int value);
    result Append(long value);
    result Append(long long value);
    result Append(unsigned int value);
    result Append(double value);  // the same text as Double::ToString

    result Insert(const String& text, int index);
    result Remove(int startIndex, int count);
    result GetCharAt(int index, wchar_t& out) const;
    result SetCharAt(wchar_t ch, int index);

    // E_OUT_OF_RANGE when startIndex is outside [0, length); E_OBJ_NOT_FOUND when absent.
    result IndexOf(wchar_t ch, int startIndex, int& indexOf) const;
    result IndexOf(const String& text, int startIndex, int& indexOf) const;
    result LastIndexOf(wchar_t ch, int startIndex, int& indexOf) const;
    // E_OUT_OF_RANGE unless 0 <= startIndex <= length and the piece lies inside.
    result SubString(int startIndex, String& out) const;
    result SubString(int startIndex, int length, String& out) const;

    bool StartsWith(const String& prefix, int startIndex = 0) const;
    bool EndsWith(const String& suffix) const;
    bool Contains(const String& text) const;
    result Replace(wchar_t original, wchar_t replacement);
    result Replace(const String& original, const String& replacement);
    void Trim();
    result ToLowerCase(String& out) const;
    result ToUpperCase(String& out) const;
    String ToLower() const;

    bool Equals(const Object& other) const override;
    bool Equals(const String& other, bool caseSensitive) const;
    int GetHashCode() const override;
    int CompareTo(const String& other) const { return View().compare(other.View()); }

    bool operator==(const String& other) const;
    bool operator!=(const String& other) const { return !(*this == other); }
    bool operator<(const String& other) const { return View() < other.View(); }
    wchar_t operator[](int index) const {
        return bits_ & kNarrow ? static_cast<unsigned char>(NarrowChars()[index]) : GetPointer()[index];
    }

    // Bridges for the platform's own code and for tests. The std::wstring is
    // made on first use and stays valid until this String changes or goes.
    const std::wstring& ToStdWString() const;
    std::wstring_view View() const { return {GetPointer(), static_cast<std::size_t>(GetLength())}; }
    std::string ToUtf8() const;
    static String FromUtf8(std::string_view utf8);

private:
    using Block = text_detail::StringBlock;
    using Chunk = text_detail::StringChunk;
    friend String operator+(const String& left, const String& right);
    friend class StringPool;

    // bits_ is the block's address with marks in its low bits: a block
    // carved from a pool chunk (counted per chunk, never changed in place);
    // the pool's own handle to it, which counts nothing and lives no longer
    // than the pool; and a pooled block holding ASCII text one byte per
    // character, a quarter of the memory (its wide form is made only when
    // asked for).
    static constexpr std::uintptr_t kPooled = 1;
    static constexpr std::uintptr_t kBorrowed = 2;
    static constexpr std::uintptr_t kNarrow = 4;
    static constexpr std::uintptr_t kMarks = kPooled | kBorrowed | kNarrow;
    static_assert(alignof(Block) > kMarks);

    static Block* BlockOf(std::uintptr_t bits) { return reinterpret_cast<Block*>(bits & ~kMarks); }
    Block* Get() const { return BlockOf(bits_); }
    const char* NarrowChars() const { return reinterpret_cast<const char*>(Get() + 1); }
    // One more holder of what bits names; returns the counted handle.
    static std::uintptr_t Hold(std::uintptr_t bits) {
        if (bits & kPooled) {
            Chunk::Of(BlockOf(bits))->Hold();
            return bits & ~kBorrowed;
        }
        if (bits) BlockOf(bits)->holders.fetch_add(1, std::memory_order_relaxed);
        return bits;
    }
    static void Release(std::uintptr_t bits) {
        if (!bits || (bits & kBorrowed)) return;
        if (bits & kPooled) {
            Chunk::Release(Chunk::Of(BlockOf(bits)));
        } else {
            ReleaseBlock(BlockOf(bits));
        }
    }
    static Block* NewBlock(std::size_t capacity);
    static void ReleaseBlock(Block* block);
    void Assign(const wchar_t* text, std::size_t length);
    void Assign(std::wstring_view text) { Assign(text.data(), text.size()); }
    // Makes the block this String's own with room for length characters,
    // keeping the characters that fit, and sets the length. Growth is
    // geometric when asked, so that repeated appends stay linear.
    wchar_t* Resize(std::size_t length, bool grow);

    std::uintptr_t bits_ = 0;
};

String operator+(const String& left, const String& right);

}  // namespace Vx::Base
