#pragma once
// A light web view: shows an HTML page fetched over http or https through the
// platform's HTTP stack. No scripts run, no local files are read, nothing
// embedded (pictures, style sheets) is fetched, and a page larger than
// MAX_PAGE_BYTES is refused. Links to http(s) pages open in the view.
#include <memory>

#include "platform/ui/Control.h"

namespace Vx::Ui::Controls {

enum WebLoadingState {
    WEB_LOADING_NONE = 0,
    WEB_LOADING_IN_PROGRESS = 1,
    WEB_LOADING_COMPLETED = 2,
    WEB_LOADING_FAILED = 3,
};

class WebPrivate;

class Web : public Control {
public:
    static constexpr int MAX_PAGE_BYTES = 1024 * 1024;
    static constexpr int TIMEOUT_SECONDS = 30;

    Web();
    ~Web() override;

    // E_INVALID_ARG for a negative size; E_INVALID_STATE when called twice.
    result Construct(const Graphics::Rectangle& rect);

    // Starts fetching the page. E_INVALID_ARG for a URL that is not http or
    // https (file:, data:, javascript:, ...); E_INVALID_STATE before Construct.
    // A page that fails shows a short message instead.
    result LoadUrl(const Base::String& url);
    result StopLoading();
    Base::String GetUrl() const;
    WebLoadingState GetLoadingState() const;
    // The page's text as shown (no markup).
    Base::String GetText() const override;
    // Shows HTML given by the program (scripts and local files are refused the same way).
    result LoadHtml(const Base::String& html);

    const char* GetTypeName() const override { return "Web"; }

private:
    std::unique_ptr<WebPrivate> w_;
};

}  // namespace Vx::Ui::Controls
