#include "culture/CultureManager.h"

#include <utility>

CultureManager::CultureManager(CultureLocale locale)
    : mLanguage(std::move(locale.language)), mCountry(std::move(locale.country)) {}

void CultureManager::GetResourceNames(const std::wstring& baseName, std::vector<std::wstring>& names) {
    names.push_back(baseName);
    names.push_back(baseName + L"_" + mLanguage);
    names.push_back(baseName + L"_" + GetCulture());
}

std::wstring CultureManager::GetLanguage() {
    return mLanguage;
}

std::wstring CultureManager::GetCountry() {
    return mCountry;
}

std::wstring CultureManager::GetCulture() {
    return mLanguage + L"_" + mCountry;
}

std::wstring CultureManager::GetText(const std::wstring& key) {
    return mTexts[key];
}

std::wstring CultureManager::GetText(const wchar_t* key) {
    return GetText(std::wstring(key ? key : L""));
}

void CultureManager::SetText(const std::wstring& key, const std::wstring& text) {
    mTexts[key] = text;
}

void CultureManager::SetTexts(const std::vector<std::wstring>& lines) {
    for (const std::wstring& line : lines) {
        const auto equals = line.find(L'=');
        if (equals != std::wstring::npos) {
            SetText(line.substr(0, equals), line.substr(equals + 1));
        }
    }
}
