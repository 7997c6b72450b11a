#pragma once
// The program-wide copies of often-used "Options" settings, read once at main-window load.

namespace gw {

// Reads every copy into values() and applies the feedback-address migration: a stored
// "EbayLeaveFeedback" equal to the old feedback page is replaced (copy and store) by the
// current default.
void loadSettingCopies();

} // namespace gw
