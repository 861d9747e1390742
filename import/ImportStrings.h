#pragma once

// The import program's strings, by their resource numbers.
inline constexpr const char* kStringWizardCaption = "Wizard";                           // 103
inline constexpr const char* kStringOpenSourceFailed = "Unable to open import source."; // 104
inline constexpr const char* kStringImportComplete =
    "Import is complete. CLICK THE RIGHT MOUSE BUTTON ON TELMO ICON AND SELECT \"REFRESH\"."; // 105
