#pragma once
// The simulated device's hardware: an INI file, <platform home>/device/profile.ini,
// that SimInfo, SystemInfo and WifiManager read again on every query.
// Format and keys: docs/device-profile.md.
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::System {

class DeviceProfile {
public:
    // A profile larger than this is refused rather than read.
    static constexpr std::size_t kMaxFileSize = 1024 * 1024;

    static std::string GetDefaultPath();

    // Replaces the content with the file's. E_OBJ_NOT_FOUND: no file (the profile
    // is then empty); E_IO: unreadable; E_OUT_OF_RANGE: larger than kMaxFileSize.
    // Lines that are not sections, entries or comments are kept as they are.
    result Load();
    result Load(const std::string& path);
    // Writes a temporary file beside the target and renames it, so a full disk
    // leaves the previous profile intact. Saves to the path last loaded, or the default.
    result Save() const;
    result Save(const std::string& path) const;
    // Deletes the profile file; E_SUCCESS when there was none.
    result Erase() const;

    // Keys are "section.name" (letters, digits, '_' and '-'; ASCII case ignored).
    // E_INVALID_ARG for a malformed key, or a value holding a line break or NUL.
    result Set(const Base::String& key, const Base::String& value);
    // The last entry of that key wins. E_OBJ_NOT_FOUND when absent; E_INVALID_ARG for a malformed key.
    result GetValue(const Base::String& key, Base::String& value) const;
    bool HasSection(const Base::String& section) const;
    // A "section.name" removes one entry, a bare "section" the whole section.
    result Remove(const Base::String& keyOrSection);
    void Clear();
    bool IsEmpty() const;

    // Every reachable entry as ("section.name", value), in file order.
    std::vector<std::pair<Base::String, Base::String>> GetEntries() const;
    const std::string& GetPath() const { return path_; }

private:
    enum class LineKind { Blank, Comment, Section, Entry, Other };
    struct Line {
        LineKind kind = LineKind::Other;
        std::string section;  // the section a line belongs to (its own name for a header)
        std::string name;     // entries only
        std::string value;    // entries only
        std::string text;     // the line as written
    };

    static Line ParseLine(const std::string& raw, const std::string& currentSection);
    int FindEntry(const std::string& section, const std::string& name) const;
    int FindInsertPosition(const std::string& section) const;

    std::vector<Line> lines_;
    std::string path_;
};

}  // namespace Vx::System
