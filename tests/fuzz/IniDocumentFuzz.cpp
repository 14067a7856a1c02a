// Fuzz target for the INI reader and writer. Checked on every input:
// - parsing never fails and the written text parses to the same text again;
// - every value reads the same from the re-parsed text;
// - every value written anew reads back exactly as it was written.

#include "support/FuzzChecks.h"

#include "foundation/ini/IniDocument.h"
#include "foundation/text/TextEncoding.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using Tessel::Common::DecodeText;
using Tessel::Common::IniDocument;

using TestSupport::Check;
using TestSupport::Latin1;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IniDocument document = IniDocument::Parse(DecodeText(bytes, Latin1));
    const std::wstring text = document.ToText();
    const IniDocument reparsed = IniDocument::Parse(text);
    Check(reparsed.ToText() == text);

    IniDocument rewritten;
    int number = 0;
    for (const auto& section : document.SectionNames()) {
        Check(reparsed.SectionExists(section));
        for (const auto& key : document.KeyNames(section)) {
            const std::wstring value = document.ReadString(section, key, L"\x1");
            Check(reparsed.ReadString(section, key, L"\x2") == value);
            Check(reparsed.ReadInteger(section, key, -1) == document.ReadInteger(section, key, -1));
            rewritten.WriteString(L"Values", L"k" + std::to_wstring(++number), value);
        }
    }
    const IniDocument reread = IniDocument::Parse(rewritten.ToText());
    number = 0;
    for (const auto& section : document.SectionNames()) {
        for (const auto& key : document.KeyNames(section)) {
            Check(reread.ReadString(L"Values", L"k" + std::to_wstring(++number), L"\x3") ==
                  document.ReadString(section, key, L"\x1"));
        }
    }
    return 0;
}
