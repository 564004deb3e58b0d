// The fonts the uploader's Win32 windows are laid out for: the forms' proportional Gothic, 11
// pixels at 96 dpi, and the list's fixed-pitch Gothic at 9.75 points.
#pragma once

inline constexpr wchar_t kFormFontName[] = L"ＭＳ Ｐゴシック";
inline constexpr int kFormFontTenths = 83;
inline constexpr wchar_t kListFontName[] = L"ＭＳ ゴシック";
inline constexpr int kListFontTenths = 98;
