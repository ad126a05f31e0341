// The picture lookup of AppResource. It decodes with Qt's image support, so
// it is built into the windowed platform library, next to Bitmap.
#include <QDir>
#include <QFileInfo>
#include <memory>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppLog.h"
#include "platform/app/AppResource.h"
#include "platform/ui/Bitmap.h"

namespace Vx::App {

namespace {

// A relative path of plain names below the folder: nothing that climbs out or means something else elsewhere.
bool IsSafeResourceName(const std::wstring& name) {
    if (name.empty() || name.front() == L'/') return false;
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7f || c == L'\\' || c == L':') return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find(L'/', start);
        if (end == std::wstring::npos) end = name.size();
        std::wstring part = name.substr(start, end - start);
        if (part.empty() || part == L"." || part == L"..") return false;
        start = end + 1;
    }
    return true;
}

// The name as it may appear in a log line: one line, bounded.
std::string Printable(const std::wstring& name) {
    std::wstring shown = name.substr(0, 200);
    for (wchar_t& c : shown) {
        if (c < 0x20 || c == 0x7f) c = L'?';
    }
    return Vx::Base::String(shown).ToUtf8();
}

}  // namespace

Vx::Graphics::Bitmap* AppResource::GetBitmapN(const Vx::Base::String& name) const {
    if (!IsSafeResourceName(name.ToStdWString())) {
        LogAppWarning("refused the resource picture name \"" + Printable(name.ToStdWString()) + "\"");
        return nullptr;
    }
    QString folder = QString::fromStdString(AppContext::GetCurrent().resourceDir);
    if (folder.isEmpty()) return nullptr;
    QString root = QFileInfo(folder).canonicalFilePath();
    QString path = QFileInfo(QDir(folder).filePath(QString::fromStdWString(name.ToStdWString()))).canonicalFilePath();
    // A link inside the folder must not lead out of it.
    if (root.isEmpty() || path.isEmpty() || !path.startsWith(root + QLatin1Char('/'))) return nullptr;
    auto bitmap = std::make_unique<Vx::Graphics::Bitmap>();
    if (bitmap->Construct(Vx::Base::String(path.toStdWString())) != E_SUCCESS) return nullptr;
    return bitmap.release();
}

}  // namespace Vx::App
