#include "platform/system/DeviceProfile.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "platform/base/PlatformHome.h"

namespace Vx::System {
namespace {

constexpr const char* kWhitespace = " \t";

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(kWhitespace);
    if (first == std::string::npos) return std::string();
    std::size_t last = text.find_last_not_of(kWhitespace);
    return text.substr(first, last - first + 1);
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool IsValidName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

// "section.name" into its lower-cased halves; a bare name leaves `name` empty.
bool SplitKey(const Base::String& key, std::string& section, std::string& name, bool allowBareSection) {
    std::string text = key.ToUtf8();
    std::size_t dot = text.find('.');
    if (dot == std::string::npos) {
        if (!allowBareSection || !IsValidName(text)) return false;
        section = AsciiLower(text);
        name.clear();
        return true;
    }
    section = AsciiLower(text.substr(0, dot));
    name = AsciiLower(text.substr(dot + 1));
    return IsValidName(section) && IsValidName(name);
}

result ErrnoToResult(int error) {
    if (error == ENOSPC || error == EDQUOT) return E_STORAGE_FULL;
    if (error == EACCES || error == EPERM || error == EROFS) return E_PERMISSION_DENIED;
    return E_IO;
}

}  // namespace

std::string DeviceProfile::GetDefaultPath() { return Base::GetPlatformPath("device/profile.ini"); }

DeviceProfile::Line DeviceProfile::ParseLine(const std::string& raw, const std::string& currentSection) {
    Line line;
    line.text = raw;
    line.section = currentSection;
    std::string trimmed = Trim(raw);
    if (trimmed.empty()) {
        line.kind = LineKind::Blank;
    } else if (trimmed[0] == '#' || trimmed[0] == ';') {
        line.kind = LineKind::Comment;
    } else if (trimmed.front() == '[' && trimmed.back() == ']') {
        std::string name = Trim(trimmed.substr(1, trimmed.size() - 2));
        // A header we cannot name still ends the previous section: what follows is unreachable.
        line.kind = IsValidName(name) ? LineKind::Section : LineKind::Other;
        line.section = IsValidName(name) ? AsciiLower(name) : std::string();
    } else if (std::size_t eq = trimmed.find('='); eq != std::string::npos && !currentSection.empty()) {
        std::string name = Trim(trimmed.substr(0, eq));
        if (IsValidName(name)) {
            line.kind = LineKind::Entry;
            line.name = AsciiLower(name);
            line.value = Trim(trimmed.substr(eq + 1));
        }
    }
    return line;
}

result DeviceProfile::Load() { return Load(GetDefaultPath()); }

result DeviceProfile::Load(const std::string& path) {
    path_ = path;
    lines_.clear();
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return error ? E_IO : E_OBJ_NOT_FOUND;
    if (!std::filesystem::is_regular_file(path, error)) return E_IO;

    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return ErrnoToResult(errno);
    std::string content;
    char buffer[4096];
    bool tooLarge = false;
    bool readError = false;
    for (;;) {
        std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
        content.append(buffer, count);
        if (content.size() > kMaxFileSize) {
            tooLarge = true;
            break;
        }
        if (count < sizeof buffer) {
            readError = std::ferror(file) != 0;
            break;
        }
    }
    std::fclose(file);
    if (tooLarge) return E_OUT_OF_RANGE;
    if (readError) return E_IO;

    if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.erase(0, 3);
    std::string section;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string raw = content.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        Line line = ParseLine(raw, section);
        if (line.kind == LineKind::Section || line.kind == LineKind::Other) section = line.section;
        lines_.push_back(std::move(line));
        start = end + 1;
    }
    return E_SUCCESS;
}

result DeviceProfile::Save() const { return Save(path_.empty() ? GetDefaultPath() : path_); }

result DeviceProfile::Save(const std::string& path) const {
    std::error_code ignored;
    std::filesystem::path target(path);
    if (target.has_parent_path()) Base::CreatePrivateFolders(target.parent_path().string());
    std::string temporary = path + ".tmp-" + std::to_string(::getpid());

    std::string content;
    for (const Line& line : lines_)
        content += line.text + "\n";

    // Owner-only from the start: it says who the device and its user are.
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        int openError = errno;
        if (fd >= 0) ::close(fd);
        return ErrnoToResult(openError);
    }
    int error = 0;
    if (std::fwrite(content.data(), 1, content.size(), file) != content.size() || std::fflush(file) != 0 ||
        ::fsync(::fileno(file)) != 0) {
        error = errno;
    }
    if (std::fclose(file) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        std::remove(temporary.c_str());
        return ErrnoToResult(error);
    }
    return E_SUCCESS;
}

result DeviceProfile::Erase() const {
    std::error_code error;
    std::filesystem::remove(path_.empty() ? GetDefaultPath() : path_, error);
    return error ? ErrnoToResult(error.value()) : E_SUCCESS;
}

int DeviceProfile::FindEntry(const std::string& section, const std::string& name) const {
    for (int i = static_cast<int>(lines_.size()) - 1; i >= 0; --i) {
        const Line& line = lines_[static_cast<std::size_t>(i)];
        if (line.kind == LineKind::Entry && line.section == section && line.name == name) return i;
    }
    return -1;
}

// After the last non-blank line of the section's last block; -1 when the section is absent.
int DeviceProfile::FindInsertPosition(const std::string& section) const {
    int position = -1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.section == section && line.kind != LineKind::Blank) position = static_cast<int>(i) + 1;
    }
    return position;
}

result DeviceProfile::Set(const Base::String& key, const Base::String& value) {
    std::string section;
    std::string name;
    if (!SplitKey(key, section, name, false)) return E_INVALID_ARG;
    std::string text = Trim(value.ToUtf8());
    if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return E_INVALID_ARG;

    Line entry;
    entry.kind = LineKind::Entry;
    entry.section = section;
    entry.name = name;
    entry.value = text;
    entry.text = name + " = " + text;

    int existing = FindEntry(section, name);
    if (existing >= 0) {
        lines_[static_cast<std::size_t>(existing)] = entry;
        // Earlier duplicates would only confuse a reader of the file.
        for (int i = existing - 1; i >= 0; --i) {
            const Line& line = lines_[static_cast<std::size_t>(i)];
            if (line.kind == LineKind::Entry && line.section == section && line.name == name) {
                lines_.erase(lines_.begin() + i);
            }
        }
        return E_SUCCESS;
    }
    int position = FindInsertPosition(section);
    if (position >= 0) {
        lines_.insert(lines_.begin() + position, entry);
        return E_SUCCESS;
    }
    if (!lines_.empty() && lines_.back().kind != LineKind::Blank) lines_.push_back(ParseLine("", ""));
    Line header;
    header.kind = LineKind::Section;
    header.section = section;
    header.text = "[" + section + "]";
    lines_.push_back(header);
    lines_.push_back(entry);
    return E_SUCCESS;
}

result DeviceProfile::GetValue(const Base::String& key, Base::String& value) const {
    std::string section;
    std::string name;
    if (!SplitKey(key, section, name, false)) return E_INVALID_ARG;
    int index = FindEntry(section, name);
    if (index < 0) return E_OBJ_NOT_FOUND;
    value = Base::String::FromUtf8(lines_[static_cast<std::size_t>(index)].value);
    return E_SUCCESS;
}

bool DeviceProfile::HasSection(const Base::String& section) const {
    std::string wanted = AsciiLower(section.ToUtf8());
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Section && line.section == wanted) return true;
    }
    return false;
}

result DeviceProfile::Remove(const Base::String& keyOrSection) {
    std::string section;
    std::string name;
    if (!SplitKey(keyOrSection, section, name, true)) return E_INVALID_ARG;
    std::size_t before = lines_.size();
    std::erase_if(lines_, [&](const Line& line) {
        if (line.section != section) return false;
        return name.empty() || (line.kind == LineKind::Entry && line.name == name);
    });
    return lines_.size() == before ? E_OBJ_NOT_FOUND : E_SUCCESS;
}

void DeviceProfile::Clear() { lines_.clear(); }

bool DeviceProfile::IsEmpty() const {
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Entry || line.kind == LineKind::Section) return false;
    }
    return true;
}

std::vector<std::pair<Base::String, Base::String>> DeviceProfile::GetEntries() const {
    std::vector<std::pair<Base::String, Base::String>> entries;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind != LineKind::Entry || FindEntry(line.section, line.name) != static_cast<int>(i)) continue;
        entries.emplace_back(Base::String::FromUtf8(line.section + "." + line.name),
                             Base::String::FromUtf8(line.value));
    }
    return entries;
}

}  // namespace Vx::System
