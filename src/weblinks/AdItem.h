#pragma once

#include <string>
#include <vector>

// One advertised link: its caption in the menu and the label, the label's hint, and the path of
// its page on the partner site with "{App}" standing for the product's name.
struct AdItem {
    std::wstring Text;
    std::wstring Tooltip;
    std::wstring Url;

    friend bool operator==(const AdItem&, const AdItem&) = default;
};

using AdItems = std::vector<AdItem>;
