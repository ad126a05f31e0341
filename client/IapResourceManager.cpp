#include "client/IapResourceManager.h"

#include "platform/app/App.h"
#include "platform/app/AppResource.h"
#include "platform/ui/Bitmap.h"

using namespace Vx;
using Vx::Base::String;

String IapResourceManager::GetStringFromID(const String& resourceId) {
    String text;
    App::AppResource* resources = App::AppResource::GetInstance();
    if (!resources || resources->GetString(resourceId, text) != E_SUCCESS) text = resourceId;
    return text.IsEmpty() ? String(L" ") : text;
}

String IapResourceManager::FormatStringFromID(const String& resourceId,
                                              std::initializer_list<IapTextFormatter::Argument> arguments,
                                              int maxLength) {
    String text;
    IapTextFormatter::Format(GetStringFromID(resourceId), arguments, maxLength, text);
    return text;
}

Vx::Graphics::Bitmap* IapResourceManager::GetBitmapN(const String& name) {
    if (!App::App::GetInstance()) return nullptr;
    App::AppResource* resources = App::App::GetAppResource();
    return resources ? resources->GetBitmapN(name) : nullptr;
}
