#pragma once
// One request document for the store server: the device identity on the root,
// one "request" element naming the function, one "param" per parameter. The
// object is itself the byte buffer that is posted, so it must outlive the send.
#include "lib/protocol/IapCommonHttpTypes.h"
#include "platform/base/ByteBuffer.h"
#include "platform/base/String.h"

struct _xmlBuffer;
struct _xmlTextWriter;

class IapCommonHttpRequest : public Vx::Base::ByteBuffer {
public:
    IapCommonHttpRequest();
    ~IapCommonHttpRequest() override;

    // E_INVALID_STATE on a second call; otherwise the result of GenerateXml.
    Vx::result Construct(int transactionId, IapCommonHttp::FunctionId functionId, const IapCommonHttp::Params& params);
    // E_SUCCESS, or E_FAILURE when any writer step fails (an unknown function
    // id among them) or a document was already generated here.
    Vx::result GenerateXml(const IapCommonHttp::Params& params);
    // Position 0, limit = document length, a zero byte after the last one.
    const Vx::Base::ByteBuffer& GetXmlBuffer() const { return *this; }

    int GetTransactionId() const { return transactionId_; }
    IapCommonHttp::FunctionId GetFunctionId() const { return functionId_; }

private:
    _xmlBuffer* xmlBuffer_ = nullptr;
    int transactionId_ = -1;
    IapCommonHttp::FunctionId functionId_ = IapCommonHttp::FUNCTION_NONE;
    bool constructed_ = false;
};

// Each attribute value and parameter text goes through a buffer this large, so
// at most kXmlValueCapacity - 1 bytes of any one value are sent.
constexpr int kXmlValueCapacity = 2048;

// UTF-8 of text into destination (capacity bytes including the final zero).
// Longer text is cut back to the last whole character that fits, and code
// points that XML 1.0 forbids are left out, so the document stays well formed.
// Returns the number of bytes written, negative on failure.
int StringToXmlChar(unsigned char* destination, int capacity, const Vx::Base::String& text);

int startCommonSections(_xmlTextWriter* writer);
int WriteKeyValue(_xmlTextWriter* writer, const IapCommonHttp::Params::Entry& entry);
int endCommonSection(_xmlTextWriter* writer);
