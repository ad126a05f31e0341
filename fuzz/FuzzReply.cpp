// Feeds arbitrary bytes to the reply reader. Every input must end in success
// or E_FAILURE, without a crash, a leak or a read outside the body.
// New inputs go to the first folder, so keep the seeds read-only:
//   build-fuzz/bin/fuzz_reply -max_total_time=180 /tmp/reply-corpus fuzz/corpus/reply
#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "lib/protocol/IapCommonHttpReply.h"

namespace {

void Silent(void*, const char*, ...) {}

// Walks every record so that a dangling or half-built entry would show.
std::size_t TouchRecords(const IapCommonHttpReply& reply) {
    std::size_t length = reply.errorString.GetLength();
    for (int i = 0; i < reply.records.GetCount(); ++i) {
        const auto* record = static_cast<const Vx::Base::Collection::HashMap*>(reply.records.GetAt(i));
        std::unique_ptr<Vx::Base::Collection::IMapEnumerator> entries(record->GetMapEnumeratorN());
        while (entries && entries->MoveNext() == Vx::E_SUCCESS) {
            length += static_cast<const Vx::Base::String*>(entries->GetKey())->GetLength();
            const auto* value = static_cast<const Vx::Base::String*>(entries->GetValue());
            length += static_cast<std::size_t>(value->GetLength()) + static_cast<unsigned>(value->GetHashCode());
        }
    }
    return length;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xmlSetGenericErrorFunc(nullptr, Silent);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    int length = static_cast<int>(size);
    Vx::Base::ByteBuffer body;
    if (body.Construct(const_cast<Vx::Base::byte*>(data), 0, length, length) != Vx::E_SUCCESS) return 0;
    Vx::Base::String kept;
    {
        IapCommonHttpReply reply;
        Vx::result r = reply.Construct(&body);
        if (r != Vx::E_SUCCESS && r != Vx::E_FAILURE) __builtin_trap();
        volatile std::size_t touched = TouchRecords(reply);
        (void)touched;
        // A text kept from a record must stay readable after the reply goes.
        if (reply.records.GetCount() > 0) {
            const auto* record = static_cast<const Vx::Base::Collection::HashMap*>(reply.records.GetAt(0));
            std::unique_ptr<Vx::Base::Collection::IMapEnumerator> entries(record->GetMapEnumeratorN());
            if (entries && entries->MoveNext() == Vx::E_SUCCESS) {
                kept = *static_cast<const Vx::Base::String*>(entries->GetValue());
            }
        }
    }
    volatile std::size_t keptLength = kept.ToUtf8().size() + kept.ToStdWString().size();
    (void)keptLength;
    return 0;
}
