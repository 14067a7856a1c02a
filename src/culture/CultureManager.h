#pragma once

#include "culture/ICultureManager.h"

#include <map>
#include <string>
#include <vector>

// The user's language and country, as two-letter codes.
struct CultureLocale {
    std::wstring language;
    std::wstring country;
};

// Holds the merged key-to-text table of the user's culture. Filled once at start (see
// LoadCultureTexts); keys compare exactly, letter case included.
class CultureManager : public ICultureManager {
public:
    explicit CultureManager(CultureLocale locale);

    void GetResourceNames(const std::wstring& baseName, std::vector<std::wstring>& names) override;
    std::wstring GetLanguage() override;
    std::wstring GetCountry() override;
    std::wstring GetCulture() override;
    // A key without a text is recorded with an empty one.
    std::wstring GetText(const std::wstring& key) override;
    std::wstring GetText(const wchar_t* key) override;

    // Stores the text under the key, replacing any text stored before.
    void SetText(const std::wstring& key, const std::wstring& text);

    // Sets the text of every "key=text" line: the key is everything before the first "=", the
    // text everything after it, both verbatim. Lines without "=" carry no text and are skipped.
    void SetTexts(const std::vector<std::wstring>& lines);

private:
    std::wstring mLanguage;
    std::wstring mCountry;
    std::map<std::wstring, std::wstring> mTexts;
};
