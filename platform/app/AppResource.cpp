#include "platform/app/AppResource.h"

#include <fstream>

#include "platform/app/AppContextPrivate.h"

namespace Vx::App {

using Vx::Base::String;

AppResource* AppResource::GetInstance() {
    static AppResource* instance = new AppResource();
    return instance;
}

void AppResource::Load() const {
    if (loaded_) return;
    loaded_ = true;
    std::ifstream in(AppContext::GetCurrent().resourceDir + "/strings.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        // "\n" in a value stands for a line break.
        std::string text;
        for (std::size_t at = eq + 1; at < line.size(); ++at) {
            const bool lineBreak = line[at] == '\\' && at + 1 < line.size() && line[at + 1] == 'n';
            text += lineBreak ? '\n' : line[at];
            if (lineBreak) ++at;
        }
        strings_.emplace(String::FromUtf8(line.substr(0, eq)).ToStdWString(), String::FromUtf8(text));
    }
}

result AppResource::GetString(const String& resourceId, String& out) const {
    Load();
    auto it = strings_.find(resourceId.ToStdWString());
    if (it == strings_.end()) return E_OBJ_NOT_FOUND;
    out = it->second;
    return E_SUCCESS;
}

String AppResource::GetResourcePath() const { return String::FromUtf8(AppContext::GetCurrent().resourceDir + "/"); }

void AppResource::Reload() {
    loaded_ = false;
    strings_.clear();
}

}  // namespace Vx::App
