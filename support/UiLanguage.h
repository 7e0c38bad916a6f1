#pragma once
#include <windows.h>

// The language of our texts and dialogs: chosen once per process from the preferred UI
// languages (thread, then user, then system), mapped to a table we ship, English otherwise.
// Loading explicitly in it keeps Windows (display-language list) and Wine (locale) in step.
LANGID UiLanguage() noexcept;

// The table a language maps to: German, English, French, Japanese or Simplified Chinese.
LANGID ShippedLanguage(LANGID language) noexcept;

// Overrides the choice for the whole process (tests, krhost --lang); 0 goes back to it.
void SetUiLanguageForTesting(LANGID language) noexcept;
