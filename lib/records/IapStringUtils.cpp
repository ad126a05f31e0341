#include "lib/records/IapStringUtils.h"

namespace IapStringUtils {

void Split(const Vx::Base::String& text, wchar_t delimiter, Vx::Base::Collection::ArrayListT<Vx::Base::String>& out) {
    out.RemoveAll();
    if (text.IsEmpty()) return;
    int start = 0;
    int found = 0;
    for (;;) {
        Vx::result r = text.IndexOf(delimiter, start, found);
        if (r == Vx::E_OUT_OF_RANGE) return;
        int end = r == Vx::E_SUCCESS ? found : text.GetLength();
        Vx::Base::String piece;
        text.SubString(start, end - start, piece);
        if (out.Add(piece) != Vx::E_SUCCESS) return;
        start = end + 1;
    }
}

}  // namespace IapStringUtils
