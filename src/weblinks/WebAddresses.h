#pragma once

#include <array>
#include <cstdint>

// Every address of the outside world the program knows, in one place. They all lie under the
// reserved "example" domain, so nothing real is ever contacted.
namespace WebAddresses {

// The maker's web site; pages of the product lie below it.
inline constexpr const wchar_t* MakerSite = L"http://www.tilebay.example/";
// The caption of the panel's corner link to that site.
inline constexpr const wchar_t* SiteCaption = L"www.tilebay.example";
// The product's own pages: the maker's site, the product's name, "/".
inline constexpr const wchar_t* ProductPage = L"http://www.tilebay.example/Tilebay/";
// Where users write to.
inline constexpr const wchar_t* SupportAddress = L"support@tilebay.example";

// The partner site of the advertised links, "links.example", kept out of the program's plain
// strings: each character is stored raised by 11 + 2 × its position (see UnscrambleHostName).
inline constexpr std::array<std::uint16_t, 13> PartnerHostCodes{119, 118, 125, 124, 134, 67, 124,
                                                                145, 124, 138, 143, 141, 136};

} // namespace WebAddresses
