#pragma once
// A store server reply: the "response" numbers, the optional error block and
// one map per "list" record. Also stands for a locally made error reply, so
// that every outcome of a request reaches the session's handlers in one form.
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lib/protocol/IapCommonHttpTypes.h"
#include "platform/base/ArrayList.h"
#include "platform/base/ByteBuffer.h"
#include "platform/base/HashMap.h"
#include "platform/base/String.h"
#include "platform/base/StringPool.h"

struct _xmlTextReader;

class IapCommonHttpReply {
public:
    IapCommonHttpReply();
    IapCommonHttpReply(const IapCommonHttpReply&) = delete;
    IapCommonHttpReply& operator=(const IapCommonHttpReply&) = delete;
    ~IapCommonHttpReply();

    // Parses the body's bytes from its position to its limit. E_FAILURE for a
    // null body, a document that is not well formed, a missing or non-numeric
    // required attribute, or records that do not match the announced counts.
    // A failed parse leaves the fields read so far. A second Construct of
    // either kind: E_INVALID_STATE.
    Vx::result Construct(const Vx::Base::ByteBuffer* body);
    // A local reply: transport failure, cancellation, unreadable reply.
    Vx::result Construct(int transactionId, IapCommonHttp::FunctionId functionId, int errorCode);
    void UpdateErrorCodeEnum();

    int transactionId = -1;
    int startNum = -1;
    int endNum = -1;
    int totalCount = -1;
    int returnCode = -1;
    int rawErrorCode = -1;
    IapCommonHttp::ErrorCode errorCode = IapCommonHttp::ERROR_UNKNOWN;
    IapCommonHttp::FunctionId functionId = IapCommonHttp::FUNCTION_NONE;
    // One HashMap per "list" element, String field name to String value. The
    // list does not own them; the reply does, and it owns their keys and
    // values too: all of them live until the reply is destroyed.
    Vx::Base::Collection::ArrayList records;
    Vx::Base::String errorString;

private:
    // Each step returns 1 to read on, 0 to stop without error, negative on error.
    int ParseElementByName(_xmlTextReader* reader);
    int ExtractFromVexmoraProtocol(_xmlTextReader* reader);
    int ExtractFromReply(_xmlTextReader* reader);
    int ExtractFromErrorInfo(_xmlTextReader* reader);
    int ExtractFromList(_xmlTextReader* reader);
    Vx::result GetAttributeAsInteger(_xmlTextReader* reader, const char* name, int& value) const;
    bool CountsMatch() const;
    // A key String for a field name; the few names of a page are made once.
    Vx::Base::String* FieldName(std::string_view utf8, int position);

    bool constructed_ = false;
    // Records and their texts are made in blocks rather than one allocation
    // each: a page of items holds tens of thousands of them. The deque and the
    // pool keep the addresses that the maps hold.
    Vx::Base::StringPool texts_;
    std::deque<Vx::Base::Collection::HashMap> maps_;
    std::vector<std::pair<std::string, Vx::Base::String*>> names_;
};
