#pragma once

#include <string>
#include <vector>

// The texts the user reads, looked up by key in the user's language.
class ICultureManager {
public:
    virtual ~ICultureManager() = default;

    // Appends the resource names to try, from the most general to the most specific: the base
    // name, then base name + "_" + language, then base name + "_" + language + "_" + country.
    virtual void GetResourceNames(const std::wstring& baseName, std::vector<std::wstring>& names) = 0;
    // ISO 639 language code, for example "zh".
    virtual std::wstring GetLanguage() = 0;
    // ISO 3166 country code, for example "CN".
    virtual std::wstring GetCountry() = 0;
    // Language + "_" + country, for example "zh_CN".
    virtual std::wstring GetCulture() = 0;
    // The text stored under the key; an empty text for a key that has none.
    virtual std::wstring GetText(const std::wstring& key) = 0;
    virtual std::wstring GetText(const wchar_t* key) = 0;
};
