#pragma once
// Messages and captions by number, in English, Japanese and Korean. The
// language follows the system locale (LC_ALL, LC_MESSAGES, LANG); English is
// used for every other locale and for a number a table lacks.

#include <array>
#include <string>
#include <string_view>

namespace ResModule {

enum class Language { English, Japanese, Korean };

// The text of a resource string in the current language; English when the
// current table lacks it; empty for a number no table knows.
std::string LoadResString(int id);
std::string LoadResString(int id, Language language);

// The current language: chosen from the system locale on first use unless
// SetLanguage has chosen one.
Language CurrentLanguage();
void SetLanguage(Language language);

// "ja_JP.UTF-8" -> Japanese, "ko_KR" -> Korean, anything else -> English.
Language LanguageFromLocale(std::string_view localeName);
// The language of the messages locale, with the POSIX precedence:
// LC_ALL, then LC_MESSAGES, then LANG (the first one set and not empty).
Language SystemLanguage();
// The Windows language id of a table: 1033, 1041 or 1042.
int LanguageId(Language language);

// The control-character reference table: entry i is "&#00" + i in two
// digits + ";" (entry 9 is "&#0009;"). Filled at start-up.
void InitControlCharEntities();
const std::array<std::string, 32>& ControlCharEntities();

}  // namespace ResModule
