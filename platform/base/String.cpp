#include "platform/base/String.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <new>
#include <typeinfo>

#include "platform/base/Number.h"
#include "platform/base/Utf8.h"

namespace Vx::Base {
namespace {

constexpr std::size_t kMaxLength = 0x3FFFFFFF;

}  // namespace

String::Block* String::NewBlock(std::size_t capacity) {
    // Lengths are ints; anything longer is as good as out of memory.
    if (capacity > kMaxLength) throw std::bad_alloc();
    void* memory = ::operator new(sizeof(Block) + (capacity + 1) * sizeof(wchar_t));
    Block* block = new (memory) Block;
    block->capacity = static_cast<int>(capacity);
    block->Chars()[0] = L'\0';
    return block;
}

void String::ReleaseBlock(Block* block) {
    // The last holder needs no atomic update: nobody else can reach the block.
    if (block->holders.load(std::memory_order_acquire) != 1 &&
        block->holders.fetch_sub(1, std::memory_order_acq_rel) != 1) {
        return;
    }
    delete block->wide.load(std::memory_order_acquire);
    block->~Block();
    ::operator delete(block);
}

wchar_t* String::Resize(std::size_t length, bool grow) {
    Block* block = Get();
    if (length == 0 && !block) return nullptr;
    std::size_t kept = std::min(length, static_cast<std::size_t>(GetLength()));
    // A pooled block is never this String's own: it is copied out first.
    bool own = block && !(bits_ & kPooled) && block->holders.load(std::memory_order_acquire) == 1;
    if (!own || length > static_cast<std::size_t>(block->capacity)) {
        std::size_t capacity = length;
        if (grow && block)
            capacity = std::max(length, std::min(2 * static_cast<std::size_t>(block->capacity), kMaxLength));
        Block* fresh = NewBlock(capacity);
        if (kept && (bits_ & kNarrow)) {
            std::copy_n(reinterpret_cast<const unsigned char*>(NarrowChars()), kept, fresh->Chars());
        } else if (kept) {
            std::wmemcpy(fresh->Chars(), block->Chars(), kept);
        }
        Release(bits_);
        bits_ = reinterpret_cast<std::uintptr_t>(fresh);
        block = fresh;
    } else {
        // The only holder may change the characters; what was made from the
        // old ones no longer holds.
        block->hash.store(0, std::memory_order_relaxed);
        delete block->wide.exchange(nullptr, std::memory_order_acq_rel);
    }
    block->length = static_cast<int>(length);
    block->Chars()[length] = L'\0';
    return block->Chars();
}

void String::Assign(const wchar_t* text, std::size_t length) {
    if (length == 0) {
        Clear();
        return;
    }
    Block* block = Get();
    bool inside = block && text >= block->Chars() && text <= block->Chars() + block->length;
    // A pooled text may be read from its wide form, which goes with its chunk.
    if (inside || (bits_ & kPooled)) {
        // A piece of this String itself: copy it out before the block changes.
        std::wstring copy(text, length);
        std::wmemcpy(Resize(length, false), copy.data(), length);
        return;
    }
    std::wmemcpy(Resize(length, false), text, length);
}

String::String(const wchar_t* text) { Assign(text ? text : L"", text ? std::wcslen(text) : 0); }

String::String(const wchar_t* text, int length) {
    if (text && length > 0) Assign(text, static_cast<std::size_t>(length));
}

String::String(const char* utf8) : String(FromUtf8(utf8 ? utf8 : "")) {}

String::String(wchar_t ch) { Assign(&ch, 1); }

String& String::operator=(const String& other) {
    std::uintptr_t held = Hold(other.bits_);
    Release(bits_);
    bits_ = held;
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        if (other.bits_ & kBorrowed) return *this = other;  // the pool keeps its own handle
        Release(bits_);
        bits_ = other.bits_;
        other.bits_ = 0;
    }
    return *this;
}

String& String::operator=(const wchar_t* text) {
    Assign(text ? text : L"", text ? std::wcslen(text) : 0);
    return *this;
}

void String::Clear() {
    Release(bits_);
    bits_ = 0;
}

String& String::operator+=(const String& other) {
    Append(other);
    return *this;
}

String& String::operator+=(wchar_t ch) {
    Append(ch);
    return *this;
}

result String::Append(const String& text) {
    if (text.IsEmpty()) return E_SUCCESS;
    if (IsEmpty()) {
        *this = text;
        return E_SUCCESS;
    }
    // Holding the other block keeps it alive when it is this String's own.
    String keep(text);
    std::size_t old = static_cast<std::size_t>(GetLength());
    std::size_t added = static_cast<std::size_t>(keep.GetLength());
    wchar_t* chars = Resize(old + added, true);
    std::wmemcpy(chars + old, keep.GetPointer(), added);
    return E_SUCCESS;
}

result String::Append(const wchar_t* text) {
    if (!text) return E_INVALID_ARG;
    return Append(String(text));
}

result String::Append(wchar_t ch) {
    std::size_t old = static_cast<std::size_t>(GetLength());
    Resize(old + 1, true)[old] = ch;
    return E_SUCCESS;
}

result String::Append(int value) { return Append(static_cast<long long>(value)); }
result String::Append(long value) { return Append(static_cast<long long>(value)); }
result String::Append(unsigned int value) { return Append(static_cast<long long>(value)); }

result String::Append(long long value) { return Append(LongLong::ToString(value)); }

result String::Append(double value) { return Append(Double::ToString(value)); }

result String::Insert(const String& text, int index) {
    if (index < 0 || index > GetLength()) return E_OUT_OF_RANGE;
    std::wstring joined(View());
    joined.insert(static_cast<std::size_t>(index), text.View());
    Assign(joined);
    return E_SUCCESS;
}

result String::Remove(int startIndex, int count) {
    if (startIndex < 0 || count < 0 || startIndex > GetLength() || count > GetLength() - startIndex) {
        return E_OUT_OF_RANGE;
    }
    std::wstring rest(View());
    rest.erase(static_cast<std::size_t>(startIndex), static_cast<std::size_t>(count));
    Assign(rest);
    return E_SUCCESS;
}

result String::GetCharAt(int index, wchar_t& out) const {
    if (index < 0 || index >= GetLength()) return E_OUT_OF_RANGE;
    out = (*this)[index];
    return E_SUCCESS;
}

result String::SetCharAt(wchar_t ch, int index) {
    if (index < 0 || index >= GetLength()) return E_OUT_OF_RANGE;
    Resize(static_cast<std::size_t>(GetLength()), false)[index] = ch;
    return E_SUCCESS;
}

result String::IndexOf(wchar_t ch, int startIndex, int& indexOf) const {
    if (startIndex < 0 || startIndex >= GetLength()) return E_OUT_OF_RANGE;
    std::size_t found = View().find(ch, static_cast<std::size_t>(startIndex));
    if (found == std::wstring_view::npos) return E_OBJ_NOT_FOUND;
    indexOf = static_cast<int>(found);
    return E_SUCCESS;
}

result String::IndexOf(const String& text, int startIndex, int& indexOf) const {
    if (startIndex < 0 || startIndex >= GetLength()) return E_OUT_OF_RANGE;
    std::size_t found = View().find(text.View(), static_cast<std::size_t>(startIndex));
    if (found == std::wstring_view::npos) return E_OBJ_NOT_FOUND;
    indexOf = static_cast<int>(found);
    return E_SUCCESS;
}

result String::LastIndexOf(wchar_t ch, int startIndex, int& indexOf) const {
    if (startIndex < 0 || startIndex >= GetLength()) return E_OUT_OF_RANGE;
    std::size_t found = View().rfind(ch, static_cast<std::size_t>(startIndex));
    if (found == std::wstring_view::npos) return E_OBJ_NOT_FOUND;
    indexOf = static_cast<int>(found);
    return E_SUCCESS;
}

result String::SubString(int startIndex, String& out) const {
    if (startIndex < 0 || startIndex > GetLength()) return E_OUT_OF_RANGE;
    return SubString(startIndex, GetLength() - startIndex, out);
}

result String::SubString(int startIndex, int length, String& out) const {
    if (startIndex < 0 || length < 0 || startIndex > GetLength() || length > GetLength() - startIndex) {
        return E_OUT_OF_RANGE;
    }
    if (length == GetLength()) {
        out = *this;
    } else {
        out = String(GetPointer() + startIndex, length);
    }
    return E_SUCCESS;
}

bool String::StartsWith(const String& prefix, int startIndex) const {
    if (startIndex < 0 || startIndex > GetLength()) return false;
    return View().substr(static_cast<std::size_t>(startIndex)).starts_with(prefix.View());
}

bool String::EndsWith(const String& suffix) const { return View().ends_with(suffix.View()); }

bool String::Contains(const String& text) const { return View().find(text.View()) != std::wstring_view::npos; }

result String::Replace(wchar_t original, wchar_t replacement) {
    std::size_t at = View().find(original);
    if (at == std::wstring_view::npos) return E_SUCCESS;
    wchar_t* chars = Resize(static_cast<std::size_t>(GetLength()), false);
    std::replace(chars + at, chars + GetLength(), original, replacement);
    return E_SUCCESS;
}

result String::Replace(const String& original, const String& replacement) {
    if (original.IsEmpty()) return E_INVALID_ARG;
    std::wstring value(View());
    std::wstring_view from = original.View();
    std::wstring_view to = replacement.View();
    std::size_t pos = 0;
    bool changed = false;
    while ((pos = value.find(from, pos)) != std::wstring::npos) {
        value.replace(pos, from.size(), to);
        pos += to.size();
        changed = true;
    }
    if (changed) Assign(value);
    return E_SUCCESS;
}

void String::Trim() {
    auto isSpace = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    std::wstring_view value = View();
    auto first = std::find_if_not(value.begin(), value.end(), isSpace);
    auto last = std::find_if_not(value.rbegin(), value.rend(), isSpace).base();
    if (first == value.begin() && last == value.end()) return;
    Assign(first < last ? std::wstring(first, last) : std::wstring());
}

result String::ToLowerCase(String& out) const {
    out = ToLower();
    return E_SUCCESS;
}

result String::ToUpperCase(String& out) const {
    std::wstring upper(View());
    for (auto& c : upper)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    out = String(upper);
    return E_SUCCESS;
}

String String::ToLower() const {
    std::wstring lower(View());
    for (auto& c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return String(lower);
}

bool String::operator==(const String& other) const {
    Block* mine = Get();
    Block* theirs = other.Get();
    if (mine == theirs) return true;
    int length = GetLength();
    if (length != other.GetLength()) return false;
    // Both hashes known and different: no need to compare the characters.
    if (mine && theirs) {
        std::uint32_t myHash = mine->hash.load(std::memory_order_relaxed);
        std::uint32_t theirHash = theirs->hash.load(std::memory_order_relaxed);
        if (myHash && theirHash && myHash != theirHash) return false;
    }
    // Narrow texts are compared as they are, without making wide forms.
    std::size_t count = static_cast<std::size_t>(length);
    bool narrow = bits_ & kNarrow;
    bool otherNarrow = other.bits_ & kNarrow;
    if (narrow && otherNarrow) return std::memcmp(NarrowChars(), other.NarrowChars(), count) == 0;
    if (narrow || otherNarrow) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(narrow ? NarrowChars() : other.NarrowChars());
        const wchar_t* wide = narrow ? other.GetPointer() : GetPointer();
        for (std::size_t i = 0; i < count; ++i) {
            if (wide[i] != static_cast<wchar_t>(bytes[i])) return false;
        }
        return true;
    }
    return std::wmemcmp(GetPointer(), other.GetPointer(), count) == 0;
}

bool String::Equals(const Object& other) const {
    // Map look-ups compare keys many times; most are plain Strings, whose
    // type check is far cheaper than a dynamic_cast.
    const String* text =
        typeid(other) == typeid(String) ? static_cast<const String*>(&other) : dynamic_cast<const String*>(&other);
    return text && *text == *this;
}

bool String::Equals(const String& other, bool caseSensitive) const {
    return caseSensitive ? *this == other : ToLower() == other.ToLower();
}

int String::GetHashCode() const {
    // FNV-1a over the code points: stable across runs, unlike std::hash.
    // Kept in the block: map keys are hashed at every look-up.
    Block* block = Get();
    if (block) {
        if (std::uint32_t known = block->hash.load(std::memory_order_relaxed)) return static_cast<int>(known);
    }
    std::uint32_t hash = 2166136261u;
    if (bits_ & kNarrow) {
        const char* bytes = NarrowChars();
        for (int i = 0; i < block->length; ++i) {
            hash ^= static_cast<unsigned char>(bytes[i]);
            hash *= 16777619u;
        }
    } else {
        for (wchar_t c : View()) {
            hash ^= static_cast<std::uint32_t>(c);
            hash *= 16777619u;
        }
    }
    // Every holder computes the same value, so a race to store it is harmless.
    if (block) block->hash.store(hash, std::memory_order_relaxed);
    return static_cast<int>(hash);
}

const std::wstring& String::ToStdWString() const {
    static const std::wstring kEmpty;
    Block* block = Get();
    if (!block) return kEmpty;
    std::wstring* wide = block->wide.load(std::memory_order_acquire);
    if (wide) return *wide;
    std::wstring* made;
    if (bits_ & kNarrow) {
        const char* bytes = NarrowChars();
        made = new std::wstring(bytes, bytes + block->length);
    } else {
        made = new std::wstring(View());
    }
    // A pooled block has no count of its own: its chunk frees what it made.
    if (bits_ & kPooled) Chunk::Of(block)->madeWide.store(true, std::memory_order_relaxed);
    if (block->wide.compare_exchange_strong(wide, made, std::memory_order_acq_rel, std::memory_order_acquire)) {
        return *made;
    }
    // Another thread made it first.
    delete made;
    return *wide;
}

std::string String::ToUtf8() const {
    // A narrow text is ASCII, which is its own UTF-8.
    if (bits_ & kNarrow) return std::string(NarrowChars(), static_cast<std::size_t>(GetLength()));
    return text_detail::EncodeUtf8(View());
}

String String::FromUtf8(std::string_view utf8) {
    String text;
    if (utf8.empty()) return text;
    // Most text is ASCII, which widens straight into a block of its own size.
    Block* block = NewBlock(utf8.size());
    text.bits_ = reinterpret_cast<std::uintptr_t>(block);
    wchar_t* chars = block->Chars();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            text.Assign(text_detail::DecodeUtf8Lossy(utf8));
            return text;
        }
        chars[i] = static_cast<wchar_t>(c);
    }
    block->length = static_cast<int>(utf8.size());
    chars[utf8.size()] = L'\0';
    return text;
}

String operator+(const String& left, const String& right) {
    String joined;
    std::size_t l = static_cast<std::size_t>(left.GetLength());
    std::size_t r = static_cast<std::size_t>(right.GetLength());
    if (l + r == 0) return joined;
    wchar_t* chars = joined.Resize(l + r, false);
    std::wmemcpy(chars, left.GetPointer(), l);
    std::wmemcpy(chars + l, right.GetPointer(), r);
    return joined;
}

}  // namespace Vx::Base
