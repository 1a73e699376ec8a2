// This system's side of a typed key's text (core/typed_key.h): Unicode normalisation, Windows
// code pages and the terminal's character set.
#ifndef VEILQUILL_SYSTEM_KEY_TEXT_H
#define VEILQUILL_SYSTEM_KEY_TEXT_H

#include <string>

#include "core/typed_key.h"

const KeyTextSystem& SystemKeyText();

#ifndef _WIN32
// The code page Windows uses as its ANSI code page for the language of the locale `name`
// ("ru_RU.UTF-8": 1251); 1252 for C, POSIX, an empty name and any language without its own.
unsigned CodePageOfLocale(const std::string& name);

// The locale the user asked for: the first of LC_ALL, LC_CTYPE and LANG that is set.
std::string RequestedLocale();

// The bytes `from`, text in the character set `fromSet`, as text in `toSet` (names iconv
// knows; "//TRANSLIT" may follow `toSet`); false when a character has no form there.
bool ConvertCharacterSet(const SecretLine& from, const char* fromSet, const char* toSet,
                         SecretLine& to);

// The character set of the terminal's locale (setlocale(LC_CTYPE, "") once), with C and
// POSIX, whose terminal input is taken as UTF-8, as "UTF-8".
std::string TerminalCharacterSet();
#endif

#endif
