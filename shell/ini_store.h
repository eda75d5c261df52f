#pragma once

#include <cstdint>

// The platform's private-profile store behind the settings file: the Windows
// private-profile functions, or a UTF-8 file of the same shape elsewhere.
// `iniPath` is never empty here.

// The integer stored under `key`, or `fallback` when the file, section or key
// is missing or the value is empty.
std::int32_t ReadIniInt(const wchar_t* section, const wchar_t* key, std::int32_t fallback,
                        const wchar_t* iniPath);

// Stores `text` under `key`, creating the section or file when missing.
void WriteIniText(const wchar_t* section, const wchar_t* key, const wchar_t* text,
                  const wchar_t* iniPath);
