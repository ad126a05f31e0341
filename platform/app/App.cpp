#include "platform/app/App.h"

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppResource.h"
#include "platform/app/AppRuntimePrivate.h"

namespace Vx::App {

using Vx::Base::String;

App::App() = default;
App::~App() = default;

App* App::GetInstance() { return AppRuntime::GetApp(); }

result App::Terminate() { return AppRuntime::RequestTerminate(false); }

AppId App::GetAppId() const { return String::FromUtf8(AppContext::GetCurrent().appId); }

String App::GetAppVersion() const { return String::FromUtf8(AppContext::GetCurrent().version); }

String App::GetAppName() const { return String::FromUtf8(AppContext::GetCurrent().name); }

AppResource* App::GetAppResource() { return AppResource::GetInstance(); }

}  // namespace Vx::App
