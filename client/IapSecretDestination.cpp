#include "client/IapSecretDestination.h"

#include <cwctype>
#include <memory>
#include <string>

using Vx::Base::String;

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    return text;
}

bool IsLoopbackIpv4(const std::wstring& host) {
    int parts = 0;
    std::size_t at = 0;
    int first = -1;
    while (at <= host.size()) {
        std::size_t end = host.find(L'.', at);
        if (end == std::wstring::npos) end = host.size();
        const std::wstring part = host.substr(at, end - at);
        if (part.empty() || part.size() > 3) return false;
        for (wchar_t ch : part) {
            if (ch < L'0' || ch > L'9') return false;
        }
        const int value = std::stoi(part);
        if (value > 255) return false;
        if (parts == 0) first = value;
        ++parts;
        at = end + 1;
    }
    return parts == 4 && first == 127;
}

// The host of `rest`, the text after "scheme://"; empty when there is none.
std::wstring HostOf(const std::wstring& rest) {
    std::wstring authority = rest.substr(0, rest.find_first_of(L"/?#"));
    const std::size_t user = authority.rfind(L'@');
    if (user != std::wstring::npos) authority = authority.substr(user + 1);
    if (!authority.empty() && authority[0] == L'[') {
        const std::size_t close = authority.find(L']');
        return close == std::wstring::npos ? std::wstring() : authority.substr(0, close + 1);
    }
    return authority.substr(0, authority.find(L':'));
}

}  // namespace

bool IapSecretDestination::CarriesSecret(const IapCommonHttp::Params& params) {
    std::unique_ptr<Vx::Base::Collection::IEnumeratorT<IapCommonHttp::Params::Entry>> entries(params.GetEnumeratorN());
    if (!entries) return true;  // cannot tell: treat as secret
    while (entries->MoveNext() == Vx::E_SUCCESS) {
        IapCommonHttp::Params::Entry entry;
        if (entries->GetCurrent(entry) != Vx::E_SUCCESS) continue;
        if (entry.value.IsEmpty()) continue;
        for (const wchar_t* name : kSecretParams) {
            if (entry.name == String(name)) return true;
        }
    }
    return false;
}

bool IapSecretDestination::MayReceiveSecrets(const String& url) {
    const std::wstring text = Lower(url.GetPointer());
    const std::wstring https = L"https://";
    const std::wstring http = L"http://";
    if (text.compare(0, https.size(), https) == 0) return !HostOf(text.substr(https.size())).empty();
    if (text.compare(0, http.size(), http) != 0) return false;
    const std::wstring host = HostOf(text.substr(http.size()));
    return host == L"localhost" || host == L"[::1]" || IsLoopbackIpv4(host);
}
