#pragma once
#include "platform/base/ArrayListT.h"
#include "platform/base/String.h"

namespace IapStringUtils {

// Clears out, then fills it with the pieces of text between delimiters.
// "a,,b" gives "a", "", "b"; an empty text gives nothing; a trailing
// delimiter adds no empty last piece.
void Split(const Vx::Base::String& text, wchar_t delimiter, Vx::Base::Collection::ArrayListT<Vx::Base::String>& out);

}  // namespace IapStringUtils
