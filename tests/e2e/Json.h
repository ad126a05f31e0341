#pragma once
// A small JSON reader for what the tools print (appctl --json, the sandbox's
// admin calls). Scalars keep their text; strings are decoded to UTF-8.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace E2e::Json {

struct Value {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    std::string text;  // strings decoded; numbers and booleans as written
    double number = 0;
    std::vector<Value> array;
    std::map<std::string, Value> object;

    bool IsObject() const { return kind == Object; }
    bool IsArray() const { return kind == Array; }
    bool IsNumber() const { return kind == Number; }
    const Value* Find(const std::string& key) const {
        auto it = object.find(key);
        return it == object.end() ? nullptr : &it->second;
    }
};

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    bool ReadDocument(Value& out) {
        if (!ReadValue(out, 0)) return false;
        SkipSpace();
        return pos_ == s_.size();
    }

private:
    static constexpr int kMaxDepth = 32;

    void SkipSpace() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t'))
            ++pos_;
    }
    bool Literal(const char* word) {
        std::string w(word);
        if (s_.compare(pos_, w.size(), w) != 0) return false;
        pos_ += w.size();
        return true;
    }
    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool ReadString(std::string& out) {
        if (pos_ >= s_.size() || s_[pos_] != '"') return false;
        ++pos_;
        while (pos_ < s_.size()) {
            char c = s_[pos_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) return false;
            char e = s_[pos_++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                if (pos_ + 4 > s_.size()) return false;
                char* end = nullptr;
                std::string hex = s_.substr(pos_, 4);
                unsigned code = static_cast<unsigned>(std::strtoul(hex.c_str(), &end, 16));
                if (end != hex.c_str() + 4) return false;
                pos_ += 4;
                AppendUtf8(out, code);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }
    bool ReadValue(Value& out, int depth) {
        if (depth > kMaxDepth) return false;
        SkipSpace();
        if (pos_ >= s_.size()) return false;
        char c = s_[pos_];
        if (c == '{') return ReadObject(out, depth);
        if (c == '[') return ReadArray(out, depth);
        if (c == '"') {
            out.kind = Value::String;
            return ReadString(out.text);
        }
        if (Literal("null")) {
            out.kind = Value::Null;
            return true;
        }
        for (const char* word : {"true", "false"}) {
            if (Literal(word)) {
                out.kind = Value::Bool;
                out.text = word;
                return true;
            }
        }
        std::size_t start = pos_;
        while (pos_ < s_.size() && std::string("+-0123456789.eE").find(s_[pos_]) != std::string::npos)
            ++pos_;
        if (pos_ == start) return false;
        out.kind = Value::Number;
        out.text = s_.substr(start, pos_ - start);
        char* end = nullptr;
        out.number = std::strtod(out.text.c_str(), &end);
        return end == out.text.c_str() + out.text.size();
    }
    bool ReadArray(Value& out, int depth) {
        out.kind = Value::Array;
        ++pos_;
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == ']') {
            ++pos_;
            return true;
        }
        while (true) {
            Value element;
            if (!ReadValue(element, depth + 1)) return false;
            out.array.push_back(std::move(element));
            SkipSpace();
            if (pos_ >= s_.size()) return false;
            if (s_[pos_++] == ']') return true;
            if (s_[pos_ - 1] != ',') return false;
        }
    }
    bool ReadObject(Value& out, int depth) {
        out.kind = Value::Object;
        ++pos_;
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == '}') {
            ++pos_;
            return true;
        }
        while (true) {
            SkipSpace();
            std::string key;
            if (!ReadString(key)) return false;
            SkipSpace();
            if (pos_ >= s_.size() || s_[pos_++] != ':') return false;
            Value member;
            if (!ReadValue(member, depth + 1)) return false;
            out.object[key] = std::move(member);
            SkipSpace();
            if (pos_ >= s_.size()) return false;
            if (s_[pos_++] == '}') return true;
            if (s_[pos_ - 1] != ',') return false;
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

inline bool Parse(const std::string& text, Value& out) { return Reader(text).ReadDocument(out); }

}  // namespace E2e::Json
