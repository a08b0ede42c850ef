#pragma once

namespace pimoko {

// The editor keeps nothing between runs. Qt's own dialogs would (the colour
// dialog's custom colours, the file dialog's recent folders): their settings
// go to a private folder that lives for this run only, so every run starts
// from Qt's defaults. Call before the first dialog is made.
void keepNoSettingsBetweenRuns();

// Qt's standard dialogs and buttons in Japanese, from Qt's own translation
// when it is installed.
void useJapaneseQtDialogs();

} // namespace pimoko
