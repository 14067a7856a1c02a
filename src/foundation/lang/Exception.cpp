#include "foundation/lang/Exception.h"

#include "foundation/text/Utf8.h"

Exception::Exception(std::wstring message)
    : mMessage(std::move(message)), mUtf8(Tessel::Common::Utf16ToUtf8(mMessage)) {}
